// Forms that leave by other ways than a submit button, in new windows and inside frames.

#include "e2e_support.h"

#include <QStatusBar>
#include <QTest>

using namespace sitecapture;

namespace e2e {
namespace {

class FormPaths : public HarnessTest {
protected:
    // Waits for the POST to `path`, checks the captured body against what arrived and
    // returns the captured template.
    QString Captured(const QByteArray& path)
    {
        const QString action = server_.Url(QString::fromLatin1(path));
        const Navigation* ours = WaitForPost(action);
        const Request* theirs = server_.WaitFor("POST", path);
        EXPECT_TRUE(ours && theirs) << path.toStdString();
        if (!ours || !theirs)
            return {};
        EXPECT_EQ(ours->body, theirs->body);
        EXPECT_EQ(Window().Captured().publishAction, action);
        return Window().Captured().publishData;
    }
};

TEST_F(FormPaths, ScriptSubmittedForm)
{
    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="title">)"},
        {QString(), u"<a id=\"go\" href=\"javascript:void(0)\" onclick=\"document.f.submit()\">提交信息</a>"_qs},
    };
    server_.ServeHtml("/script.html", "gbk", FormPage("gbk", R"(name="f" method="post" action="/script/save.asp")", rows));
    Open("/script.html", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "title");
    Type("abc");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "abc"; }));
    Click(ControlAt(rows, 1) + QPoint(10, 0)); // form.submit(): no submit event
    EXPECT_EQ(Captured("/script/save.asp"), "title=/ztitle/");
}

TEST_F(FormPaths, PageThatReplacesSubmitStillSubmits)
{
    // The page wraps form.submit() itself, and checks that this and the arguments pass.
    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="title" value="x"><input type="hidden" name="stamp">)"},
        {QString(), R"html(<button type="button" onclick="document.f.submit('arg')">send</button>)html"},
    };
    const QString script = QStringLiteral(
        "<script>var original = HTMLFormElement.prototype.submit;"
        "HTMLFormElement.prototype.submit = function (a) {"
        "  this.elements.stamp.value = (this === document.f) + ':' + a + ':' + arguments.length;"
        "  return original.apply(this, arguments); };</script>");
    server_.ServeHtml("/wrapped.html", "gbk",
                      FormPage("gbk", R"(name="f" method="post" action="/wrapped/save.asp")", rows, script));
    Open("/wrapped.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1) + QPoint(10, 0));
    EXPECT_EQ(Captured("/wrapped/save.asp"), "title=x&stamp=true:arg:1");
}

struct SubmitterCase {
    const char* what;
    const char* form;      // the form's method and enctype
    const char* submitter; // the clicked button's own attributes
};

void PrintTo(const SubmitterCase& c, std::ostream* os)
{
    *os << c.what;
}

class Submitters : public FormPaths, public testing::WithParamInterface<SubmitterCase> {};

TEST_P(Submitters, ChooseActionMethodAndEnctypeAsTheBrowserDoes)
{
    const SubmitterCase& c = GetParam();
    const std::vector<Row> rows{
        {u"标题:"_qs, u"<input name=\"title\" value=\"甲 乙\">"_qs},
        {QString(), u"<input type=\"submit\" name=\"a\" value=\"存\" style=\"width:100px\">"
                    u"<input type=\"submit\" name=\"b\" value=\"另存\" style=\"width:100px\" "_qs
                        + QString::fromLatin1(c.submitter) + u">"_qs},
    };
    server_.ServeHtml("/submitter.html", "gbk",
                      FormPage("gbk", QStringLiteral("action=\"/never\" ") + QString::fromLatin1(c.form), rows));
    Open("/submitter.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1) + QPoint(150, 0)); // the second button
    const QString action = server_.Url("/other/keep.asp");
    const Navigation* ours = WaitForPost(action);
    const Request* theirs = server_.WaitFor("POST", "/other/keep.asp");
    ASSERT_TRUE(ours && theirs);
    EXPECT_EQ(WithBoundaryOf(ours->body, *theirs), theirs->body)
        << c.what << "; the browser sent " << theirs->headers.value("content-type").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    FormPaths, Submitters,
    testing::Values(
        SubmitterCase{"post form, text/plain button", R"(method="post")",
                      R"(formaction="/other/keep.asp" formenctype="text/plain")"},
        SubmitterCase{"post multipart form, urlencoded button", R"(method="post" enctype="multipart/form-data")",
                      R"(formaction="/other/keep.asp" formenctype="application/x-www-form-urlencoded")"},
        SubmitterCase{"get form, post text/plain button", R"(method="get")",
                      R"(formaction="/other/keep.asp" formmethod="post" formenctype="text/plain")"},
        SubmitterCase{"get form, post multipart button", R"(method="get")",
                      R"(formaction="/other/keep.asp" formmethod="post" formenctype="multipart/form-data")"},
        SubmitterCase{"get text/plain form, post button", R"(method="get" enctype="text/plain")",
                      R"(formaction="/other/keep.asp" formmethod="POST")"},
        SubmitterCase{"get multipart form, post button", R"(method="get" enctype="multipart/form-data")",
                      R"(formaction="/other/keep.asp" formmethod="post")"}),
    [](const testing::TestParamInfo<SubmitterCase>& info) { return std::to_string(info.index); });

TEST_F(FormPaths, StatusTexts)
{
    const std::vector<Row> rows{{QString(), R"(<a href="/next.html?x=1">next</a>)"}};
    server_.ServeHtml("/links.html", "gbk", FormPage("gbk", "", rows));
    Open("/links.html", CaptureMode::PublishCapturePage);
    EXPECT_TRUE(statuses_.contains(u"正在打开网页 "_qs + server_.Url("/links.html")));
    // Hover is noticed on the engine's next frame: move about on the link until it is.
    bool hovered = false;
    for (int i = 0; i < 40 && !hovered; ++i) {
        QTest::mouseMove(PageWidget(), ControlAt(rows, 0) + QPoint(5 + i % 3, 0));
        hovered = WaitFor([&] { return statuses_.contains(server_.Url("/next.html?x=1")); }, 250);
    }
    EXPECT_TRUE(hovered);
    EXPECT_EQ(Window().Status().currentMessage(), server_.Url("/next.html?x=1"))
        << "the capture page shows the browser's status";
    bool left = false;
    for (int i = 0; i < 40 && !left; ++i) {
        QTest::mouseMove(PageWidget(), QPoint(600 + i % 3, 300));
        left = WaitFor([&] { return statuses_.endsWith(u"完成"_qs); }, 250);
    }
    EXPECT_TRUE(left) << "left the link";
    EXPECT_EQ(Window().Status().currentMessage(), server_.Url("/next.html?x=1"))
        << "\"完成\" is not shown";
}

TEST_F(FormPaths, FormAddedByThePageLater)
{
    // The page takes its form out and puts it back after the load, as script-built pages do.
    const std::vector<Row> rows{
        {u"公司名称:"_qs, R"(<input name="comp">)"},
        {QString(), R"(<input type="submit" name="go" value="ok">)"},
    };
    const QString script = QStringLiteral(
        "<script>var form = document.forms[0], html = form.outerHTML; form.remove();"
        "addEventListener('load', function () {"
        " document.body.insertAdjacentHTML('afterbegin', html); });</script>");
    server_.ServeHtml("/late.html", "gbk",
                      FormPage("gbk", R"(method="post" action="/late/save.asp")", rows, script));
    Open("/late.html", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "comp");
    EXPECT_EQ(Combo1(), u"公司名称"_qs);
    Type("ACME");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "ACME"; }));
    Click(ControlAt(rows, 1));
    EXPECT_EQ(Captured("/late/save.asp"), "comp=/zcomp/&go=ok");
}

TEST_F(FormPaths, TargetBlankFormLoadsInTheSameView)
{
    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="title" value="blank">)"},
        {QString(), R"(<input type="submit" name="go" value="post">)"},
    };
    server_.ServeHtml("/blank.html", "gbk",
                      FormPage("gbk", R"(method="post" action="/blank/save.asp" target="_blank")", rows));
    // The answer is itself a form, so the view must show it to track its field.
    const std::vector<Row> answer{{u"联系电话:"_qs, R"(<input name="tel">)"}};
    server_.ServeHtml("/blank/save.asp", "gbk", FormPage("gbk", R"(method="post" action="/done")", answer));
    Open("/blank.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1));
    EXPECT_EQ(Captured("/blank/save.asp"), "title=blank&go=post");
    ASSERT_TRUE(WaitFor([&] { return statuses_.endsWith(u"完成"_qs); }));
    ASSERT_TRUE(WaitForBridge());
    ASSERT_TRUE(WaitForInput());
    Visit(ControlAt(answer, 0), "tel");
    EXPECT_EQ(Combo1(), u"电话"_qs);
}

TEST_F(FormPaths, WindowOpenLoadsInTheSameView)
{
    const std::vector<Row> rows{
        {QString(), R"html(<button type="button" onclick="window.open('/popup.html', 'pop', 'width=300')">open</button>)html"},
    };
    server_.ServeHtml("/opener.html", "gbk", FormPage("gbk", "", rows));
    const std::vector<Row> popup{{u"邮政编码:"_qs, R"(<input name="zip">)"}};
    server_.ServeHtml("/popup.html", "gbk", FormPage("gbk", "", popup));
    Open("/opener.html", CaptureMode::PublishCapturePage);
    const qsizetype before = statuses_.size();
    Click(ControlAt(rows, 0) + QPoint(10, 0));
    ASSERT_TRUE(server_.WaitFor("GET", "/popup.html"));
    ASSERT_TRUE(WaitFor([&] { return statuses_.mid(before).contains(u"完成"_qs); }));
    ASSERT_TRUE(WaitForBridge());
    ASSERT_TRUE(WaitForInput());
    Visit(ControlAt(popup, 0), "zip");
    EXPECT_EQ(Combo1(), u"邮编"_qs);
}

TEST_F(FormPaths, FormInAnIframe)
{
    const std::vector<Row> inner{
        {u"公司名称:"_qs, R"(<input name="comp">)"},
        {u"传真:"_qs, R"(<input name="fax">)"},
        {QString(), R"(<input type="submit" name="go" value="ok">)"},
    };
    server_.ServeHtml("/inner.html", "gbk", FormPage("gbk", R"(method="post" action="/frame/save.asp")", inner));
    server_.ServeHtml("/outer.html", "gbk",
                      u"<html><head><meta charset=\"gbk\"><style>body{margin:0}</style></head><body>"
                      u"<iframe src=\"/inner.html\" style=\"position:absolute;left:0;top:0;width:700px;"
                      u"height:400px;border:0\"></iframe></body></html>"_qs);
    Open("/outer.html", CaptureMode::PublishCapturePage);
    Visit(ControlAt(inner, 0), "comp");
    EXPECT_EQ(Combo1(), u"公司名称"_qs) << "labelled from the frame's own markup";
    Type("ACME");
    Visit(ControlAt(inner, 1), "fax");
    EXPECT_EQ(Combo1(), u"传真"_qs);
    Type("123");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "123"; }));
    Click(ControlAt(inner, 2));
    EXPECT_EQ(Captured("/frame/save.asp"), "comp=/zcomp/&fax=/zfax/&go=ok");
}

TEST_F(FormPaths, FocusIsFollowedIntoAFrameWrittenByScript)
{
    // An about:blank frame filled by its parent: the focus is followed into it from the top.
    const QString page = QStringLiteral(
        "<html><head><meta charset=\"gbk\"><style>body{margin:0}</style></head><body>"
        "<iframe id=\"w\" style=\"position:absolute;left:0;top:0;width:600px;height:200px;border:0\"></iframe>"
        "<script>var d = document.getElementById('w').contentDocument; d.open();"
        "d.write('<style>body{margin:0}td{height:32px;padding:0}td.c{width:150px}input{width:200px}</style>"
        "<table><tr><td class=c>&#32852;&#31995;&#30005;&#35805;:</td><td><input name=tel></td></tr></table>');"
        "d.close();</script></body></html>");
    server_.ServeHtml("/written.html", "gbk", page);
    Open("/written.html", CaptureMode::PublishCapturePage);
    Visit(QPoint(kCaptionWidth + 20, 16), "tel");
    EXPECT_EQ(Combo1(), u"电话"_qs);
}

TEST_F(FormPaths, GetFormsAndPreventedSubmissionsCaptureNothing)
{
    const std::vector<Row> rows{
        {u"关键字:"_qs, R"(<input name="q" value="abc">)"},
        {QString(), R"(<input type="submit" name="s" value="find">)"},
    };
    server_.ServeHtml("/get.html", "gbk", FormPage("gbk", R"(method="get" action="/search")", rows));
    server_.ServeHtml("/prevented.html", "gbk",
                      FormPage("gbk", R"(method="post" action="/never" onsubmit="return false")", rows));
    Open("/prevented.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1));
    Open("/get.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1));
    ASSERT_TRUE(server_.WaitFor("GET", "/search"));
    ASSERT_TRUE(WaitFor([&] {
        return std::any_of(navigations_.begin(), navigations_.end(),
                           [&](const Navigation& n) { return n.url.contains("/search?q=abc&s=find"); });
    })) << [&] {
        std::string all;
        for (const Navigation& n : navigations_)
            all += n.url.toStdString() + "\n";
        return all;
    }();
    for (const Navigation& n : navigations_)
        EXPECT_TRUE(n.body.isEmpty()) << n.url.toStdString();
    EXPECT_EQ(server_.Last("POST", "/never"), nullptr);
    EXPECT_TRUE(Window().Captured().publishAction.isEmpty());
}

} // namespace
} // namespace e2e
