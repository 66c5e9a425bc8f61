// A GBK site's login and publish forms captured the way the operator works: clicks, typing,
// a corrected label, the submission. Also a UTF-8 site.

#include "e2e_support.h"

#include <QPlainTextEdit>

using namespace sitecapture;

namespace e2e {
namespace {

struct Expect {
    QString name;
    QString label;    // what Combo1 shows after the visit
    QString typed;
};

class CaptureFlow : public HarnessTest {};

TEST_F(CaptureFlow, GbkSiteLoginAndPublish)
{
    const std::vector<Row> login{
        {u"用户名:"_qs, R"(<input name="username">)"},
        {u"密码:"_qs, R"(<input type="password" name="password">)"},
        {QString(), u"<input type=\"submit\" name=\"Submit\" value=\"登录\"><input type=\"hidden\" name=\"action\" value=\"login\">"_qs},
    };
    server_.ServeHtml("/login.asp", "gb2312",
                      FormPage("gb2312", R"(name="login" method="post" action="/member/chklogin.asp")", login));
    Open("/login.asp", CaptureMode::LoginCapturePage);
    Visit(ControlAt(login, 0), "username");
    EXPECT_EQ(Combo1(), "");
    Type("zhangsan");
    Visit(ControlAt(login, 1), "password");
    Type("a+b&c=d%");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "a+b&c=d%"; }));
    Key(Qt::Key_Return); // the form's default button submits it

    const QString action = server_.Url("/member/chklogin.asp");
    const Navigation* post = WaitForPost(action);
    const Request* sent = server_.WaitFor("POST", "/member/chklogin.asp");
    ASSERT_TRUE(post && sent);
    EXPECT_EQ(post->body, sent->body) << "the body the browser sent";
    EXPECT_EQ(Window().Captured().loginAction, action);
    EXPECT_EQ(Window().Captured().loginData, u"username=zhangsan&password=a+b&c=d%&Submit=登录&action=login"_qs);
    EXPECT_EQ(Panel().Text1()->text(), action);
    EXPECT_EQ(Panel().Text4()->toPlainText(), Window().Captured().loginData);

    // The publish page by Next, which starts it on a fresh field map.
    const std::vector<Row> publish{
        {u"信息标题:"_qs, R"(<input name="title">)"},
        {u"产品单价:"_qs, R"(<input name="price">)"},
        {u"产品名称及规格:"_qs, R"(<input name="guige">)"},
        {u"公司名称:"_qs, R"(<input name="comp">)"},
        {u"联系人:"_qs, R"(<input name="lxr">)"},
        {u"联系电话:"_qs, R"(<input name="tel">)"},
        {u"手机:"_qs, R"(<input name="mobile">)"},
        {u"E-Mail:"_qs, R"(<input name="email">)"},
        {u"公司地址:"_qs, R"(<input name="addr">)"},
        {u"详细说明:"_qs, R"(<textarea name="desc" rows="3"></textarea>)", 3},
        {QString(), u"<input type=\"submit\" name=\"Submit\" value=\"发布\"><input type=\"hidden\" name=\"action\" value=\"save\">"_qs},
    };
    server_.ServeHtml("/member/publish.asp", "gbk",
                      FormPage("gbk", R"(name="pub" method="post" action="save.asp")", publish));
    Open("/member/publish.asp", CaptureMode::PublishCapturePage);

    const std::vector<Expect> visits{
        {"title", u"主题"_qs, u"测试标题 A+B"_qs},
        {"price", u"单价"_qs, "99.5"},
        {"guige", u"规格"_qs, "X&Y=1"},
        {"comp", u"公司名称"_qs, u"测试公司"_qs},
        {"lxr", u"联系人"_qs, u"张三"_qs},
        {"tel", u"电话"_qs, "010-12345678"},
        {"mobile", "", "13800001111"},
        {"email", u"电子邮件"_qs, "test@example.com"},
        {"addr", u"详细地址"_qs, u"北京市%20路"_qs},
    };
    for (std::size_t i = 0; i < visits.size(); ++i) {
        const Expect& e = visits[i];
        Visit(ControlAt(publish, int(i)), e.name);
        EXPECT_EQ(Combo1(), e.label) << "proposal for " << e.name.toStdString();
        Type(e.typed);
        ASSERT_TRUE(WaitFor([&] { return Text3() == e.typed; })) << e.name.toStdString();
        EXPECT_EQ(Combo1(), e.label) << "after typing into " << e.name.toStdString();
        if (e.name == "tel") {
            // A picture of the wizard with the field in yellow and its proposal.
            const QPoint field = ControlAt(publish, int(i)) + QPoint(200, 0);
            EXPECT_TRUE(WaitForPixel(field, QColor(255, 255, 0)));
            Screen().save(QStringLiteral("highlight.png"));
        }
        if (e.name == "guige") {
            // A wrong proposal, corrected by the operator after typing the value.
            ChooseLabel(u"关键字"_qs);
        }
    }
    Visit(ControlAt(publish, 9), "desc");
    Type(u"第一行"_qs);
    Key(Qt::Key_Return);
    Type(u"第二行 50%"_qs);
    ASSERT_TRUE(WaitFor([&] { return Text3() == u"第一行\r\n第二行 50%"_qs; }))
        << "a text area's value as the form submits it: " << Text3().toStdString();
    EXPECT_EQ(Combo1(), u"具体描述"_qs);

    Click(ControlAt(publish, 10));
    const QString saveUrl = server_.Url("/member/save.asp");
    const Navigation* saved = WaitForPost(saveUrl);
    const Request* savedSent = server_.WaitFor("POST", "/member/save.asp");
    ASSERT_TRUE(saved && savedSent);
    EXPECT_EQ(saved->body, savedSent->body);
    EXPECT_EQ(Window().Captured().publishAction, saveUrl);
    EXPECT_EQ(Window().Captured().publishData,
              u"title=/ztitle/&price=/zprice/&guige=/zkeyword/&comp=/zcomp/&lxr=/zconne/"
              u"&tel=/ztelpho/&mobile=13800001111&email=/zemal/&addr=/zaddr/&desc=/zcont/"
              u"&Submit=发布&action=save"_qs);
    EXPECT_EQ(Window().Captured().loginData, u"username=zhangsan&password=a+b&c=d%&Submit=登录&action=login"_qs)
        << "the login capture stays";
}

TEST_F(CaptureFlow, Utf8Site)
{
    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="subject">)"},
        {u"联系电话:"_qs, R"(<input name="phone">)"},
        {QString(), R"(<input type="submit" value="Send" name="op">)"},
    };
    server_.ServeHtml("/post", "utf-8", FormPage("utf-8", R"(method="POST" action="/post/save?from=form")", rows));
    Open("/post", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "subject");
    EXPECT_EQ(Combo1(), u"主题"_qs);
    Type("Hello World");
    Visit(ControlAt(rows, 1), "phone");
    EXPECT_EQ(Combo1(), u"电话"_qs);
    Type("12345");
    Click(ControlAt(rows, 2));
    const QString action = server_.Url("/post/save?from=form");
    const Navigation* post = WaitForPost(action);
    const Request* sent = server_.WaitFor("POST", "/post/save");
    ASSERT_TRUE(post && sent);
    EXPECT_EQ(post->body, sent->body);
    EXPECT_EQ(Window().Captured().publishAction, action);
    EXPECT_EQ(Window().Captured().publishData, "subject=/ztitle/&phone=/ztelpho/&op=Send");
}

} // namespace
} // namespace e2e
