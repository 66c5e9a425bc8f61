// One click fills the test offer in the real browser: a GBK table form, a UTF-8 form of
// divs, labels and a rich-text editor, a Big5 form; each submitted, templated with a token
// for every filled field, its success text proposed from the answer. Verification codes and
// selects stay the operator's; pages that fight back are filled as far as they let.

#include "e2e_support.h"

#include "capture/capture_checks.h"
#include "wizard/report_checks.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace e2e {
namespace {

class Fill : public HarnessTest {
protected:
    // F8 as the keyboard gives it, while the page has the keyboard.
    void PressFillKey(Qt::Key key = Qt::Key_F8)
    {
        QTest::keyClick(Window().Wizard().windowHandle(), key);
    }

    // Fills with one key and waits until the fill has been mapped; the status it left.
    QString FillWithOneKey()
    {
        QSignalSpy filled(&Panel(), &CapturePanel::Filled);
        PressFillKey();
        EXPECT_TRUE(WaitFor([&] { return !filled.isEmpty(); })) << "the fill did not answer";
        return Window().Status().currentMessage();
    }

    // The answer to the publish form: its page in the charset, and the success text
    // proposed from it once it has loaded.
    void AnswerWith(const QByteArray& path, const QByteArray& charset, const QString& html)
    {
        server_.Handle(path, [charset, html](const Request&) {
            Response r;
            r.contentType = "text/html; charset=" + charset;
            r.body = AsciiHtml(html).toLatin1();
            return r;
        });
    }

    std::vector<CheckKind> ReportFindings()
    {
        Window().Wizard().NextStep();
        EXPECT_EQ(Window().Wizard().Session().captureMode, CaptureMode::ReportPage);
        EXPECT_TRUE(WaitFor([&] { return !Window().Wizard().Checks().Checking(); }));
        std::vector<CheckKind> kinds;
        for (const Finding& f : Window().Wizard().Checks().Findings())
            if (f.form == CheckedFormKind::Publish)
                kinds.push_back(f.kind);
        return kinds;
    }
};

TEST_F(Fill, GbkTableFormOneKeySubmitTemplatedAndSuccessProposed)
{
    const std::vector<Row> rows{
        {u"信息标题:"_s, R"(<input name="title">)"},
        {u"产品价格:"_s, R"(<input name="price">)"},
        {u"最小起订量:"_s, R"(<input name="moq">)"},
        {u"联系人:"_s, R"(<input name="lxr">)"},
        {u"联系电话:"_s, R"(<input name="tel">)"},
        {u"手机号码:"_s, R"(<input name="sj">)"},
        {u"邮箱:"_s, R"(<input name="yx">)"},
        {u"公司名称:"_s, R"(<input name="comp">)"},
        {u"所在地区:"_s, u"<select name=\"area\"><option>浙江</option><option>江苏</option></select>"_s},
        {u"验证码:"_s, R"(<input name="yzm" style="width:80px"><img src="/code.gif" width="50" height="20">)"},
        {u"详细说明:"_s, R"(<textarea name="desc" rows="3"></textarea>)", 3},
        {QString(), u"<input type=\"submit\" name=\"Submit\" value=\"发布\">"_s},
    };
    server_.ServeHtml("/gbk/post.asp", "gbk", FormPage("gbk", R"(method="post" action="save.asp")", rows));
    AnswerWith("/gbk/save.asp", "gbk", u"<html><body><p>信息发布成功，请等待审核！</p><a href=\"/\">返回</a></body></html>"_s);
    Open("/gbk/post.asp", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "title"); // the focus in the form: that form is filled

    const QString status = FillWithOneKey();
    EXPECT_TRUE(status.startsWith(u"已填写 9 个字段"_s)) << status.toStdString();
    EXPECT_TRUE(status.contains(u"“所在地区:”（下拉框）"_s) || status.contains(u"“所在地区”（下拉框）"_s))
        << status.toStdString();
    EXPECT_TRUE(status.contains(u"（验证码）"_s)) << status.toStdString();
    EXPECT_EQ(Window().Fields().MappedCount(), 9);
    EXPECT_TRUE(WaitForPixel(ControlAt(rows, 6) + QPoint(200, 0), QColor(255, 255, 0))) << "filled fields are marked";

    // The mobile number's label is only suggested on a focus change; F9 takes it.
    Visit(ControlAt(rows, 5), "sj");
    EXPECT_EQ(Combo1(), "");
    EXPECT_TRUE(Window().Status().currentMessage().startsWith(u"建议“电话”"_s))
        << Window().Status().currentMessage().toStdString();
    EXPECT_TRUE(Panel().Combo1()->toolTip().contains(u"手机"_s));
    // A picture of the filled form with the reason of a proposal in the status bar and in
    // Combo1's tooltip.
    QToolTip::showText(Panel().Combo1()->mapToGlobal(QPoint(0, Panel().Combo1()->height())),
                       Panel().Combo1()->toolTip(), Panel().Combo1());
    ASSERT_TRUE(WaitFor([] { return QToolTip::isVisible(); }, 5000));
    QTest::qWait(100);
    Screen().save(u"fill_page.png"_s);
    QToolTip::hideText();
    PressFillKey(Qt::Key_F9);
    ASSERT_TRUE(WaitFor([&] { return Combo1() == u"电话"_s; }, 5000));

    // Submitted without the code, as a publish page often takes it once logged in.
    Click(ControlAt(rows, 11));
    const Request* sent = server_.WaitFor("POST", "/gbk/save.asp");
    ASSERT_TRUE(sent);
    EXPECT_EQ(Window().Captured().publishData,
              u"title=/ztitle/&price=/zprice/&moq=/zsssl/&lxr=/zconne/&tel=/ztelpho/&sj=/ztelpho/&yx=/zemal/"
              u"&comp=/zcomp/&area=浙江&yzm=&desc=/zcont/&Submit=发布"_s);
    ASSERT_TRUE(WaitFor([&] { return Panel().Text7()->text() == u"信息发布成功，请等待审核"_s; }))
        << Panel().Text7()->text().toStdString();
    EXPECT_EQ(Panel().Text7()->selectedText(), Panel().Text7()->text());
    EXPECT_EQ(ReportFindings(), std::vector<CheckKind>{CheckKind::Captcha}) << "no verbatim test text";
}

TEST_F(Fill, Utf8DivsLabelsAndAnEditorTheFullestFormWithoutFocus)
{
    const QString page = uR"(<html><head><meta charset="utf-8"><style>
        body{margin:0;font:14px sans-serif} .row{height:32px;margin:0} input{width:220px}
        #ed{width:300px;height:60px;border:1px solid #888}</style></head><body>
      <form action="/search" class="row"><input name="kw" placeholder="搜索供求信息"></form>
      <form id="pub" method="post" action="/u8/save">
        <div class="row"><label for="t">信息标题</label><input id="t" name="subject"></div>
        <div class="row"><label>联系人 <input name="contact"></label></div>
        <div class="row"><input name="f3" placeholder="请输入您的邮箱"></div>
        <div class="row"><input name="f4" aria-label="Company name"></div>
        <div class="row"><div>联系电话</div><div><input name="phone"></div></div>
        <div class="row">公司网址：<input name="site" readonly value="http://fixed.example"></div>
        <div class="row">详细地址：<input name="addr" id="addr"></div>
        <div class="row">详细说明：</div>
        <textarea name="content" style="display:none"></textarea><div id="ed" contenteditable="true"></div>
        <input type="submit" value="Send" name="op">
      </form>
      <script>
        document.getElementById('addr').addEventListener('input', function () { throw new Error('page bug'); });
        document.getElementById('pub').addEventListener('submit', function () {
          this.content.value = document.getElementById('ed').innerHTML;
        });
      </script></body></html>)"_s;
    server_.Serve("/u8/post", "text/html; charset=utf-8", page.toUtf8());
    AnswerWith("/u8/save", "utf-8", u"<p>提交成功，谢谢！</p>"_s);
    Open("/u8/post", CaptureMode::PublishCapturePage);

    const QString status = FillWithOneKey();
    EXPECT_TRUE(status.startsWith(u"已填写 7 个字段"_s)) << status.toStdString();
    QStringList names = Window().Fields().fieldNames;
    names.removeLast();
    EXPECT_EQ(names, (QStringList{u"subject"_s, u"contact"_s, u"f3"_s, u"f4"_s, u"phone"_s, u"addr"_s, u"content"_s}))
        << "the search form, the read-only field and the submit button untouched";

    // Submitted with the page's own button: the editor's text reaches its hidden text area.
    Visit(QPoint(40, 32 + 16), "subject"); // by its label, then Enter submits the form
    Key(Qt::Key_Return);
    const Request* sent = server_.WaitFor("POST", "/u8/save");
    ASSERT_TRUE(sent);
    EXPECT_TRUE(sent->body.contains("content=This+is+a+test+offer")) << sent->body.toStdString();
    EXPECT_EQ(Window().Captured().publishData,
              u"subject=/ztitle/&contact=/zconne/&f3=/zemal/&f4=/zcomp/&phone=/ztelpho/"
              u"&site=http://fixed.example&addr=/zaddr/&content=/zcont/&op=Send"_s);
    ASSERT_TRUE(WaitFor([&] { return Panel().Text7()->text() == u"提交成功，谢谢"_s; }))
        << Panel().Text7()->text().toStdString();
    EXPECT_EQ(ReportFindings(), std::vector<CheckKind>{});
}

TEST_F(Fill, Big5TableFormTraditionalCaptions)
{
    const std::vector<Row> rows{
        {u"標題:"_s, R"(<input name="bt">)"},
        {u"聯絡人:"_s, R"(<input name="lxr">)"},
        {u"電話:"_s, R"(<input name="dh">)"},
        {u"傳真:"_s, R"(<input name="cz">)"},
        {u"電子郵件:"_s, R"(<input name="yj">)"},
        {u"公司名稱:"_s, R"(<input name="gs">)"},
        {u"郵遞區號:"_s, R"(<input name="yb">)"},
        {QString(), R"(<input type="submit" name="go" value="OK">)"},
    };
    server_.ServeHtml("/b5/post.asp", "big5", FormPage("big5", R"(method="post" action="save.asp")", rows));
    AnswerWith("/b5/save.asp", "big5", u"<p>資料已提交，謝謝！</p>"_s);
    Open("/b5/post.asp", CaptureMode::PublishCapturePage);

    const QString status = FillWithOneKey();
    EXPECT_TRUE(status.startsWith(u"已填写 7 个字段"_s)) << status.toStdString();
    Click(ControlAt(rows, 7));
    ASSERT_TRUE(server_.WaitFor("POST", "/b5/save.asp"));
    EXPECT_EQ(Window().Captured().publishData,
              u"bt=/ztitle/&lxr=/zconne/&dh=/ztelpho/&cz=/zfax/&yj=/zemal/&gs=/zcomp/&yb=/zzip/&go=OK"_s);
    ASSERT_TRUE(WaitFor([&] { return Panel().Text7()->text() == u"資料已提交，謝謝"_s; }))
        << Panel().Text7()->text().toStdString();
    EXPECT_EQ(ReportFindings(), std::vector<CheckKind>{});
}

TEST_F(Fill, TypingInAnEditorIsTypingIntoTheTextAreaItFills)
{
    // An editable box and an editor's frame in design mode, each filling a hidden text area
    // when the form is sent, as rich-text editors do.
    const QString page = uR"(<html><head><meta charset="gbk"><style>body{margin:0}
        #ed,#content_ifr{display:block;width:400px;height:60px;margin:0 0 20px 0;border:1px solid #888}</style>
      </head><body><form id="f" method="post" action="/ed/save">
        <textarea name="body" style="display:none"></textarea><div id="ed" contenteditable="true"></div>
        <textarea name="content" id="content" style="display:none"></textarea><iframe id="content_ifr"></iframe>
        <input type="submit" name="go" value="OK" style="display:block;width:100px;height:24px;margin:0">
      </form><script>
        var frame = document.getElementById('content_ifr');
        frame.contentDocument.designMode = 'on';
        document.getElementById('f').addEventListener('submit', function () {
          this.body.value = document.getElementById('ed').innerHTML;
          this.content.value = frame.contentDocument.body.innerHTML;
        });
      </script></body></html>)"_s;
    server_.ServeHtml("/ed/post", "gbk", page);
    Open("/ed/post", CaptureMode::PublishCapturePage);

    Visit(QPoint(50, 30), "body");
    Type("abc");
    ASSERT_TRUE(WaitFor([&] { return Text3().contains(u"abc"_s); })) << Text3().toStdString();
    EXPECT_EQ(Combo1(), u"具体描述"_s);
    Visit(QPoint(50, 110), "content");
    Type(u"描述xyz"_s);
    ASSERT_TRUE(WaitFor([&] { return Text3().contains(u"描述xyz"_s); })) << Text3().toStdString();
    EXPECT_EQ(Combo1(), u"具体描述"_s);

    Click(QPoint(20, 176)); // the button under the frame
    ASSERT_TRUE(server_.WaitFor("POST", "/ed/save"));
    EXPECT_EQ(Window().Captured().publishData, u"body=/zcont/&content=/zcont/&go=OK"_s)
        << "the text areas mapped with what the editors wrote into them";
}

TEST_F(Fill, TheSecondOpinionReadsTheCaptionAsThePageHasItNow)
{
    // The page rewrites a caption after its field was first read, as script-built pages do.
    const QString page = uR"(<html><head><meta charset="utf-8"><style>body{margin:0}
        div{height:32px} input{width:220px}</style></head><body><form method="post" action="/cap/save">
        <div><span id="cap">有效期</span>：<input name="a"></div>
        <div><span>说明</span>：<input name="b" id="b"></div>
      </form><script>
        document.getElementById('b').addEventListener('focus', function () {
          document.getElementById('cap').textContent = '邮箱';
        });
      </script></body></html>)"_s;
    server_.Serve("/cap/post", "text/html; charset=utf-8", page.toUtf8());
    Open("/cap/post", CaptureMode::PublishCapturePage);
    Visit(QPoint(150, 16), "a");
    EXPECT_TRUE(Window().Status().currentMessage().startsWith(u"没有建议"_s))
        << Window().Status().currentMessage().toStdString();
    Visit(QPoint(150, 48), "b");
    Visit(QPoint(150, 16), "a");
    EXPECT_TRUE(Window().Status().currentMessage().startsWith(u"建议“电子邮件”"_s))
        << Window().Status().currentMessage().toStdString();
}

TEST_F(Fill, AHostilePageIsFilledAsFarAsItLetsAndAnotherOriginsFrameNever)
{
    // Another origin's frame with the larger form: never read, never written.
    TestServer other;
    QString many;
    for (int i = 0; i < 30; ++i)
        many += u"联系电话<input name=\"o%1\"><br>"_s.arg(i);
    other.Serve("/frame.html", "text/html; charset=utf-8",
                (u"<html><body><form method=post action=/x>"_s + many + u"</form></body></html>"_s).toUtf8());
    QString fields;
    for (int i = 0; i < 2500; ++i)
        fields += u"<div>联系人<input name=\"n%1\"></div>"_s.arg(i);
    const QString page = uR"(<html><head><meta charset="utf-8"></head><body>
      <iframe src="%1" width="300" height="100"></iframe>
      <form id="f" method="post" action="/h/save">
        <div>信息标题<input name="title" id="title"></div>
        <div>公司名称<input name="comp" readonly id="comp"></div>
        %2
      </form>
      <script>
        // Throws on every input, adds a field while the fill runs, unlocks a field it locked.
        var f = document.getElementById('f');
        f.addEventListener('input', function (e) {
          var extra = document.createElement('input');
          extra.name = 'late' + f.elements.length;
          f.appendChild(extra);
          document.getElementById('comp').readOnly = false;
          throw new Error('page bug');
        });
      </script></body></html>)"_s.arg(other.Url("/frame.html"), fields);
    server_.Serve("/h/post", "text/html; charset=utf-8", page.toUtf8());
    Open("/h/post", CaptureMode::PublishCapturePage);

    const QString status = FillWithOneKey();
    EXPECT_TRUE(status.startsWith(u"已填写"_s)) << status.left(200).toStdString();
    const FieldMap& map = Window().Fields();
    ASSERT_GT(map.MappedCount(), 100) << "filled what it could";
    EXPECT_EQ(map.fieldNames.first(), u"title"_s);
    for (const QString& name : map.fieldNames) {
        EXPECT_FALSE(name.startsWith(u'o')) << "another origin's frame: " << name.toStdString();
        EXPECT_FALSE(name.startsWith(u"late")) << "fields added while filling are not in the plan";
        EXPECT_NE(name, u"comp"_s) << "read-only when the fill looked";
    }
    EXPECT_TRUE(WaitForBridge()) << "the page and the tool still talk";
}

} // namespace
} // namespace e2e
