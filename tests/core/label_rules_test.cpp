// The label window cut out of the page markup, the keyword rules and the tracking decision.

#include "capture/field_tracking.h"
#include "capture/label_window.h"
#include "capture/placeholders.h"
#include "capture/text_fold.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

// A one-field table row with the marker in the field's value.
QString Row(const QString& caption, const QString& name = "f")
{
    return "<TABLE><TBODY><TR><TD>" + caption + "</TD><TD><INPUT name=" + name +
           " value=test...></TD></TR></TBODY></TABLE>";
}

TEST(TextFold, FoldsCaseAndWidthOnly)
{
    EXPECT_EQ(FoldText(u"AbZ ＡＢ：　ｚ中"), u"abz ab: z中");
    EXPECT_EQ(FoldText(u"Ｔｅｓｔ..."), u"test...");
    EXPECT_EQ(FoldText(u"ÄＺ"), u"Äz"); // only ASCII letters fold
    EXPECT_TRUE(ContainsText(u"<TR><td>", u"<tr"));
    EXPECT_FALSE(ContainsText(u"abc", u""));
    EXPECT_EQ(RemoveAllText(u"a b　c&NBSP;d", u" "), u"abc&NBSP;d");
    EXPECT_EQ(RemoveAllText(u"x&NBSP;y&nbsp;", u"&nbsp;"), u"xy");
    EXPECT_EQ(RemoveAllText(u"aaa", u"aa"), u"a");
}

struct WindowCase {
    const char* what;
    const char16_t* markup;
    const char16_t* window;
};

class LabelWindowCases : public testing::TestWithParam<WindowCase> {};

TEST_P(LabelWindowCases, CutsTheCaption)
{
    const WindowCase& c = GetParam();
    EXPECT_EQ(LabelWindow(QString::fromUtf16(c.markup)), QString::fromUtf16(c.window)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, LabelWindowCases,
    testing::Values(
        WindowCase{"the worked example",
                   u"<TABLE><TBODY><TR><TD>公司名称:</TD><TD><INPUT name=comp value=test...></TD></TR>",
                   u"R><TD>公司名称"},
        WindowCase{"no marker", u"<TABLE><TR><TD>名称:</TD><TD><INPUT value=abc></TD></TR>", u""},
        WindowCase{"no row before the marker", u"<div>公司名称:<input value=test...></div>", u""},
        WindowCase{"a row start at the very first character does not count",
                   u"<tr><td>公司名称:</td><td><input value=test...>", u""},
        WindowCase{"a row start right before the marker counts",
                   u"x<input value=<trtest...>", u"<tr"},
        WindowCase{"the marker is found in any case and width",
                   u"x<tr><td>邮编:</td><td><input value=ＴＥＳＴ...>", u"<tr><td>邮编"},
        WindowCase{"the first marker wins",
                   u"x<tr><td>甲:</td><td><input value=test...></td></tr><tr><td>乙:</td>"
                   u"<td><input value=test...>",
                   u"<tr><td>甲:</td><td><inputvalue="},
        WindowCase{"an earlier table's row counts",
                   u"x<table><tr><td>城市</td></tr></table><p>说明：<input value=test...>",
                   u"able><p>说明"},
        WindowCase{"blanks, nbsp and font ends removed before the colon rule",
                   u"x<tr><td><font>联 系&nbsp;电　话</FONT>:</td><td><input value=test...>",
                   u"<font>联系电话"},
        WindowCase{"two inputs in a row: cut at the previous input",
                   u"x<tr><td>姓名:</td><td><input name=a value=1>区号</td><td><input name=b value=test...>",
                   u"<inputname=avalue=1>区号</td><td><inputname=bvalue"},
        WindowCase{"two selects: cut at the previous select",
                   u"x<tr><td>省份<SELECT name=p></SELECT>城市<select name=c></select></td>"
                   u"<td><input value=test...>",
                   u"<SELECTname=p></SELECT>城市<selectname=c></select></td><td><inputvalue"},
        WindowCase{"a colon before position eleven leaves the window whole",
                   u"x<tr>a:<b><input value=test...>", u"<tr>a:<b><inputvalue="},
        WindowCase{"full-width colon before a tag",
                   u"x<tr><td>传真号码：</td><td><input value=test...>", u"r><td>传真号码"}));

struct RuleCase {
    const char16_t* window;
    const char16_t* label; // nullptr: no rule matches
};

class ProposeCases : public testing::TestWithParam<RuleCase> {};

TEST_P(ProposeCases, FirstMatchingRuleWins)
{
    const RuleCase& c = GetParam();
    const auto label = ProposePlaceholder(QString::fromUtf16(c.window));
    if (!c.label)
        EXPECT_FALSE(label) << QString::fromUtf16(c.window).toStdString() << " gave "
                            << label.value_or("").toStdString();
    else
        EXPECT_EQ(label.value_or("<none>"), QString::fromUtf16(c.label))
            << QString::fromUtf16(c.window).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProposeCases,
    testing::Values(
        // 1
        RuleCase{u"公司/单位", u"公司名称"}, RuleCase{u"网站名称", u"公司名称"},
        RuleCase{u"中文名", u"公司名称"}, RuleCase{u"企业全称", u"公司名称"},
        RuleCase{u"单位名", u"公司名称"}, RuleCase{u"公司名称", u"公司名称"},
        RuleCase{u"公司地址名", u"详细地址"}, RuleCase{u"单位地址名称", u"公司名称"},
        // 2
        RuleCase{u"法人代表", u"联系人"}, RuleCase{u"姓名", u"联系人"}, RuleCase{u"联系人", u"联系人"},
        RuleCase{u"经理", u"联系人"}, RuleCase{u"厂长", u"联系人"}, RuleCase{u"名字", u"联系人"},
        // 3-6
        RuleCase{u"邮政编码", u"邮编"}, RuleCase{u"邮编", u"邮编"}, RuleCase{u"区号", u"区号"},
        RuleCase{u"传真", u"传真"}, RuleCase{u"联系电话", u"电话"},
        // 7: held, not a placeholder label
        RuleCase{u"手机", u"手机"}, RuleCase{u"移动电话", u"手机"},
        // 8-9
        RuleCase{u"城市", u"城市"}, RuleCase{u"网址", u"网页地址"}, RuleCase{u"站点", u"网页地址"},
        RuleCase{u"主页", u"网页地址"}, RuleCase{u"链接", u"网页地址"},
        // 10-16
        RuleCase{u"交货地", u"详细地址"}, RuleCase{u"数量", u"数量"}, RuleCase{u"价格", u"单价"},
        RuleCase{u"规格", u"规格"}, RuleCase{u"关键词", u"关键字"}, RuleCase{u"物资名称", u"关键字"},
        RuleCase{u"产品名称", u"关键字"}, RuleCase{u"品名", u"关键字"}, RuleCase{u"主要产品", u"关键字"},
        RuleCase{u"经营范围", u"关键字"}, RuleCase{u"产地", u"详细地址"}, RuleCase{u"包装", u"包装"},
        // 17-20
        RuleCase{u"描述", u"具体描述"}, RuleCase{u"E-Mail", u"电子邮件"}, RuleCase{u"ＭＡＩＬ", u"电子邮件"},
        RuleCase{u"邮件", u"电子邮件"}, RuleCase{u"电子信箱", u"电子邮件"}, RuleCase{u"地址", u"详细地址"},
        RuleCase{u"街道", u"详细地址"}, RuleCase{u"厂址", u"详细地址"}, RuleCase{u"主题", u"主题"},
        RuleCase{u"标题", u"主题"},
        // order between overlapping rules
        RuleCase{u"联系人电话", u"联系人"}, RuleCase{u"传真电话", u"传真"},
        RuleCase{u"邮编地址", u"邮编"}, RuleCase{u"产品价格", u"单价"},
        RuleCase{u"产品描述", u"具体描述"}, RuleCase{u"信息标题", u"主题"},
        // nothing
        RuleCase{u"", nullptr}, RuleCase{u"密码", nullptr}, RuleCase{u"用户", nullptr}));

TEST(ProposePlaceholder, CaptionsOfOneFieldRows)
{
    const struct {
        const char16_t* caption;
        const char16_t* label;
    } cases[] = {{u"公司名称:", u"公司名称"},
                 {u"联系电话:", u"电话"},
                 {u"E-Mail:", u"电子邮件"},
                 {u"公司地址:", u"详细地址"},
                 {u"手机:", u"手机"},
                 {u"移动电话:", u"手机"}};
    for (const auto& c : cases)
        EXPECT_EQ(ProposePlaceholder(LabelWindow(Row(QString::fromUtf16(c.caption)))).value_or(""),
                  QString::fromUtf16(c.label))
            << QString::fromUtf16(c.caption).toStdString();
}

TEST(ProposePlaceholder, AttributeNameInTheWindowCounts)
{
    // the field's own tag runs up to the marker, so its name is part of the window
    EXPECT_EQ(ProposePlaceholder(LabelWindow(u"x<tr><td></td><td><input name=usermail value=test..."_qs)),
              u"电子邮件"_qs);
}

TEST(TrackActiveField, Paths)
{
    const QString markup = Row(u"联系电话:"_qs, "tel");

    TrackDecision d = TrackActiveField({"INPUT", "tel", "123", markup}, "", "");
    EXPECT_EQ(d.path, TrackPath::Input);
    EXPECT_EQ(d.fieldName, "tel");
    EXPECT_EQ(d.fieldValue, "123");
    EXPECT_EQ(d.labelIndex, Combo1IndexOf(u"电话"));
    EXPECT_TRUE(d.highlight);

    d = TrackActiveField({"INPUT", "tel", "123", markup}, "tel", "123");
    EXPECT_EQ(d.path, TrackPath::Unchanged);
    EXPECT_FALSE(d.highlight);
    EXPECT_FALSE(d.labelIndex);

    // same name, new value: proposed again
    d = TrackActiveField({"input", "tel", "1234", markup}, "tel", "123");
    EXPECT_EQ(d.path, TrackPath::Input);
    EXPECT_EQ(d.labelIndex, Combo1IndexOf(u"电话"));

    d = TrackActiveField({"INPUT", "m", "139", Row(u"手机:"_qs)}, "", "");
    EXPECT_EQ(d.path, TrackPath::Input);
    EXPECT_FALSE(d.labelIndex) << "a mobile number leaves Combo1 as it is";
    EXPECT_TRUE(d.highlight);

    d = TrackActiveField({"INPUT", "pw", "x", Row(u"密码:"_qs)}, "", "");
    EXPECT_EQ(d.labelIndex, 0);

    d = TrackActiveField({"INPUT", "pw", "x", ""}, "", "");
    EXPECT_EQ(d.labelIndex, 0) << "no markup: the empty label";
    EXPECT_TRUE(d.highlight);

    d = TrackActiveField({"TEXTAREA", "body", "a\r\nb", Row(u"公司名称:"_qs)}, "body", "a\r\nb");
    EXPECT_EQ(d.path, TrackPath::TextArea) << "text areas are not compared with Text2/Text3";
    EXPECT_EQ(d.labelIndex, Combo1IndexOf(u"具体描述"));
    EXPECT_TRUE(d.highlight);

    for (const char* tag : {"SELECT", "BUTTON", "BODY", "", "IFRAME"}) {
        d = TrackActiveField({tag, "x", "y", markup}, "", "");
        EXPECT_EQ(d.path, TrackPath::None) << tag;
        EXPECT_FALSE(d.highlight);
    }
}

} // namespace
