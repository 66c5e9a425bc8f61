// The capture panel wired to the capture engine, driven by a fake browser.

#include "fake_browser.h"
#include "wizard/capture_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace sitecapture;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

FieldSnapshot Input(const QString& name, const QString& value, const QString& caption)
{
    return {QStringLiteral("INPUT"), name, value,
            QStringLiteral("<TABLE><TR><TD>%1:</TD><TD><INPUT name=%2 value=test...").arg(caption, name)};
}

class PanelTest : public testing::Test {
protected:
    PanelTest() : panel(session, captured), browser(panel)
    {
        panel.SetBrowser(&browser);
        session.captureMode = CaptureMode::PublishCapturePage;
    }

    QString Label() const { return panel.Combo1()->currentText(); }

    WizardSession session;
    FieldMap& map = session.fieldMap;
    CaptureSet captured;
    CapturePanel panel;
    FakeBrowser browser;
};

TEST_F(PanelTest, FocusedFieldsAreProposedAndMapped)
{
    browser.Focus(Input("tel", "010", u"联系电话"_qs));
    EXPECT_EQ(panel.Text2()->text(), "tel");
    EXPECT_EQ(panel.Text3()->text(), "010");
    EXPECT_EQ(Label(), u"电话"_qs);
    EXPECT_EQ(browser.highlights, 1);
    ASSERT_EQ(map.MappedCount(), 1);
    EXPECT_EQ(map.fieldTokens[0], "/ztelpho/");

    browser.Focus(Input("tel", "010", u"联系电话"_qs));
    EXPECT_EQ(browser.highlights, 1) << "the same field with the same value: nothing at all";

    // Typing: the value follows, the proposal is made again.
    browser.Focus(Input("tel", "0105", u"联系电话"_qs));
    EXPECT_EQ(map.fieldValues[0], "0105");
    EXPECT_EQ(browser.highlights, 2);

    // A mobile field: the name resets Combo1, and rule 7 leaves it there.
    browser.Focus(Input("mobile", "138", u"手机"_qs));
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(map.MappedCount(), 1) << "no label, no entry";

    // The operator picks a label: the field is mapped with it.
    panel.Combo1()->setCurrentIndex(panel.Combo1()->findText(u"电话"_qs));
    ASSERT_EQ(map.MappedCount(), 2);
    EXPECT_EQ(map.fieldNames[1], "mobile");
    EXPECT_EQ(map.fieldTokens[1], "/ztelpho/");

    // A text area: "具体描述", whatever its caption, with its value as submitted.
    browser.Focus({QStringLiteral("TEXTAREA"), QStringLiteral("desc"), u"一\r\n二"_qs, QString()});
    EXPECT_EQ(Label(), u"具体描述"_qs);
    EXPECT_EQ(map.fieldValues[2], u"一\r\n二"_qs);

    // Not a field, or nothing readable: nothing changes.
    browser.Focus({QStringLiteral("SELECT"), QStringLiteral("cat"), QStringLiteral("1"), QString()});
    browser.field.reset();
    browser.Focus(FieldSnapshot{});
    EXPECT_EQ(panel.Text2()->text(), "desc");
    EXPECT_EQ(browser.highlights, 4);
}

TEST_F(PanelTest, SubmissionsAreCapturedOnTheCapturePagesOnly)
{
    browser.Focus(Input("title", u"测试"_qs, u"标题"_qs));
    browser.Submit("http://a/save.asp", "title=%B2%E2%CA%D4&x=1");
    EXPECT_EQ(captured.publishAction, "http://a/save.asp");
    EXPECT_EQ(captured.publishData, "title=/ztitle/&x=1");
    EXPECT_EQ(panel.Text1()->text(), "http://a/save.asp");
    EXPECT_EQ(panel.Text4()->toPlainText(), "title=/ztitle/&x=1");

    session.captureMode = CaptureMode(1);
    browser.Submit("http://a/login.asp", "u=x");
    EXPECT_EQ(captured.loginAction, "http://a/login.asp");
    EXPECT_EQ(captured.loginData, "u=x");

    browser.Submit("http://a/next.asp", QByteArray()); // a plain navigation
    EXPECT_EQ(captured.loginAction, "http://a/login.asp");
    EXPECT_EQ(panel.Text1()->text(), "http://a/login.asp");

    session.captureMode = CaptureMode(3);
    browser.Submit("http://a/other.asp", "y=2");
    EXPECT_EQ(captured.loginData, "u=x");
    EXPECT_EQ(captured.publishData, "title=/ztitle/&x=1");
}

// The report page's checks and replays read the submission of each form as it left the browser.
TEST_F(PanelTest, EachFormKeepsTheSubmissionOfItsOwnPage)
{
    const auto submission = [](const char* action) {
        CapturedSubmission s;
        s.action = QString::fromLatin1(action);
        s.body = "x=1";
        return s;
    };
    session.captureMode = CaptureMode::LoginCapturePage;
    browser.Submit(submission("http://a/login.asp"));
    session.captureMode = CaptureMode::PublishCapturePage;
    browser.Submit(submission("http://a/save.asp"));
    session.captureMode = CaptureMode::ReportPage;
    browser.Submit(submission("http://a/elsewhere.asp"));

    ASSERT_TRUE(session.loginSubmission && session.publishSubmission);
    EXPECT_EQ(session.loginSubmission->action, "http://a/login.asp");
    EXPECT_EQ(session.publishSubmission->action, "http://a/save.asp");
}

TEST_F(PanelTest, StatusTextsShowOnCapturePagesExceptDone)
{
    QSignalSpy shown(&panel, &CapturePanel::StatusText);
    browser.Status(u"正在打开网页 http://a/"_qs);
    browser.Status(u"完成"_qs);
    session.captureMode = CaptureMode(0);
    browser.Status(QStringLiteral("http://a/link"));
    session.captureMode = CaptureMode(1);
    browser.Status(QStringLiteral("http://a/link"));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0][0].toString(), u"正在打开网页 http://a/"_qs);
    EXPECT_EQ(shown[1][0].toString(), "http://a/link");
}

TEST_F(PanelTest, ControlsAsTheWizardHasThem)
{
    EXPECT_TRUE(panel.Text2()->isReadOnly());
    EXPECT_TRUE(panel.Text3()->isReadOnly());
    EXPECT_FALSE(panel.Text7()->isReadOnly());
    EXPECT_EQ(panel.Text7()->text(), "<");
    EXPECT_EQ(panel.Combo1()->count(), 20);
    EXPECT_EQ(panel.Combo1()->itemText(0), "");
    EXPECT_EQ(panel.Combo1()->itemText(19), u"具体描述"_qs);
    EXPECT_FALSE(panel.Combo1()->isEditable());
}

} // namespace

namespace {

// After the field map is emptied (a step between the capture pages) the panel still shows the
// last field; choosing the label shown, by the program or by the operator, maps it again.
TEST_F(PanelTest, ChoosingTheLabelAlreadyShownMapsTheField)
{
    const FieldSnapshot desc{QStringLiteral("TEXTAREA"), QStringLiteral("desc"), QStringLiteral("x"), QString()};
    browser.Focus(desc);
    ASSERT_EQ(map.MappedCount(), 1);
    map.ResetFieldMap();
    browser.Focus(desc); // the text-area path selects "具体描述" again, already shown
    ASSERT_EQ(map.MappedCount(), 1);
    EXPECT_EQ(map.fieldTokens[0], "/zcont/");

    map.ResetFieldMap();
    QComboBox* combo = panel.Combo1();
    panel.show();
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QRect item = list->visualRect(list->model()->index(combo->currentIndex(), 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(combo->currentText(), u"具体描述"_qs);
    ASSERT_EQ(map.MappedCount(), 1) << "the operator's choice of the entry shown";
    EXPECT_EQ(map.fieldNames[0], "desc");
}

} // namespace
