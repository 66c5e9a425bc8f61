// The site list window and the wizard together, with a fake browser and a real site database:
// the whole road of one site, its edit, deleting, and what the list's buttons allow.

#include "wizard_fakes.h"

#include "capture/codepage.h"
#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/capture_panel.h"
#include "wizard/site_list_model.h"
#include "wizard/site_list_window.h"
#include "wizard/wizard_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace std::chrono_literals;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using sitecapture::testing::FakeBrowserSource;
using sitecapture::testing::MessageCatcher;

template <class W = QWidget>
W* Child(QWidget& window, const char* name)
{
    W* w = window.findChild<W*>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << name;
    return w;
}

void ClickButton(QWidget& window, const char* name)
{
    auto* button = Child<xpcmdbutton>(window, name);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

void MoveOver(QWidget& window, const char* name)
{
    auto* button = Child<xpcmdbutton>(window, name);
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
}

bool Enabled(QWidget& window, const char* name)
{
    return Child<xpcmdbutton>(window, name)->Enabled();
}

FieldSnapshot Input(const QString& name, const QString& value, const QString& caption)
{
    return {QStringLiteral("INPUT"), name, value,
            QStringLiteral("<TABLE><TR><TD>%1:</TD><TD><INPUT name=%2 value=test...").arg(caption, name)};
}

class SiteListTest : public ::testing::Test {
protected:
    SiteListTest() : services{temp.Database(), module, browsers, links}, list(services) {}

    void SetUp() override
    {
        ASSERT_TRUE(list.Form_Load().ok());
        list.show();
    }

    Form1* Wizard() { return list.Wizard(); }

    // The wizard goes with deleteLater: let it.
    void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void SelectRow(int row)
    {
        list.ListView1()->setCurrentIndex(list.Model().index(row, 0));
    }

    // Login (when the site has one) and publish captured through the fake browser, up to the
    // report page.
    void CaptureBothForms(const QString& loginReturn, const QString& title)
    {
        Form1& w = *Wizard();
        ClickButton(w, "command3");
        if (!w.Text6(2)->text().isEmpty()) {
            ASSERT_EQ(w.Session().captureMode, CaptureMode::LoginCapturePage);
            browsers.last->Submit(QStringLiteral("http://www.a.cn/chk.asp"), "user=zhang&pass=x%2By");
            w.Panel().Text7()->setText(loginReturn);
            ClickButton(w, "command3");
        }
        ASSERT_EQ(w.Session().captureMode, CaptureMode::PublishCapturePage);
        browsers.last->Focus(Input("title", title, u"信息标题"_qs));
        ASSERT_EQ(w.Panel().Combo1()->currentText(), u"主题"_qs);
        const QByteArray body = "title=" + FormCharset(u"gbk").Encode(title).toPercentEncoding() + "&price=5";
        browsers.last->Submit(QStringLiteral("http://www.a.cn/save.asp"), body);
        w.Panel().Text7()->setText(u"发布成功"_qs);
        ClickButton(w, "command3");
        ASSERT_EQ(w.Session().captureMode, CaptureMode::ReportPage);
    }

    drive::TemporarySiteDatabase temp{300ms};
    Module1 module;
    FakeBrowserSource browsers;
    drive::RecordingLinkOpener links;
    WizardServices services;
    Form2 list;
};

TEST_F(SiteListTest, AddThenEditOneSite)
{
    EXPECT_FALSE(Enabled(list, "command1(0)"));
    EXPECT_FALSE(Enabled(list, "command1(2)"));
    EXPECT_TRUE(Enabled(list, "command1(1)"));
    EXPECT_TRUE(Enabled(list, "xpcmdbutton1"));

    module.captureSet.publishData = "left over";
    module.publishReturn = "left over";
    ClickButton(list, "command1(1)");
    ASSERT_TRUE(Wizard());
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(module.captureSet, CaptureSet{});
    EXPECT_TRUE(module.publishReturn.isEmpty());

    Form1& w = *Wizard();
    w.Text5()->setText(u"阿里巴巴"_qs);
    w.Text6(0)->setText(QStringLiteral("http://www.a.cn/publish.asp"));
    w.Text6(1)->setText(QStringLiteral("http://www.a.cn/view.asp"));
    w.Text6(2)->setText(QStringLiteral("http://www.a.cn/login.asp"));
    w.Combo2()->setCurrentIndex(w.Combo2()->findText(u"繁体中文"_qs));
    w.Combo3()->setCurrentIndex(w.Combo3()->findText(u"化工"_qs));
    CaptureBothForms(u"欢迎"_qs, u"测试标题"_qs);
    EXPECT_EQ(browsers.last->navigated,
              (QStringList{"http://www.a.cn/login.asp", "http://www.a.cn/publish.asp"}));
    EXPECT_EQ(Child<QLabel>(w, "Label7")->text(), "title=/ztitle/&price=5");
    EXPECT_EQ(Child<QLabel>(w, "Label14")->text(), u"欢迎"_qs);

    bool unloaded = false;
    QObject::connect(&w, &Form1::Unloaded, [&] { unloaded = true; });
    ClickButton(w, "Command7");
    Settle();
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(Wizard());
    EXPECT_TRUE(list.isEnabled());

    auto rows = temp.Database().ListSites();
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows.value().size(), 1u);
    const SiteRecord saved = rows.value()[0];
    EXPECT_EQ(saved.Name, u"阿里巴巴"_qs);
    EXPECT_EQ(saved.gbe, "b");
    EXPECT_EQ(saved.engname, u"化工"_qs);
    EXPECT_EQ(saved.asp, "www.a.cn/view.asp");
    EXPECT_EQ(saved.Action, "www.a.cn/save.asp");
    EXPECT_EQ(saved.Memo, "title=/ztitle/&price=5");
    EXPECT_EQ(saved.loginhttp, "http://www.a.cn/chk.asp");
    EXPECT_EQ(saved.login, "user=zhang&pass=x+y");
    EXPECT_EQ(saved.checkvar, u"发布成功"_qs);
    ASSERT_EQ(list.Model().rowCount(), 1);
    EXPECT_EQ(list.Model().IdAt(0), saved.Id);

    // Edit and delete come up with the next mouse movement over a list button.
    EXPECT_FALSE(Enabled(list, "command1(0)"));
    MoveOver(list, "command1(1)");
    EXPECT_TRUE(Enabled(list, "command1(0)"));
    EXPECT_TRUE(Enabled(list, "command1(2)"));

    // The edit road: the row's values in the site page, the same Id updated.
    SelectRow(0);
    ClickButton(list, "command1(0)");
    ASSERT_TRUE(Wizard());
    Form1& e = *Wizard();
    EXPECT_EQ(e.Session().editingId, saved.Id);
    EXPECT_EQ(e.Combo2()->currentText(), u"繁体中文"_qs);
    EXPECT_EQ(e.Combo3()->currentText(), u"化工"_qs);
    EXPECT_EQ(e.Text5()->text(), u"阿里巴巴"_qs);
    EXPECT_EQ(e.Text6(1)->text(), "www.a.cn/view.asp");
    EXPECT_EQ(e.Text6(2)->text(), "http://www.a.cn/login.asp");
    EXPECT_FALSE(list.isEnabled());
    e.Text5()->setText(u"阿里巴巴 B2B"_qs);
    CaptureBothForms(u"欢迎回来"_qs, u"第二个标题"_qs);
    ClickButton(e, "Command7");
    Settle();

    rows = temp.Database().ListSites();
    ASSERT_EQ(rows.value().size(), 1u);
    EXPECT_EQ(rows.value()[0].Id, saved.Id);
    EXPECT_EQ(rows.value()[0].Name, u"阿里巴巴 B2B"_qs);
    EXPECT_EQ(rows.value()[0].loginreturn, u"欢迎回来"_qs);
    EXPECT_EQ(list.Model().data(list.Model().index(0, SiteListModel::SiteName)).toString(), u"阿里巴巴 B2B"_qs);
}

TEST_F(SiteListTest, SiteWithoutLoginAndExitWithoutSaving)
{
    ClickButton(list, "command1(1)");
    Form1& w = *Wizard();
    w.Text5()->setText("b2b");
    w.Text6(0)->setText("www.b.cn/pub");
    w.Text6(1)->setText("www.b.cn/view");
    CaptureBothForms(QString(), u"标题"_qs);
    EXPECT_EQ(browsers.last->navigated, QStringList{"www.b.cn/pub"}) << "the login page is skipped";
    EXPECT_EQ(Child<QLabel>(w, "Label14")->text(), "<");

    ClickButton(w, "command4");
    Settle();
    EXPECT_FALSE(Wizard());
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(list.Model().rowCount(), 0);

    ClickButton(list, "command1(1)");
    ASSERT_TRUE(Wizard());
    EXPECT_TRUE(Wizard()->Text5()->text().isEmpty()) << "a new window each time";
    Wizard()->close();
    Settle();
    EXPECT_TRUE(list.isEnabled());
}

TEST_F(SiteListTest, DeleteRebuildsAndTrapsOnlyTheHarmlessCases)
{
    SiteTexts t;
    t.name = "one";
    t.viewPageUrl = "www.one.cn";
    ASSERT_TRUE(SaveSite(temp.Database(), 0, t).ok());
    t.name = "two";
    ASSERT_TRUE(SaveSite(temp.Database(), 0, t).ok());
    list.Model().Clear();
    ASSERT_TRUE(list.FillSiteList().ok());
    list.RefreshButtons();
    ASSERT_EQ(list.Model().rowCount(), 2);

    MessageCatcher messages;
    // No row selected: nothing happens, silently.
    ClickButton(list, "command1(2)");
    ClickButton(list, "command1(0)");
    list.ListView1()->doubleClicked({});
    EXPECT_EQ(list.Model().rowCount(), 2);
    EXPECT_FALSE(Wizard());

    SelectRow(0);
    ClickButton(list, "command1(2)");
    ASSERT_EQ(list.Model().rowCount(), 1);
    EXPECT_EQ(list.Model().data(list.Model().index(0, SiteListModel::SiteName)).toString(), "two");

    // A row another program deleted meanwhile: the edit does nothing.
    SelectRow(0);
    ASSERT_TRUE(temp.Database().DeleteSite(*list.Model().IdAt(0)).ok());
    list.ListView1()->doubleClicked(list.Model().index(0, 0));
    EXPECT_FALSE(Wizard());
    EXPECT_TRUE(messages.all.empty());

    // Deleting the last row leaves edit and delete enabled until the mouse comes by.
    ClickButton(list, "command1(2)");
    EXPECT_EQ(list.Model().rowCount(), 0);
    EXPECT_TRUE(Enabled(list, "command1(2)"));
    MoveOver(list, "command1(0)");
    EXPECT_FALSE(Enabled(list, "command1(2)"));
    EXPECT_FALSE(Enabled(list, "command1(0)"));
    EXPECT_TRUE(messages.all.empty());
}

TEST_F(SiteListTest, DatabaseErrorsReachTheOperator)
{
    SiteTexts t;
    t.name = "locked";
    ASSERT_TRUE(SaveSite(temp.Database(), 0, t).ok());
    ASSERT_TRUE(list.FillSiteList().ok());
    list.RefreshButtons();

    // Another program holds the file.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(temp.Directory() + "/DIY.xqd"), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    MessageCatcher messages;
    SelectRow(0);
    ClickButton(list, "command1(2)");
    ASSERT_EQ(messages.all.size(), 1u);
    EXPECT_TRUE(messages.all[0].text.contains("DIY.xqd")) << messages.all[0].text.toStdString();
    EXPECT_EQ(messages.all[0].title, u"网站收录向导"_qs);
    EXPECT_EQ(messages.all[0].buttons, QMessageBox::Ok);

    ClickButton(list, "command1(0)");
    EXPECT_EQ(messages.all.size(), 2u) << "the edit's read is refused too";
    EXPECT_FALSE(Wizard());

    // A save while the file is held: the wizard stays with its values, and saves once freed.
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    SelectRow(0);
    ClickButton(list, "command1(0)");
    ASSERT_TRUE(Wizard());
    Form1& w = *Wizard();
    w.Text6(0)->setText("www.c.cn/pub");
    w.Text6(1)->setText("www.c.cn/view");
    CaptureBothForms(QString(), u"标题"_qs);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ClickButton(w, "Command7");
    Settle();
    ASSERT_TRUE(Wizard()) << "the wizard stays open";
    EXPECT_EQ(messages.all.size(), 3u);
    EXPECT_EQ(w.Session().captureMode, CaptureMode::ReportPage);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ClickButton(w, "Command7");
    Settle();
    EXPECT_FALSE(Wizard());
    auto rows = temp.Database().ListSites();
    ASSERT_EQ(rows.value().size(), 1u);
    EXPECT_EQ(rows.value()[0].xxfburl, "www.c.cn/pub");
}

} // namespace
