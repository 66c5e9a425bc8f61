// The wizard window Form1 driven as the operator drives it: clicks on its buttons, typing,
// focus, mouse moves, a fake browser for the pages, a recording link opener, and a real
// DIY.xqd in a temporary directory.

#include "core/site_db_support.h"
#include "wizard_fakes.h"

#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/capture_panel.h"
#include "wizard/combo_text.h"
#include "wizard/wizard_services.h"
#include "wizard/wizard_session.h"
#include "wizard/wizard_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace sitecapture;
using namespace sitecapture::testing;
using namespace std::chrono_literals;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

FieldSnapshot Input(const QString& name, const QString& value, const QString& caption)
{
    return {u"INPUT"_qs, name, value,
            u"<TABLE><TR><TD>%1:</TD><TD><INPUT name=%2 value=test...></TD></TR>"_qs.arg(caption, name)};
}

QString TextOf(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* b = qobject_cast<xpcmdbutton*>(w))
        return b->Caption();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}

class WizardTest : public ::testing::Test {
public:
    WizardTest()
        : db(OpenOrFail(dir.Path(), 300ms)), services{db, module, browsers, links},
          form(new Form1(services)), unloaded(form.data(), &Form1::Unloaded)
    {
    }
    ~WizardTest() override
    {
        delete form.data();
        // Whatever the window said, it said it in the one kind of box.
        for (const ShownMessage& m : messages.all) {
            EXPECT_EQ(m.objectName, u"OperatorMessage"_qs) << m.text.toStdString();
            EXPECT_EQ(m.title, u"网站收录向导"_qs);
            EXPECT_EQ(m.buttons, QMessageBox::Ok);
        }
    }

    template <class T = QWidget>
    T* Find(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    void Click(const char* name)
    {
        auto* b = Find<xpcmdbutton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    void Show()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    }
    void Focus(const char* name)
    {
        // A message box may have taken the activation away.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        Find(name)->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), Find(name)) << name;
    }
    void MouseMove(QWidget* w, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }
    void FillSite(const QString& login)
    {
        Edit("Text5")->setText(u"化工网"_qs);
        Edit("Text6(0)")->setText(u"http://a.cn/post.asp"_qs);
        Edit("Text6(1)")->setText(u"http://a.cn/list.asp"_qs);
        Edit("Text6(2)")->setText(login);
    }
    // The page frame the operator sees in the middle of the window.
    QString Front() const
    {
        for (QWidget* w = form->childAt(form->width() / 2, form->height() / 3); w; w = w->parentWidget()) {
            if (w->objectName().startsWith(u"Frame") && w->parentWidget() == form)
                return w->objectName();
        }
        return {};
    }
    QString Status() const { return Find<QStatusBar>("StatusBar1")->currentMessage(); }
    FakeBrowser& Browser() const { return *browsers.last; }
    // A site without login, its publish form captured, on the report page.
    void ToReport()
    {
        FillSite({});
        Click("command3");
        Browser().Submit(u"http://a.cn/save.asp"_qs, "t=1");
        Click("command3");
        ASSERT_EQ(Front(), u"Frame4"_qs);
    }
    // The window is gone once the deferred deletes have run.
    bool Gone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form.isNull();
    }
    int RowCount() const { return RawText(dir.DbPath(), "select count(*) from main").toInt(); }

    AppDir dir;
    SiteDatabase db;
    Module1 module;
    FakeBrowserSource browsers;
    RecordingLinkOpener links;
    WizardServices services;
    QPointer<Form1> form;
    QSignalSpy unloaded;
    MessageCatcher messages;
};

// ---- the controls as created ----

struct ControlRow {
    const char* name;
    const char16_t* text; // caption, or the text of a box
};

const ControlRow kControls[] = {
    {"Frame1", u"网站信息"},
    {"Frame2", u"用户登录页信息收集"},
    {"Frame4", u"网站收集报告"},
    {"Frame5", u"捕捉信息"},
    {"command2", u"上一步"},
    {"command3", u"下一步"},
    {"command4", u"退出"},
    {"Command7", u"确认并保存到数据库"},
    {"Label3(0)", u"网站语言:"},
    {"Label3(1)", u"网站类别:"},
    {"Label1(0)", u"网站名称:"},
    {"Label1(1)", u"信息发布页面:"},
    {"Label18", u"说明:填写要收集网站的发布页信息面，如果该网站为会员制网站，请先到该网站注册一个会员，在该网站登录后，再把信息发布页面的网址填写在上面的框中。"},
    {"Label1(2)", u"信息浏览页面:"},
    {"Command5", u"  链接测试  "},
    {"Label19", u"说明:填写信息浏览页面的网址，信息发布后浏览信息的页面，用于系统发布信息后，查看信息发布结果。"},
    {"Label2", u"会员登录录页面（会员制网站）:"},
    {"Label20", u"说明:填写会员登录页面的网址，如果该网站为会员制网站，在此框中填写登录页面的网址。如果该网站不需要登录就可以发布信息，此框不需要填写。（除需要上传图片和需要校验码的网站一般都可以收录）。"},
    {"Label11", u"当前变量:"},
    {"Label12", u"值："},
    {"Label13", u"成功后返回的代码："},
    {"Text7", u"<"},
    {"Label9", u"链    接:"},
    {"Label10", u"数    据:"},
    {"Label8(0)", u"用户登录页连接:(action)"},
    {"Label8(2)", u"用户登录页发送数据:"},
    {"Label8(4)", u"成功后返回代码:"},
    {"Label8(1)", u"信息发布页连接:(action)"},
    {"Label8(3)", u"信息页发送数据:"},
    {"Label8(5)", u"成功后返回代码:"},
};

// Controls without a caption of their own, found by their names too.
const char* const kUncaptioned[] = {
    "WebBrowser1", "Combo2", "Combo3", "Text5", "Text6(0)", "Text6(1)", "Text6(2)", "Text2",
    "Text3", "Combo1", "Text1", "Text4", "Label4", "Label5", "Label14", "Label6", "Label7",
    "Label15"
};

TEST_F(WizardTest, ControlsByNameWithTheirTextsAndLists)
{
    for (const ControlRow& row : kControls) {
        QWidget* w = Find(row.name);
        ASSERT_TRUE(w) << row.name;
        EXPECT_EQ(TextOf(w), QString::fromUtf16(row.text)) << row.name;
    }
    for (const char* name : kUncaptioned)
        EXPECT_TRUE(Find(name));
    EXPECT_TRUE(Find<QStatusBar>("StatusBar1"));
    EXPECT_EQ(Find("Frame5")->parentWidget(), Find("Frame2"));
    EXPECT_EQ(Find("Command5")->parentWidget(), Find("Frame1"));
    EXPECT_TRUE(Edit("Text5")->toolTip().startsWith(u"输入网站的名称"_qs));
    EXPECT_GT(Edit("Text5")->toolTip().size(), 7) << "an example site name follows";
    EXPECT_EQ(Edit("Text6(0)")->toolTip(), u"输入信息发布页面的网址"_qs);
    EXPECT_EQ(Edit("Text6(1)")->toolTip(), u"输入信息查看页面的网址"_qs);
    EXPECT_EQ(Edit("Text6(2)")->toolTip(),
              u"如果该网站需要注册，请用IE浏览器到该网站手工注册后，在这里输入登录页的网址"_qs);

    auto items = [this](const char* name) {
        QStringList texts;
        for (int i = 0; i < Find<QComboBox>(name)->count(); ++i)
            texts << Find<QComboBox>(name)->itemText(i);
        return texts;
    };
    EXPECT_EQ(items("Combo2"), (QStringList{u"简体中文"_qs, u"繁体中文"_qs, u"英文"_qs}));
    EXPECT_EQ(items("Combo3").join(u' '), u"综合 化工 包装 金属 电子 纺织 食品 机械 农业 建筑 交通 医疗 其它"_qs);
    EXPECT_EQ(items("Combo1").size(), 20);
    EXPECT_EQ(Find<QComboBox>("Combo2")->currentText(), u"简体中文"_qs);
    EXPECT_EQ(Find<QComboBox>("Combo3")->currentText(), u"综合"_qs);
    EXPECT_TRUE(Find<xpcmdbutton>("command2")->Enabled());
    EXPECT_EQ(form->windowTitle(), u"网站收录向导"_qs);
    EXPECT_EQ(Front(), u"Frame1"_qs);
    EXPECT_EQ(form->Session().fieldMap, FieldMap{});

    // Clicking the link test while it has no address opens nothing and leaves it shown.
    EXPECT_FALSE(Find("Command5")->isHidden());
    Click("Command5");
    EXPECT_TRUE(links.opened.isEmpty());
    EXPECT_FALSE(Find("Command5")->isHidden());

    // With every address typed the link test button stays shown to the end of the tab order.
    Edit("Text6(0)")->setText(u"a.cn"_qs);
    Edit("Text6(1)")->setText(u"a.cn"_qs);
    Edit("Text6(2)")->setText(u"a.cn"_qs);
    const double dpi = form->logicalDpiX();
    EXPECT_EQ(form->size(), QSize(TwipsToPixels(11265, dpi), TwipsToPixels(8310, dpi)));
    Show();
    const QPoint offCentre = form->frameGeometry().center() - form->screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);
    EXPECT_EQ(QApplication::focusWidget(), Edit("Text5"));
    EXPECT_TRUE(Find("Command5")->isHidden()) << "the focus in Text5 hides it";
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order.join(u' '), u"Text6(0) Combo2 Text6(1) Text6(2) Combo3 command2 command3 command4 Command5"_qs);
}

struct StoredSiteCase {
    const char* what;
    const char16_t* gbe;
    const char16_t* engname;
    const char16_t* language; // Combo2 afterwards
};

// An edit opens on the stored site: the language by its code, the category by name (one the
// list lacks kept as an entry of its own), the name and the three addresses as stored.
TEST_F(WizardTest, LoadingAStoredSiteFillsTheSitePage)
{
    const StoredSiteCase cases[] = {
        {"traditional Chinese", u"b", u"化工", u"繁体中文"},
        {"English", u"e", u"电子", u"英文"},
        {"no code", u"", u"综合", u"简体中文"},
        {"an unknown code", u"x", u"其它", u"简体中文"},
        {"a category of another program", u"g", u"玩具", u"简体中文"},
    };
    for (const StoredSiteCase& c : cases) {
        SCOPED_TRACE(c.what);
        Form1 w(services);
        SiteRecord site;
        site.gbe = QString::fromUtf16(c.gbe);
        site.engname = QString::fromUtf16(c.engname);
        site.Name = u"化工网"_qs;
        site.xxfburl = u"http://a.cn/post.asp"_qs;
        site.asp = u"a.cn/list.asp"_qs;
        site.yhdlurl = u"http://a.cn/login.asp"_qs;
        w.LoadSiteRecord(site);
        EXPECT_EQ(w.Combo2()->currentText(), QString::fromUtf16(c.language));
        EXPECT_EQ(w.Combo3()->currentText(), site.engname);
        EXPECT_EQ(w.Text5()->text(), site.Name);
        EXPECT_EQ(w.Text6(0)->text(), site.xxfburl);
        EXPECT_EQ(w.Text6(1)->text(), site.asp);
        EXPECT_EQ(w.Text6(2)->text(), site.yhdlurl);
        // As typing would: the last address set is the one the link test opens.
        EXPECT_EQ(w.Session().linkTestAddress, site.yhdlurl);
    }
}

// ---- the road of one site ----

TEST_F(WizardTest, NewSiteWithLoginFromSitePageToSavedRow)
{
    Show();
    Click("command3");
    EXPECT_EQ(messages.Take(), QStringList{QString::fromUtf16(kFillInMessage)});
    EXPECT_EQ(browsers.created, 0) << "no browser before a capture page";

    FillSite(u"http://a.cn/login.asp"_qs);
    SetComboText(Find<QComboBox>("Combo2"), u"繁体中文"_qs);
    SetComboText(Find<QComboBox>("Combo3"), u"电子"_qs);
    Click("command3");
    ASSERT_EQ(browsers.created, 1);
    EXPECT_EQ(Browser().navigated, QStringList{u"http://a.cn/login.asp"_qs});
    EXPECT_EQ(Browser().Tag(), u"1"_qs);
    EXPECT_EQ(Front(), u"Frame2"_qs);
    EXPECT_EQ(TextOf(Find("Frame2")), u"用户登录页信息收集"_qs);
    EXPECT_EQ(TextOf(Find("Frame5")), u"用户登录页信息捕捉"_qs);
    EXPECT_EQ(Status(), u"请稍等..."_qs);

    // Browser status texts show on the capture pages, "完成" never.
    Browser().Status(u"正在打开网页 http://a.cn/login.asp"_qs);
    Browser().Status(u"完成"_qs);
    EXPECT_EQ(Status(), u"正在打开网页 http://a.cn/login.asp"_qs);

    Click("command3");
    EXPECT_EQ(messages.Take(), QStringList{QString::fromUtf16(kLoginNotCapturedMessage)});
    Browser().Focus(Input(u"user"_qs, u"abc"_qs, u"联系人"_qs));
    ASSERT_EQ(form->Session().fieldMap.MappedCount(), 1);
    Browser().Submit(u"http://a.cn/chk.asp"_qs, "user=abc&pass=1");
    EXPECT_EQ(Edit("Text1")->text(), u"http://a.cn/chk.asp"_qs);
    Edit("Text7")->setText(u"欢迎"_qs);

    Click("command3");
    EXPECT_EQ(Browser().navigated.last(), u"http://a.cn/post.asp"_qs);
    EXPECT_EQ(Browser().Tag(), u"2"_qs);
    EXPECT_EQ(TextOf(Find("Frame2")), u"信息发布页信息收集"_qs);
    EXPECT_EQ(TextOf(Find("Frame5")), u"信息发布页信息捕捉"_qs);
    EXPECT_EQ(Edit("Text7")->text(), u"<"_qs);
    EXPECT_EQ(Edit("Text1")->text(), QString());
    EXPECT_EQ(form->Session().fieldMap.MappedCount(), 0) << "reset on the way to the publish page";
    EXPECT_EQ(module.captureSet.loginReturn, u"欢迎"_qs);

    Click("command3");
    EXPECT_EQ(messages.Take(), QStringList{QString::fromUtf16(kPublishNotCapturedMessage)});
    Browser().Focus(Input(u"title"_qs, u"abc"_qs, u"主题"_qs));
    Browser().Focus(Input(u"price"_qs, u"99"_qs, u"单价"_qs));
    Browser().Submit(u"http://a.cn/save.asp"_qs, "title=abc&price=99&x=1");
    EXPECT_EQ(Find<QPlainTextEdit>("Text4")->toPlainText(), u"title=/ztitle/&price=/zprice/&x=1"_qs);
    Edit("Text7")->setText(u"发布成功"_qs);

    Click("command3");
    EXPECT_EQ(Front(), u"Frame4"_qs);
    EXPECT_EQ(Browser().Tag(), u"3"_qs);
    Browser().Status(u"http://a.cn/other"_qs);
    // What the publish page showed last stays: the reason for the price field's label.
    EXPECT_EQ(Status(), u"“单价”：规则12：标签窗口“<TR><TD>单价”含“价”"_qs) << "no browser status on the report";
    // Back to the publish page and forward again: the field map and Text7 come back.
    Click("command2");
    EXPECT_EQ(Edit("Text7")->text(), u"发布成功"_qs);
    EXPECT_EQ(form->Session().fieldMap.MappedCount(), 2);
    EXPECT_EQ(Browser().navigated.size(), 3);
    Click("command3");

    const QStringList report{u"http://a.cn/chk.asp"_qs, u"user=/zconne/&pass=1"_qs, u"http://a.cn/save.asp"_qs,
                             u"title=/ztitle/&price=/zprice/&x=1"_qs, u"欢迎"_qs, u"发布成功"_qs};
    QStringList shown;
    for (const char* name : {"Label4", "Label5", "Label6", "Label7", "Label14", "Label15"})
        shown << TextOf(Find(name));
    EXPECT_EQ(shown, report);
    EXPECT_EQ(unloaded.size(), 0);

    Click("Command7");
    EXPECT_TRUE(messages.Take().isEmpty());
    EXPECT_EQ(unloaded.size(), 1);
    EXPECT_TRUE(Gone());
    const Rows rows = RawQuery(dir.DbPath(), "select gbe, engname, Name, xxfburl, asp, yhdlurl, Action, Memo, "
                                              "checkvar, loginhttp, login, loginreturn from main");
    ASSERT_EQ(rows.size(), 1);
    QStringList row;
    for (const Cell& c : rows[0])
        row << c.value_or(u"<NULL>"_qs);
    EXPECT_EQ(row, (QStringList{u"b"_qs, u"电子"_qs, u"化工网"_qs, u"http://a.cn/post.asp"_qs, u"a.cn/list.asp"_qs,
                                u"http://a.cn/login.asp"_qs, u"a.cn/save.asp"_qs, report[3], u"发布成功"_qs,
                                u"http://a.cn/chk.asp"_qs, report[1], u"欢迎"_qs}));
}

TEST_F(WizardTest, EditedSiteWithoutLoginSkipsTheLoginPageBothWaysAndUpdatesItsRow)
{
    const qint64 other = db.AddSite(AllFields(SampleSite(u"别的网"_qs))).value();
    const qint64 id = db.AddSite(AllFields(SampleSite(u"旧网"_qs))).value();
    form->SetEditingId(id);
    FillSite({});
    Show();

    Edit("Text7")->setText(u"typed"_qs);
    Click("command3");
    EXPECT_EQ(Browser().navigated, QStringList{u"http://a.cn/post.asp"_qs}) << "straight to the publish page";
    EXPECT_EQ(Browser().Tag(), u"2"_qs);
    EXPECT_EQ(module.captureSet.loginReturn, u"typed"_qs);
    EXPECT_EQ(Edit("Text7")->text(), u"<"_qs);
    EXPECT_NE(Status(), u"请稍等..."_qs);

    Click("command2");
    EXPECT_EQ(Front(), u"Frame1"_qs) << "straight back to the site page";
    EXPECT_FALSE(Find<xpcmdbutton>("command2")->Enabled());
    EXPECT_EQ(Browser().navigated.size(), 1) << "the browser keeps its page";
    EXPECT_EQ(Browser().Tag(), u"0"_qs);
    Browser().Submit(u"http://a.cn/ignored.asp"_qs, "a=1");
    EXPECT_TRUE(module.captureSet.publishAction.isEmpty()) << "page 0 captures nothing";
    Browser().Status(u"悬停"_qs);
    EXPECT_NE(Status(), u"悬停"_qs);

    Click("command3");
    EXPECT_TRUE(Find<xpcmdbutton>("command2")->Enabled());
    Browser().Submit(u"http://a.cn/save.asp"_qs, "t=1");
    Click("command3");
    EXPECT_EQ(TextOf(Find("Label4")), QString());
    EXPECT_EQ(TextOf(Find("Label14")), u"<"_qs);
    Click("command3"); // Next on the report: nothing
    EXPECT_EQ(Front(), u"Frame4"_qs);
    Click("Command7");
    EXPECT_TRUE(messages.Take().isEmpty());
    EXPECT_EQ(unloaded.size(), 1);

    EXPECT_EQ(RowCount(), 2);
    Result<std::optional<SiteRecord>> edited = db.LoadSite(id);
    ASSERT_TRUE(edited && edited.value());
    EXPECT_EQ(edited.value()->Name, u"化工网"_qs);
    EXPECT_EQ(edited.value()->Action, u"a.cn/save.asp"_qs);
    EXPECT_EQ(edited.value()->yhdlurl, QString());
    SiteRecord untouched = SampleSite(u"别的网"_qs);
    untouched.Id = other;
    EXPECT_EQ(db.LoadSite(other).value(), untouched);
}

// ---- saving that fails ----

TEST_F(WizardTest, LockedDatabaseKeepsTheWizardOpenAndTheRetrySaves)
{
    Show();
    ToReport();
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.DbPath()).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    Click("Command7");
    const QStringList said = messages.Take();
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(u"DIY.xqd"_qs)) << said[0].toStdString();
    EXPECT_TRUE(!Gone() && form->isVisible());
    EXPECT_EQ(unloaded.size(), 0);
    EXPECT_EQ(TextOf(Find("Label6")), u"http://a.cn/save.asp"_qs) << "the work is still there";

    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(RowCount(), 0) << "nothing half-written";
    Click("Command7");
    EXPECT_TRUE(messages.Take().isEmpty());
    EXPECT_EQ(unloaded.size(), 1);
    EXPECT_TRUE(Gone());
    EXPECT_EQ(RowCount(), 1);
}

TEST_F(WizardTest, EditedRowDeletedMeanwhileIsReportedAndTheRetrySaves)
{
    const qint64 id = db.AddSite(AllFields(SampleSite(u"旧网"_qs))).value();
    form->SetEditingId(id);
    Show();
    ToReport();
    RunSql(dir.DbPath(), "delete from main");

    Click("Command7");
    EXPECT_EQ(messages.Take().size(), 1);
    EXPECT_TRUE(!Gone() && form->isVisible());
    EXPECT_EQ(unloaded.size(), 0);
    EXPECT_EQ(RowCount(), 0) << "an update never adds the row again";

    const QByteArray restore = "insert into main (Id, Name) values (" + QByteArray::number(id) + ", 'x')";
    RunSql(dir.DbPath(), restore.constData());
    Click("Command7");
    EXPECT_TRUE(messages.Take().isEmpty());
    EXPECT_EQ(unloaded.size(), 1);
    EXPECT_EQ(db.LoadSite(id).value()->Name, u"化工网"_qs);
}

// ---- closing ----

TEST_F(WizardTest, EveryWayOfClosingUnloadsOnceWithoutSaving)
{
    const std::function<void(WizardTest&)> ways[] = {
        [](WizardTest& t) { t.Click("command4"); },
        [](WizardTest& t) { t.form->windowHandle()->close(); }, // the close box
    };
    for (std::size_t i = 0; i < std::size(ways); ++i) {
        SCOPED_TRACE(i);
        if (!form)
            form = new Form1(services);
        QSignalSpy spy(form.data(), &Form1::Unloaded);
        Show();
        FillSite({});
        ways[i](*this);
        EXPECT_EQ(spy.size(), 1);
        EXPECT_TRUE(Gone());
    }
    EXPECT_EQ(RowCount(), 0);
    EXPECT_TRUE(messages.Take().isEmpty());
}

// ---- hints, link test ----

TEST_F(WizardTest, HintsFollowTheMouseOverTheSitePage)
{
    Show();
    QWidget* frame1 = Find("Frame1");
    const QPoint background(frame1->width() - 4, frame1->height() - 4);
    ASSERT_EQ(frame1->childAt(background), nullptr);

    for (const char* box : {"Text5", "Text6(0)", "Text6(1)", "Text6(2)"}) {
        MouseMove(Find(box), {5, 5});
        EXPECT_EQ(Status(), Find(box)->toolTip()) << box;
    }
    // Labels, the lists and the link test button leave the hint alone.
    for (const char* other : {"Label1(0)", "Label2", "Label18", "Combo2", "Combo3", "Label3(1)"}) {
        MouseMove(Find(other), {3, 3});
        EXPECT_EQ(Status(), Find("Text6(2)")->toolTip()) << other;
    }
    MouseMove(frame1, background);
    EXPECT_EQ(Status(), QString());
}

TEST_F(WizardTest, LinkTestFollowsFocusAndTypingAndOpensOnlyWebAddresses)
{
    Show();
    QWidget* button = Find("Command5");
    Focus("Text6(0)");
    EXPECT_TRUE(button->isHidden()) << "an empty box";
    QTest::keyClicks(Edit("Text6(0)"), u"www.a.cn"_qs);
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(button->y(), Edit("Text6(0)")->y());
    EXPECT_EQ(form->Session().linkTestAddress, u"www.a.cn"_qs);
    Click("Command5");
    ASSERT_EQ(links.opened.size(), 1);
    EXPECT_EQ(links.opened[0], QUrl(u"http://www.a.cn"_qs));

    Focus("Text6(2)");
    QTest::keyClicks(Edit("Text6(2)"), u"file:///etc/passwd"_qs);
    EXPECT_EQ(button->y(), Edit("Text6(2)")->y());
    Click("Command5");
    EXPECT_EQ(links.opened.size(), 1) << "a local file never leaves";
    EXPECT_FALSE(button->isHidden());

    Edit("Text6(2)")->clear();
    EXPECT_TRUE(button->isHidden()) << "even though Text6(0) has text";
    Focus("Combo3");
    EXPECT_TRUE(button->isHidden());
    Focus("Text6(0)");
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(button->y(), Edit("Text6(0)")->y());
    Focus("Combo3");
    EXPECT_FALSE(button->isHidden()) << "Combo3 leaves it";
    Focus("Combo2");
    EXPECT_TRUE(button->isHidden());
    Focus("Text6(0)");
    Focus("Text5");
    EXPECT_TRUE(button->isHidden());

    // Every step hides it, even one that stops at its check.
    Focus("Text6(0)");
    Click("command3");
    EXPECT_EQ(messages.Take(), QStringList{QString::fromUtf16(kFillInMessage)});
    EXPECT_TRUE(button->isHidden());
    Focus("Text6(0)");
    Click("command2");
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(links.opened.size(), 1);
}

// ---- layout of the shown window ----

TEST_F(WizardTest, ResizingMovesTheFramesAndButtonsAndSurvivesTinySizes)
{
    Show();
    auto geometry = [this] {
        std::map<std::string, QRect> g;
        for (const char* name : {"Frame1", "Frame2", "Frame4", "WebBrowser1", "Frame5", "command2",
                                 "command3", "command4", "Command7", "StatusBar1"})
            g[name] = Find(name)->geometry();
        return g;
    };
    form->resize(760, 580);
    const auto normal = geometry();
    EXPECT_EQ(normal.at("Frame4"), normal.at("Frame1"));
    EXPECT_EQ(normal.at("StatusBar1").bottom(), form->height() - 1);
    EXPECT_LT(normal.at("command4").bottom(), normal.at("StatusBar1").top());
    EXPECT_GT(normal.at("command2").top(), normal.at("Frame1").bottom());

    form->resize(860, 640);
    const auto wider = geometry();
    for (const char* grows : {"Frame1", "WebBrowser1", "Frame5"})
        EXPECT_EQ(wider.at(grows).width(), normal.at(grows).width() + 100) << grows;
    for (const char* moves : {"command2", "command3", "command4", "Command7"})
        EXPECT_EQ(wider.at(moves).x(), normal.at(moves).x() + 100) << moves;
    EXPECT_EQ(wider.at("WebBrowser1").height(), normal.at("WebBrowser1").height() + 60);
    EXPECT_EQ(wider.at("Frame5").top(), normal.at("Frame5").top() + 60) << "glued to the frame's bottom";
    EXPECT_EQ(wider.at("Frame5").height(), normal.at("Frame5").height());

    form->resize(30, 20);
    EXPECT_EQ(Find("WebBrowser1")->height(), wider.at("WebBrowser1").height()) << "a negative height is skipped";
    EXPECT_LT(Find("command4")->x(), 0) << "positions are still assigned";
    form->resize(760, 580);
    EXPECT_EQ(geometry(), normal);
}

} // namespace
