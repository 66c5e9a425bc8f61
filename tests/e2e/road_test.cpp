// The road of one site through the program's two windows, with the real browser and real
// input: the list's add button, the site page typed in, login and publish pages filled in and
// submitted, the report, the save, and the row read back from DIY.xqd.

#include "e2e_support.h"

#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/report_checks.h"
#include "wizard/site_list_model.h"
#include "wizard/site_list_window.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace sitecapture;

namespace e2e {
namespace {

class Road : public HarnessTest {
protected:
    void SetUp() override
    {
        list_.emplace(services_);
        ASSERT_TRUE(list_->Form_Load().ok());
        list_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&*list_, 10000));
        list_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&*list_, 10000));
    }
    void TearDown() override { list_.reset(); }

    CapturePanel& Panel() override { return Wizard().Panel(); }
    BrowserControl& PageBrowser() override { return *Wizard().Browser(); }
    Form1& Wizard() { return *list_->Wizard(); }

    void Press(QWidget& window, const char* button)
    {
        auto* b = window.findChild<xpcmdbutton*>(QString::fromLatin1(button));
        ASSERT_TRUE(b) << button;
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    }

    // Keys into the focused box of the wizard; Chinese as an input method commits it.
    void KeyIn(const QString& text)
    {
        QWidget* box = QApplication::focusWidget();
        ASSERT_TRUE(box);
        if (text.toLatin1() == text.toUtf8()) {
            QTest::keyClicks(box, text);
            return;
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
    }

    // The add button, then the site page typed box by box in its tab order.
    void AddSite(const QString& name, const QString& publish, const QString& view, const QString& login)
    {
        Press(*list_, "command1(1)");
        ASSERT_TRUE(list_->Wizard());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Wizard(), 10000));
        Watch(Panel());
        ASSERT_EQ(QApplication::focusWidget(), Wizard().Text5());
        KeyIn(name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        KeyIn(publish);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // Combo2
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // 繁体中文
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        KeyIn(view);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        KeyIn(login);
    }

    void Next(bool loads)
    {
        const qsizetype before = statuses_.size();
        Press(Wizard(), "command3");
        if (loads)
            WaitForPage(before, QStringLiteral("after Next"));
    }

    void SuccessText(const QString& text)
    {
        QLineEdit* text7 = Panel().Text7();
        QTest::mouseClick(text7, Qt::LeftButton);
        QTest::keyClick(text7, Qt::Key_A, Qt::ControlModifier);
        KeyIn(text);
    }

    // The window as it stands on the screen, for people to look at (build directory).
    static void Picture(QWidget& window, const char* file)
    {
        window.repaint();
        QCoreApplication::processEvents();
        const QRect r(window.mapToGlobal(QPoint(0, 0)), window.size());
        window.screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).save(QString::fromLatin1(file));
    }

    std::vector<SiteRecord> Rows()
    {
        auto rows = temp_.Database().ListSites();
        EXPECT_TRUE(rows.ok());
        return rows.ok() ? rows.value() : std::vector<SiteRecord>{};
    }

    drive::TemporarySiteDatabase temp_;
    Module1 module_;
    drive::RecordingLinkOpener links_;
    WizardServices services_{temp_.Database(), module_, Browsers(), links_};
    std::optional<Form2> list_;
};

const std::vector<Row> kLogin{
    {u"用户名:"_qs, R"(<input name="user">)"},
    {u"密码:"_qs, R"(<input type="password" name="pass">)"},
    {QString(), u"<input type=\"submit\" name=\"go\" value=\"登录\">"_qs},
};
const std::vector<Row> kPublish{
    {u"信息标题:"_qs, R"(<input name="title">)"},
    {u"联系电话:"_qs, R"(<input name="tel">)"},
    {QString(), u"<input type=\"submit\" name=\"ok\" value=\"发布\">"_qs},
};

TEST_F(Road, MemberSiteLoginThenPublish)
{
    // A few sites stored already, as the operator's list looks after a while.
    const std::array<std::array<QString, 3>, 3> earlier{{{u"化工"_qs, u"中国化工网"_qs, "www.chem.cn/list.asp"},
                                                          {u"机械"_qs, u"机械供求网"_qs, "www.jixie.cn/info"},
                                                          {u"纺织"_qs, u"纺织商务网"_qs, "www.fz.cn/sell"}}};
    for (const auto& [category, name, view] : earlier) {
        SiteTexts t;
        t.category = category;
        t.name = name;
        t.viewPageUrl = view;
        ASSERT_TRUE(SaveSite(temp_.Database(), 0, t).ok());
    }
    list_->Model().Clear();
    ASSERT_TRUE(list_->FillSiteList().ok());

    server_.ServeHtml("/login.asp", "gbk", FormPage("gbk", R"(method="post" action="/chk.asp")", kLogin));
    server_.ServeHtml("/post.asp", "gbk", FormPage("gbk", R"(method="post" action="/save.asp")", kPublish));
    AddSite(u"会员网站"_qs, server_.Url("/post.asp"), "www.member.cn/list", server_.Url("/login.asp"));

    Picture(Wizard(), "site_page.png");
    Next(true);
    EXPECT_EQ(Wizard().Session().captureMode, CaptureMode::LoginCapturePage);
    Visit(ControlAt(kLogin, 0), "user");
    Type("zhang");
    Visit(ControlAt(kLogin, 1), "pass");
    Type("pw&1");
    Key(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !module_.captureSet.loginData.isEmpty(); }));
    SuccessText(u"欢迎您"_qs);

    Next(true);
    EXPECT_EQ(Wizard().Session().captureMode, CaptureMode::PublishCapturePage);
    Visit(ControlAt(kPublish, 0), "title");
    EXPECT_EQ(Combo1(), u"主题"_qs);
    Type(u"钢管 DN50"_qs);
    Visit(ControlAt(kPublish, 1), "tel");
    EXPECT_EQ(Combo1(), u"电话"_qs);
    Type("010-1234");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "010-1234"; }));
    QTest::qWait(500); // the page's latest frame on the screen, for the picture only
    Picture(Wizard(), "capture_page.png");
    Key(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !module_.captureSet.publishData.isEmpty(); }));
    SuccessText(u"发布成功"_qs);

    Next(false);
    ASSERT_EQ(Wizard().Session().captureMode, CaptureMode::ReportPage);
    EXPECT_EQ(Wizard().findChild<QLabel*>("Label7")->text(), "title=/ztitle/&tel=/ztelpho/&ok=发布");
    // The password "pw&1" cannot be split back out of the template: the report page says so.
    ASSERT_TRUE(WaitFor([&] { return !Wizard().Checks().Checking(); }));
    EXPECT_EQ(Wizard().findChild<QLabel*>("ChecksSummary")->text(), u"发布前检查：1 个提醒"_qs);
    Picture(Wizard(), "report_page.png");
    Press(Wizard(), "Command7");
    ASSERT_TRUE(WaitFor([&] { return list_->isEnabled(); })) << "the wizard closed";

    // The mouse over the list's buttons brings edit and delete up to date.
    QTest::mouseMove(list_->findChild<xpcmdbutton*>("command1(1)"), QPoint(10, 10));
    ASSERT_TRUE(WaitFor([&] { return list_->findChild<xpcmdbutton*>("command1(0)")->Enabled(); }));
    Picture(*list_, "site_list.png");
    const std::vector<SiteRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    const SiteRecord& r = rows[3];
    EXPECT_EQ(r.Name, u"会员网站"_qs);
    EXPECT_EQ(r.gbe, "b");
    EXPECT_EQ(r.engname, u"综合"_qs);
    EXPECT_EQ(r.xxfburl, server_.Url("/post.asp"));
    EXPECT_EQ(r.asp, "www.member.cn/list");
    EXPECT_EQ(r.yhdlurl, server_.Url("/login.asp"));
    EXPECT_EQ(r.loginhttp, server_.Url("/chk.asp"));
    EXPECT_EQ(r.login, u"user=zhang&pass=pw&1&go=登录"_qs);
    EXPECT_EQ(r.loginreturn, u"欢迎您"_qs);
    EXPECT_EQ(r.Action, server_.Url("/save.asp").mid(7));
    EXPECT_EQ(r.Memo, u"title=/ztitle/&tel=/ztelpho/&ok=发布"_qs);
    EXPECT_EQ(r.checkvar, u"发布成功"_qs);
    EXPECT_TRUE(list_->isEnabled());
    ASSERT_EQ(list_->Model().rowCount(), 4);
    EXPECT_EQ(list_->Model().data(list_->Model().index(3, SiteListModel::SiteName)).toString(), r.Name);
}

TEST_F(Road, SiteWithoutLogin)
{
    server_.ServeHtml("/free.asp", "gb2312", FormPage("gb2312", R"(method="post" action="/free-save.asp")", kPublish));
    AddSite(u"免登录网站"_qs, server_.Url("/free.asp"), "www.free.cn", QString());

    Next(true);
    EXPECT_EQ(Wizard().Session().captureMode, CaptureMode::PublishCapturePage) << "no login page";
    Visit(ControlAt(kPublish, 0), "title");
    Type("Steel");
    Key(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !module_.captureSet.publishData.isEmpty(); }));
    Next(false);
    Press(Wizard(), "Command7");
    ASSERT_TRUE(WaitFor([&] { return list_->isEnabled(); })) << "the wizard closed";

    const std::vector<SiteRecord> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Name, u"免登录网站"_qs);
    EXPECT_EQ(rows[0].Memo, u"title=/ztitle/&tel=&ok=发布"_qs);
    EXPECT_TRUE(rows[0].loginhttp.isEmpty());
    EXPECT_TRUE(rows[0].login.isEmpty());
    EXPECT_EQ(rows[0].loginreturn, "<") << "Text7 as it stood when the login page was skipped";
    EXPECT_EQ(rows[0].checkvar, "<");
}

} // namespace
} // namespace e2e
