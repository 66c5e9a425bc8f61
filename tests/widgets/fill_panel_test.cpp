// The capture panel's proposals with their reasons, the suggestion taken by a key, the
// one-click fill mapped, an editor's text area mapped at submission, the success text
// proposed from the answer; driven by a fake browser.

#include "fake_browser.h"
#include "wizard/capture_panel.h"
#include "wizard/fill_buttons.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace Qt::StringLiterals;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// A field of a div layout: no table row for the rules, a caption just before it.
FieldSnapshot DivField(const QString& name, const QString& before)
{
    FieldSnapshot f{u"INPUT"_s, name, QString(), u"<div>"_s + before + u"<input name="_s + name + u" value=test..."_s};
    f.evidence.before = before;
    return f;
}

class FillPanel : public testing::Test {
protected:
    FillPanel() : panel(session, captured), buttons(panel, nullptr), browser(panel)
    {
        panel.SetBrowser(&browser);
        session.captureMode = CaptureMode::PublishCapturePage;
        buttons.ShowForPage(session.captureMode);
    }

    QString Label() const { return panel.Combo1()->currentText(); }
    QString LastStatus() const { return status.isEmpty() ? QString() : status.last().at(0).toString(); }

    WizardSession session;
    FieldMap& map = session.fieldMap;
    CaptureSet captured;
    CapturePanel panel;
    FillButtons buttons;
    FakeBrowser browser;
    QSignalSpy status{&panel, &CapturePanel::StatusText};
};

TEST_F(FillPanel, ASecondOpinionIsSuggestedNeverSelectedAndTakenWithOneClick)
{
    browser.Focus(DivField(u"m"_s, u"邮箱："_s));
    EXPECT_EQ(Label(), "") << "the rules give nothing, and the suggestion is not selected";
    EXPECT_EQ(map.MappedCount(), 0);
    EXPECT_TRUE(LastStatus().startsWith(u"建议“电子邮件”"_s)) << LastStatus().toStdString();
    EXPECT_TRUE(panel.Combo1()->toolTip().contains(u"邮箱"_s));
    EXPECT_TRUE(buttons.AdoptButton()->isEnabled());
    EXPECT_TRUE(buttons.AdoptButton()->text().contains(u"电子邮件"_s));

    buttons.AdoptButton()->click();
    EXPECT_EQ(Label(), u"电子邮件"_s);
    ASSERT_EQ(map.MappedCount(), 1);
    EXPECT_EQ(map.fieldTokens[0], u"/zemal/"_s);
    EXPECT_FALSE(buttons.AdoptButton()->isEnabled());

    // The rules' own label is selected as before, with its reason; nothing to take.
    browser.Focus({u"INPUT"_s, u"tel"_s, QString(), u"x<TABLE><TR><TD>联系电话:</TD><TD><INPUT name=tel value=test..."_s});
    EXPECT_EQ(Label(), u"电话"_s);
    EXPECT_TRUE(LastStatus().startsWith(u"“电话”：规则6"_s)) << LastStatus().toStdString();
    EXPECT_FALSE(buttons.AdoptButton()->isEnabled());

    // A mobile number: rule 7 leaves Combo1 as it is; the phone is suggested.
    browser.Focus({u"INPUT"_s, u"mob"_s, QString(), u"x<TABLE><TR><TD>手机:</TD><TD><INPUT name=mob value=test..."_s});
    EXPECT_EQ(Label(), "");
    EXPECT_TRUE(LastStatus().contains(u"手机号码"_s)) << LastStatus().toStdString();
    EXPECT_TRUE(buttons.AdoptButton()->isEnabled());
}

TEST_F(FillPanel, TheFillIsMappedAsIfEachFieldHadBeenVisited)
{
    EXPECT_TRUE(buttons.FillButton()->isVisibleTo(&buttons));
    buttons.FillButton()->click();
    ASSERT_TRUE(browser.fill);
    QSignalSpy filled(&panel, &CapturePanel::Filled);
    FillOutcome outcome;
    outcome.filled = {{u"title"_s, u"测试1号"_s, u"主题"_s}, {u"tel"_s, u"13800130001"_s, u"电话"_s}};
    outcome.left = {{u"验证码"_s, LeftField::Why::Code}};
    browser.fill(outcome);
    ASSERT_EQ(filled.size(), 1);
    EXPECT_EQ(map.fieldNames, (QStringList{u"title"_s, u"tel"_s, {}}));
    EXPECT_EQ(map.fieldValues, (QStringList{u"测试1号"_s, u"13800130001"_s, {}}));
    EXPECT_EQ(map.fieldTokens, (QStringList{u"/ztitle/"_s, u"/ztelpho/"_s, {}}));
    EXPECT_EQ(LastStatus(), u"已填写 2 个字段并选好标签；请您自己填写：“验证码”（验证码）"_s);

    buttons.ShowForPage(CaptureMode::LoginCapturePage);
    EXPECT_FALSE(buttons.FillButton()->isVisibleTo(&buttons)) << "the login is the operator's own";
    EXPECT_TRUE(buttons.AdoptButton()->isVisibleTo(&buttons));
}

TEST_F(FillPanel, AnEditorsHiddenTextAreaIsMappedWithWhatItSubmitted)
{
    CapturedSubmission s;
    s.action = u"http://a.cn/save.asp"_s;
    s.body = "title=x&content=%3Cp%3Eabc%3C%2Fp%3E&note=y";
    CheckedField content;
    content.name = u"content"_s;
    content.type = u"textarea"_s;
    content.value = u"<p>abc</p>"_s;
    content.editorWritten = true;
    CheckedField note;
    note.name = u"note"_s;
    note.type = u"textarea"_s;
    note.value = u"y"_s;
    s.fields = {content, note};
    browser.Submit(s);
    EXPECT_EQ(captured.publishData, u"title=x&content=/zcont/&note=y"_s);
}

TEST_F(FillPanel, TheSuccessTextIsProposedFromTheAnswerUnlessTheOperatorTypedOne)
{
    CapturedSubmission s;
    s.action = u"http://a.cn/save.asp"_s;
    s.body = "title=x";
    s.pageMarkup = u"<p>发布成功后请等待审核</p>"_s;
    browser.Submit(s);
    browser.Status(u"完成"_s); // a link hovered before the answer loads
    EXPECT_TRUE(browser.pageReads.empty());
    browser.Status(u"正在打开网页 http://a.cn/save.asp"_s);
    browser.Status(u"完成"_s);
    ASSERT_EQ(browser.pageReads.size(), 1u);
    browser.pageReads[0](u"<title>发布成功</title><p>恭喜，信息已经发布成功！</p>"_s);
    EXPECT_EQ(panel.Text7()->text(), u"恭喜，信息已经发布成功"_s) << "not what the form's page shows too";
    EXPECT_EQ(panel.Text7()->selectedText(), panel.Text7()->text()) << "typing replaces it";

    // Once the operator has typed a success text, an answer never overwrites it.
    panel.Text7()->setText(u"谢谢"_s);
    browser.Submit(s);
    browser.Status(u"正在打开网页 http://a.cn/save.asp"_s);
    browser.Status(u"完成"_s);
    ASSERT_EQ(browser.pageReads.size(), 2u);
    browser.pageReads[1](u"<p>提交成功</p>"_s);
    EXPECT_EQ(panel.Text7()->text(), u"谢谢"_s);
}

} // namespace
