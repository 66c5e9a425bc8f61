// The wizard's decisions without its window: the steps between the four pages, the layout
// arithmetic in twips, and which link-test addresses may leave the program.

#include "wizard/link_opener.h"
#include "wizard/wizard_layout.h"
#include "wizard/wizard_steps.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

using namespace sitecapture;

namespace sitecapture {
inline void PrintTo(const TwipsRect& r, std::ostream* os)
{
    *os << '{' << r.left << ", " << r.top << ", " << r.width << ", " << r.height << '}';
}
inline void PrintTo(const WizardPageState& s, std::ostream* os)
{
    *os << "{page " << int(s.captureMode) << ", Text7 \"" << s.successText.toStdString() << "\", message \""
        << s.message.value_or(QString()).toStdString() << "\", command2 " << s.previousEnabled << '}';
}
} // namespace sitecapture

namespace {

QString Msg(const char16_t* text)
{
    return text ? QString::fromUtf16(text) : QString();
}

// ---- steps ----

enum class Event { Next, Previous };
enum class Cap { None, ActionOnly, DataOnly, Both };
enum class Missing { Nothing, SiteName, PublishUrl, ViewUrl };
enum class Nav { None, Login, Publish };
// What Text7 shows after the step.
enum class T7 { Kept, LoginReturn, PublishReturn, Start };

struct StepRow {
    int from;
    Event event;
    bool login;          // a login page address is typed
    Cap loginCap, publishCap;
    bool publishReturnSet;
    Missing missing;
    // expected
    int to;
    const char16_t* message;
    Nav navigate;
    bool reset;
    bool command2;
    T7 text7;
};

constexpr const char16_t* kFill = kFillInMessage;
constexpr const char16_t* kLogin = kLoginNotCapturedMessage;
constexpr const char16_t* kPublish = kPublishNotCapturedMessage;

// Every transition with its guards. Next rows start with command2 disabled, Previous rows with
// it enabled, so that both the enabling and the disabling show.
const StepRow kSteps[] = {
    // from ev              login  loginCap       publishCap     pubRet missing             to msg      nav           reset  cmd2   text7
    {0, Event::Next,     true,  Cap::None,     Cap::None,     true,  Missing::Nothing,    1, nullptr, Nav::Login,   false, true,  T7::Kept},
    {0, Event::Next,     false, Cap::None,     Cap::None,     true,  Missing::Nothing,    2, nullptr, Nav::Publish, true,  true,  T7::PublishReturn},
    {0, Event::Next,     false, Cap::None,     Cap::None,     false, Missing::Nothing,    2, nullptr, Nav::Publish, true,  true,  T7::Start},
    {0, Event::Next,     true,  Cap::Both,     Cap::Both,     true,  Missing::SiteName,   0, kFill,   Nav::None,    false, false, T7::Kept},
    {0, Event::Next,     false, Cap::None,     Cap::None,     true,  Missing::PublishUrl, 0, kFill,   Nav::None,    false, false, T7::Kept},
    {1, Event::Next,     true,  Cap::None,     Cap::None,     true,  Missing::Nothing,    1, kLogin,  Nav::None,    false, true,  T7::Kept},
    {1, Event::Next,     true,  Cap::ActionOnly, Cap::None,   true,  Missing::Nothing,    1, kLogin,  Nav::None,    false, true,  T7::Kept},
    {1, Event::Next,     true,  Cap::DataOnly, Cap::None,     true,  Missing::Nothing,    1, kLogin,  Nav::None,    false, true,  T7::Kept},
    {1, Event::Next,     true,  Cap::Both,     Cap::None,     true,  Missing::Nothing,    2, nullptr, Nav::Publish, true,  true,  T7::PublishReturn},
    {1, Event::Next,     true,  Cap::Both,     Cap::None,     false, Missing::Nothing,    2, nullptr, Nav::Publish, true,  true,  T7::Start},
    {1, Event::Next,     false, Cap::None,     Cap::None,     true,  Missing::Nothing,    2, nullptr, Nav::Publish, true,  true,  T7::PublishReturn},
    {1, Event::Next,     true,  Cap::Both,     Cap::None,     true,  Missing::ViewUrl,    1, kFill,   Nav::None,    false, false, T7::Kept},
    {2, Event::Next,     true,  Cap::Both,     Cap::None,     true,  Missing::Nothing,    2, kPublish, Nav::None,   false, true,  T7::Kept},
    {2, Event::Next,     true,  Cap::Both,     Cap::ActionOnly, true, Missing::Nothing,   2, kPublish, Nav::None,   false, true,  T7::Kept},
    {2, Event::Next,     false, Cap::None,     Cap::DataOnly, true,  Missing::Nothing,    2, kPublish, Nav::None,   false, true,  T7::Kept},
    {2, Event::Next,     false, Cap::None,     Cap::Both,     true,  Missing::Nothing,    3, nullptr, Nav::None,    false, true,  T7::Kept},
    {2, Event::Next,     true,  Cap::Both,     Cap::Both,     true,  Missing::ViewUrl,    2, kFill,   Nav::None,    false, false, T7::Kept},
    {3, Event::Next,     true,  Cap::Both,     Cap::Both,     true,  Missing::Nothing,    3, nullptr, Nav::None,    false, true,  T7::Kept},
    {3, Event::Previous, true,  Cap::Both,     Cap::Both,     true,  Missing::Nothing,    2, nullptr, Nav::Publish, false, true,  T7::PublishReturn},
    {3, Event::Previous, false, Cap::None,     Cap::Both,     true,  Missing::SiteName,   2, nullptr, Nav::Publish, false, true,  T7::PublishReturn},
    {2, Event::Previous, true,  Cap::Both,     Cap::Both,     true,  Missing::Nothing,    1, nullptr, Nav::Login,   true,  true,  T7::LoginReturn},
    {2, Event::Previous, false, Cap::None,     Cap::Both,     true,  Missing::Nothing,    0, nullptr, Nav::None,    false, false, T7::Kept},
    {1, Event::Previous, true,  Cap::None,     Cap::None,     true,  Missing::Nothing,    0, nullptr, Nav::None,    false, false, T7::Kept},
    {0, Event::Previous, true,  Cap::None,     Cap::None,     true,  Missing::Nothing,    0, nullptr, Nav::None,    false, true,  T7::Kept},
};

void PrintTo(const StepRow& r, std::ostream* os)
{
    *os << (r.event == Event::Next ? "Next " : "Previous ") << r.from << " -> " << r.to;
}

class Steps : public testing::TestWithParam<StepRow> {};

WizardPageState Before(const StepRow& r)
{
    WizardPageState s;
    s.siteName = r.missing == Missing::SiteName ? QString() : u"化工网"_qs;
    s.publishPageUrl = r.missing == Missing::PublishUrl ? QString() : u"http://a.cn/post.asp"_qs;
    s.viewPageUrl = r.missing == Missing::ViewUrl ? QString() : u"http://a.cn/list.asp"_qs;
    s.loginPageUrl = r.login ? u"http://a.cn/login.asp"_qs : QString();
    s.captureMode = CaptureMode(r.from);
    const bool la = r.loginCap == Cap::ActionOnly || r.loginCap == Cap::Both;
    const bool ld = r.loginCap == Cap::DataOnly || r.loginCap == Cap::Both;
    const bool pa = r.publishCap == Cap::ActionOnly || r.publishCap == Cap::Both;
    const bool pd = r.publishCap == Cap::DataOnly || r.publishCap == Cap::Both;
    s.captureSet.loginAction = la ? u"http://a.cn/chk.asp"_qs : QString();
    s.captureSet.loginData = ld ? u"u=/zuser/"_qs : QString();
    s.captureSet.publishAction = pa ? u"http://a.cn/save.asp"_qs : QString();
    s.captureSet.publishData = pd ? u"t=/ztitle/"_qs : QString();
    s.captureSet.loginReturn = u"登录成功"_qs;
    s.publishReturn = r.publishReturnSet ? u"发布成功"_qs : QString();
    s.shownAction = u"shown1"_qs;
    s.shownData = u"shown4"_qs;
    s.successText = u"typed"_qs;
    s.capturePageCaption = u"caption2"_qs;
    s.capturePanelCaption = u"caption5"_qs;
    s.previousEnabled = r.event == Event::Previous;
    s.linkTestVisible = true;
    s.statusText = u"old status"_qs;
    s.report = {u"r4"_qs, u"r5"_qs, u"r6"_qs, u"r7"_qs, u"r14"_qs, u"r15"_qs};
    return s;
}

TEST_P(Steps, MoveAsTheTableSays)
{
    const StepRow& r = GetParam();
    const WizardPageState before = Before(r);
    WizardPageState s = before;
    s.message = u"left from an earlier step"_qs; // requests never carry over
    s.resetFieldMap = true;
    s.navigate = u"earlier"_qs;
    r.event == Event::Next ? NextStep(s) : PreviousStep(s);

    EXPECT_FALSE(s.linkTestVisible);
    EXPECT_EQ(s.message.value_or(QString()), Msg(r.message));
    if (r.message || r.to == r.from) {
        // A failed check, or a step with nothing to do, leaves every value as it was.
        WizardPageState expected = before;
        expected.linkTestVisible = false;
        expected.previousEnabled = r.command2;
        expected.message = s.message;
        EXPECT_EQ(s, expected);
        return;
    }
    EXPECT_EQ(int(s.captureMode), r.to);
    EXPECT_EQ(s.previousEnabled, r.command2);
    EXPECT_EQ(s.resetFieldMap, r.reset);
    const std::optional<QString> nav = r.navigate == Nav::Login ? std::optional(before.loginPageUrl)
        : r.navigate == Nav::Publish                            ? std::optional(before.publishPageUrl)
                                                                : std::nullopt;
    EXPECT_EQ(s.navigate, nav);
    EXPECT_EQ(FrontFrame(s.captureMode), r.to == 0 ? PageFrame::Frame1 : r.to == 3 ? PageFrame::Frame4 : PageFrame::Frame2);

    const CaptureSet& c = before.captureSet;
    const QString text7 = r.text7 == T7::Kept ? before.successText
        : r.text7 == T7::LoginReturn          ? c.loginReturn
        : r.text7 == T7::PublishReturn        ? before.publishReturn
                                              : u"<"_qs;
    EXPECT_EQ(s.successText, text7);

    // Text7 is taken only by Next out of a capture page (page 0 of a site without login
    // passes through page 1).
    const bool leavesLogin = r.event == Event::Next && (r.from == 1 || (r.from == 0 && !r.login));
    EXPECT_EQ(s.captureSet.loginReturn, leavesLogin ? before.successText : c.loginReturn);
    const bool leavesPublish = r.event == Event::Next && r.from == 2;
    EXPECT_EQ(s.publishReturn, leavesPublish ? before.successText : before.publishReturn);

    if (r.to == 1 || r.to == 2) {
        EXPECT_EQ(s.capturePageCaption, r.to == 1 ? u"用户登录页信息收集"_qs : u"信息发布页信息收集"_qs);
        EXPECT_EQ(s.capturePanelCaption, r.to == 1 ? u"用户登录页信息捕捉"_qs : u"信息发布页信息捕捉"_qs);
        EXPECT_EQ(s.shownAction, r.to == 1 ? c.loginAction : c.publishAction);
        EXPECT_EQ(s.shownData, r.to == 1 ? c.loginData : c.publishData);
    } else {
        EXPECT_EQ(s.capturePageCaption, before.capturePageCaption);
        EXPECT_EQ(s.shownAction, before.shownAction);
    }
    EXPECT_EQ(s.statusText, r.from == 0 && r.to == 1 ? u"请稍等..."_qs : before.statusText);
    const ReportTexts report{c.loginAction, c.loginData,           c.publishAction,
                              c.publishData, s.captureSet.loginReturn, s.publishReturn};
    EXPECT_EQ(s.report, r.to == 3 ? report : before.report);
}

INSTANTIATE_TEST_SUITE_P(Wizard, Steps, testing::ValuesIn(kSteps));

// ---- layout ----

struct LayoutRow {
    int W, H;
    WizardGeometry expected;
};

// Applied one after the other to one geometry: a size that would be negative keeps the value
// of the previous layout, and restoring the window lays everything out afresh.
const LayoutRow kLayouts[] = {
    {11385, 8700,
     {{15, 45, 11250, 7560}, {15, 45, 11250, 7560}, {15, 45, 11250, 7560}, {105, 225, 11070, 5315},
      {75, 5655, 11100, 1845}, {8565, 7655, 870, 345}, {9465, 7655, 870, 345}, {10365, 7655, 870, 360},
      {9395, 7240, 1755, 270}}},
    {15000, 8700, // wider by 3615: frames, browser, panel wider and the buttons further right
     {{15, 45, 14865, 7560}, {15, 45, 14865, 7560}, {15, 45, 14865, 7560}, {105, 225, 14685, 5315},
      {75, 5655, 14715, 1845}, {12180, 7655, 870, 345}, {13080, 7655, 870, 345}, {13980, 7655, 870, 360},
      {13010, 7240, 1755, 270}}},
    {1000, 2000, // tiny: the browser's height would be negative
     {{15, 45, 865, 860}, {15, 45, 865, 860}, {15, 45, 865, 860}, {105, 225, 685, 5315},
      {75, -1045, 715, 1845}, {-1820, 955, 870, 345}, {-920, 955, 870, 345}, {-20, 955, 870, 360},
      {-990, 540, 1755, 270}}},
    {100, 300, // minimised: the frames keep their sizes, the buttons still move
     {{15, 45, 865, 860}, {15, 45, 865, 860}, {15, 45, 865, 860}, {105, 225, 685, 5315},
      {75, -1045, 715, 1845}, {-2720, 955, 870, 345}, {-1820, 955, 870, 345}, {-920, 955, 870, 360},
      {-990, 540, 1755, 270}}},
    {135, 1140, // frames of size zero are accepted
     {{15, 45, 0, 0}, {15, 45, 0, 0}, {15, 45, 0, 0}, {105, 225, 685, 5315},
      {75, -1905, 715, 1845}, {-2685, 95, 870, 345}, {-1785, 95, 870, 345}, {-885, 95, 870, 360},
      {-1855, -320, 1755, 270}}},
    {11385, 8700,
     {{15, 45, 11250, 7560}, {15, 45, 11250, 7560}, {15, 45, 11250, 7560}, {105, 225, 11070, 5315},
      {75, 5655, 11100, 1845}, {8565, 7655, 870, 345}, {9465, 7655, 870, 345}, {10365, 7655, 870, 360},
      {9395, 7240, 1755, 270}}},
};

TEST(WizardLayout, SizesInTurn)
{
    WizardGeometry g;
    for (const LayoutRow& row : kLayouts) {
        SCOPED_TRACE(testing::Message() << "W " << row.W << " H " << row.H);
        LayoutWizard(g, row.W, row.H);
        const WizardGeometry& e = row.expected;
        EXPECT_EQ(g.Frame1, e.Frame1);
        EXPECT_EQ(g.Frame2, e.Frame2);
        EXPECT_EQ(g.Frame4, e.Frame4);
        EXPECT_EQ(g.WebBrowser1, e.WebBrowser1);
        EXPECT_EQ(g.Frame5, e.Frame5);
        EXPECT_EQ(g.command2, e.command2);
        EXPECT_EQ(g.command3, e.command3);
        EXPECT_EQ(g.command4, e.command4);
        EXPECT_EQ(g.Command7, e.Command7);
    }
}

// ---- link test ----

struct LinkRow {
    const char* typed;
    const char* opens; // nullptr: nothing is opened
};

const LinkRow kLinks[] = {
    {"http://www.a.cn/post.asp", "http://www.a.cn/post.asp"},
    {"https://a.cn/x.asp?y=1#z", "https://a.cn/x.asp?y=1#z"},
    {"www.a.cn/login.asp", "http://www.a.cn/login.asp"},
    {"a.cn:8080/post.asp", "http://a.cn:8080/post.asp"},
    {"localhost", "http://localhost"},
    {"127.0.0.1/x", "http://127.0.0.1/x"},
    {"www.a.cn/go.asp?to=http://b.cn", "http://www.a.cn/go.asp?to=http://b.cn"},
    {"http://a.cn/搜索.asp?k=中文", "http://a.cn/搜索.asp?k=中文"},
    {"http://www.a.cn/list.asp?k=a b", "http://www.a.cn/list.asp?k=a b"},
    {"", nullptr},
    {"http://", nullptr},
    {"file:///etc/passwd", nullptr},
    {"FILE:///c:/boot.ini", nullptr},
    {"javascript:alert(1)", nullptr},
    {" JavaScript:alert(1)", nullptr},
    {"vbscript:msgbox(1)", nullptr},
    {"mailto:a@b.cn", nullptr},
    {"ftp://a.cn/", nullptr},
    {"data:text/html,<b>x</b>", nullptr},
    {"c:\\windows\\notepad.exe", nullptr},
    {"C:/x.exe", nullptr},
    {"/etc/passwd", nullptr},
    {"\\\\server\\share\\x.exe", nullptr},
    {"//server/share", nullptr},
    {"./run.sh", nullptr},
    {"~/x", nullptr},
};

void PrintTo(const LinkRow& r, std::ostream* os)
{
    *os << '"' << r.typed << '"';
}

class LinkTest : public testing::TestWithParam<LinkRow> {};

TEST_P(LinkTest, OnlyWebAddressesLeave)
{
    const LinkRow& r = GetParam();
    const std::optional<QUrl> url = LinkTestUrl(QString::fromUtf8(r.typed));
    if (!r.opens) {
        EXPECT_FALSE(url) << url->toString().toStdString();
        return;
    }
    ASSERT_TRUE(url);
    EXPECT_EQ(url->toString(), QString::fromUtf8(r.opens));
    EXPECT_TRUE(url->scheme() == u"http" || url->scheme() == u"https");
}

INSTANTIATE_TEST_SUITE_P(Wizard, LinkTest, testing::ValuesIn(kLinks));

} // namespace
