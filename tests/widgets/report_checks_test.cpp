// The report page's checks and replay without a page: what a replay's answer means, and that
// nothing running answers into a report page that was left.

#include "fake_browser.h"
#include "wizard_fakes.h"

#include "wizard/report_checks.h"
#include "wizard/wizard_window.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

struct VerdictCase {
    const char* what;
    Result<ReplayResponse> answer;
    QString success;
    bool succeeded;
    const char16_t* says;
};

TEST(JudgeReplay, SaysWhetherTheAnswerHoldsTheSuccessText)
{
    const ReplayResponse page{200, "http://a.cn/save.asp", u"<p>信息发布成功！</p>"_qs};
    const std::vector<VerdictCase> cases{
        {"holds it", page, u"发布成功"_qs, true, u"含有成功代码"},
        {"lacks it", page, u"登录成功"_qs, false, u"不含成功代码"},
        {"no success text", page, u" < "_qs, false, u"无法判断"},
        {"no answer", OperatorError{ErrorKind::TimedOut, {}, u"网站 30 秒内没有回应"_qs}, u"发布成功"_qs, false,
         u"30 秒内没有回应"},
    };
    for (const VerdictCase& c : cases) {
        const ReplayVerdict v = JudgeReplay(CheckedFormKind::Publish, c.answer, c.success);
        EXPECT_EQ(v.succeeded, c.succeeded) << c.what;
        EXPECT_TRUE(v.text.contains(QString::fromUtf16(c.says))) << c.what << ": " << v.text.toStdString();
    }
}

struct NoEvents final : BrowserEvents {
    void BeforeNavigate2(const QString&, const QByteArray&) override {}
    void CommandStateChange() override {}
    void StatusTextChange(const QString&) override {}
};

class ReportChecksTest : public ::testing::Test {
protected:
    ReportChecksTest() : browser(events), checks(session, nullptr)
    {
        CapturedSubmission s;
        s.action = "http://a.cn/save.asp";
        s.body = "title=x&token=1";
        s.contentType = "application/x-www-form-urlencoded";
        s.form = FormPlace{"http://a.cn/post.asp", 0, "http://a.cn/save.asp"};
        s.fields = {{"token", {}, "hidden", false, "1", std::nullopt, false, {}, {}}};
        session.publishSubmission = s;
        input.publish = {s.action, "title=/ztitle/&token=1", u"发布成功"_qs, s.fields};
        checks.SetBrowser(&browser);
    }

    NoEvents events;
    FakeBrowser browser;
    WizardSession session;
    CheckInput input;
    ReportChecks checks;
};

TEST_F(ReportChecksTest, ReloadDecidesThePerVisitFindingOrSaysItCouldNotCheck)
{
    checks.Run(input);
    ASSERT_EQ(browser.reloads.size(), 1u);
    EXPECT_TRUE(checks.Checking());
    EXPECT_EQ(checks.findChild<QLabel*>("ChecksSummary")->text(), u"正在检查…"_qs);

    ASSERT_TRUE(browser.AnswerReload(std::vector<CheckedField>{{"token", {}, "hidden", false, "2", {}, false, {}, {}}}));
    EXPECT_FALSE(checks.Checking());
    ASSERT_EQ(checks.Findings().size(), 1u);
    EXPECT_EQ(checks.Findings()[0].kind, CheckKind::PerVisit);

    // The page went away meanwhile: no finding can be made, and the page says so.
    checks.Run(input);
    ASSERT_TRUE(browser.AnswerReload(OperatorError{ErrorKind::NotChecked, {}, u"网页已离开"_qs}));
    EXPECT_TRUE(checks.Findings().empty());
    EXPECT_TRUE(checks.findChild<QLabel*>("ChecksSummary")->text().contains(u"无法检查"_qs));
}

TEST_F(ReportChecksTest, LeavingTheReportCancelsWhatRuns)
{
    sitecapture::testing::MessageCatcher confirm; // the publish replay asks first
    QStringList statuses;
    QObject::connect(&checks, &ReportChecks::Status, [&](const QString& s) { statuses << s; });
    checks.Run(input);
    checks.Replay(CheckedFormKind::Publish);
    ASSERT_EQ(confirm.all.size(), 1u);
    ASSERT_EQ(browser.replays.size(), 1u);
    EXPECT_EQ(browser.replays[0].request.body, "title=x&token=1");
    const int reload = browser.reloads[0].id;
    const int replay = browser.replays[0].id;

    checks.Stop();
    EXPECT_TRUE(browser.cancelled.contains(reload));
    EXPECT_TRUE(browser.cancelled.contains(replay));
    EXPECT_FALSE(checks.Checking());
    const qsizetype said = statuses.size();

    // A second replay, cancelled by its own button.
    checks.Run(input);
    checks.Replay(CheckedFormKind::Publish);
    ASSERT_EQ(browser.replays.size(), 1u);
    checks.Replay(CheckedFormKind::Publish);
    EXPECT_TRUE(browser.replays.empty());
    EXPECT_EQ(statuses.mid(said).last(), u"已取消重放"_qs);
}

TEST(ReportChecksInTheWizard, ClosingTheWindowCancelsWhatRunsWhileTheBrowserIsThere)
{
    drive::TemporarySiteDatabase temp;
    Module1 module;
    sitecapture::testing::FakeBrowserSource browsers;
    drive::RecordingLinkOpener links;
    WizardServices services{temp.Database(), module, browsers, links};
    auto* wizard = new Form1(services);
    wizard->Text5()->setText("a");
    wizard->Text6(0)->setText("http://a.cn/post.asp");
    wizard->Text6(1)->setText("a.cn");
    wizard->NextStep();
    CapturedSubmission s;
    s.action = "http://a.cn/save.asp";
    s.body = "t=1";
    s.form = FormPlace{"http://a.cn/post.asp", 0, s.action};
    browsers.last->Submit(s);
    wizard->NextStep();
    ASSERT_EQ(wizard->Session().captureMode, CaptureMode::ReportPage);
    ASSERT_EQ(browsers.last->reloads.size(), 1u) << "the page is being loaded again";
    const std::shared_ptr<QStringList> journal = browsers.last->journal;

    delete wizard;
    EXPECT_EQ(*journal, (QStringList{QStringLiteral("cancel 1"), QStringLiteral("destroyed")}));
}

} // namespace
