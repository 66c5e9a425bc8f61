// The label proposed for a field: the keyword rules on the label window first, then the
// second opinion from the field's own label, placeholder, aria-label, title, the text
// before it and its name; every proposal with its reason.

#include "capture/keyword_rules.h"
#include "capture/label_window.h"
#include "capture/second_opinion.h"
#include "capture/text_before.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace {

struct Case {
    const char* what;
    const char16_t* markup; // with the marker in the field, or empty
    FieldEvidence field;
    const char16_t* label;  // nullptr: none
    ProposalSource source;
    const char16_t* whyHas; // a word the reason must name
    bool onlySuggested = false; // from the rules, yet not what a focus change selects
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.what;
}

FieldEvidence Before(const char16_t* text, const char16_t* name = u"f")
{
    FieldEvidence f;
    f.name = QString::fromUtf16(name);
    f.before = QString::fromUtf16(text);
    return f;
}

FieldEvidence Named(const char16_t* name, const char16_t* type = u"text")
{
    FieldEvidence f;
    f.name = QString::fromUtf16(name);
    f.type = QString::fromUtf16(type);
    return f;
}

FieldEvidence With(FieldEvidence f, QString FieldEvidence::*member, const char16_t* text)
{
    f.*member = QString::fromUtf16(text);
    return f;
}

// A table row with the caption in the cell before the field.
constexpr char16_t kPhoneRow[] = u"x<TABLE><TR><TD>联系电话:</TD><TD><INPUT name=tel value=test...></TD></TR>";
constexpr char16_t kMobileRow[] = u"x<tr><td>联系手机：</td><td><input name=m value=test...></td></tr>";

class SecondOpinion : public testing::TestWithParam<Case> {};

TEST_P(SecondOpinion, ProposesWithReason)
{
    const Case& c = GetParam();
    const Proposal p = ProposeLabel(LabelWindow(QString::fromUtf16(c.markup)), c.field);
    if (c.label)
        EXPECT_EQ(p.label.value_or(u"<none>"_s), QString::fromUtf16(c.label)) << c.what << ": " << p.why.toStdString();
    else
        EXPECT_FALSE(p.label) << c.what << " gave " << p.label.value_or("").toStdString() << ": "
                              << p.why.toStdString();
    EXPECT_EQ(p.source, c.source) << c.what;
    EXPECT_TRUE(p.why.contains(QString::fromUtf16(c.whyHas))) << c.what << ": " << p.why.toStdString();
    // Only the rules' own labels are selected on a focus change; the rest is a suggestion.
    EXPECT_EQ(p.selectedOnFocus, c.source == ProposalSource::Rule && !c.onlySuggested) << c.what;
}

const FieldEvidence kNone;

INSTANTIATE_TEST_SUITE_P(
    Fields, SecondOpinion,
    testing::Values(
        // The rules first, never overridden.
        Case{"rule 6 in a table row", kPhoneRow, kNone, u"电话", ProposalSource::Rule, u"规则6"},
        Case{"the rules win over the field's own label", kPhoneRow,
             With(Named(u"email"), &FieldEvidence::label, u"邮箱"), u"电话", ProposalSource::Rule, u"电话"},
        Case{"a text area is always the description", u"",
             With(With(kNone, &FieldEvidence::tag, u"TEXTAREA"), &FieldEvidence::label, u"公司名称"),
             u"具体描述", ProposalSource::Rule, u"具体描述"},
        Case{"a mobile number held by rule 7 gets the phone, as a suggestion", kMobileRow, Named(u"m"),
             u"电话", ProposalSource::Rule, u"手机", true},
        // Evidence the rules do not read.
        Case{"label for", u"", With(kNone, &FieldEvidence::label, u"信息标题 *"), u"主题", ProposalSource::Label, u"标题"},
        Case{"wrapping label after the field", u"", With(kNone, &FieldEvidence::label, u"联系人（必填）"), u"联系人",
             ProposalSource::Label, u"联系人"},
        Case{"placeholder: a mailbox address is no street", u"",
             With(kNone, &FieldEvidence::placeholder, u"请输入您的邮箱地址"), u"电子邮件", ProposalSource::Placeholder, u"邮箱"},
        Case{"placeholder of a mobile", u"", With(kNone, &FieldEvidence::placeholder, u"请输入11位手机号码"), u"电话",
             ProposalSource::Placeholder, u"手机"},
        Case{"aria-label in English", u"", With(kNone, &FieldEvidence::ariaLabel, u"Company name"), u"公司名称",
             ProposalSource::Aria, u"company"},
        Case{"title", u"", With(kNone, &FieldEvidence::title, u"联系传真"), u"传真", ProposalSource::Title, u"传真"},
        Case{"div caption before the field", u"", Before(u"请认真填写 联系电话："), u"电话", ProposalSource::Text, u"电话"},
        Case{"the caption, not the previous field's help text", u"", Before(u"(价格面议请填0) 有效期："), nullptr,
             ProposalSource::None, u""},
        Case{"a caption the rules cut too short", u"x<tr><td><span>企业名称</span>：</td><td><input name=a value=test...>",
             Before(u"企业名称："), u"公司名称", ProposalSource::Text, u"企业"},
        Case{"a select inside the caption", u"", Before(u"号码："), u"电话", ProposalSource::Text, u"号码"},
        Case{"邮箱", u"", Before(u"邮箱："), u"电子邮件", ProposalSource::Text, u"邮箱"},
        Case{"标签", u"", Before(u"标签："), u"关键字", ProposalSource::Text, u"标签"},
        Case{"最小起订量", u"", Before(u"最小起订量："), u"数量", ProposalSource::Text, u"起订"},
        Case{"供货总量", u"", Before(u"供货总量："), u"数量", ProposalSource::Text, u"总量"},
        Case{"需求量", u"", Before(u"需求量："), u"数量", ProposalSource::Text, u"需求量"},
        Case{"主要经营地点", u"", Before(u"主要经营地点："), u"城市", ProposalSource::Text, u"经营地"},
        Case{"the contact's phone", u"", Before(u"联系人电话："), u"电话", ProposalSource::Text, u"电话"},
        Case{"in a table row the rules miss, the text before", u"x<tr><td>邮箱:</td><td><input name=a value=test...>",
             Before(u"邮箱:"), u"电子邮件", ProposalSource::Text, u"邮箱"},
        // Names: English, pinyin, abbreviations, in the spellings of page builders.
        Case{"title", u"", Named(u"title"), u"主题", ProposalSource::Name, u"title"},
        Case{"biaoti", u"", Named(u"biaoti"), u"主题", ProposalSource::Name, u"biaoti"},
        Case{"jiage", u"", Named(u"jiage"), u"单价", ProposalSource::Name, u"jiage"},
        Case{"dh", u"", Named(u"dh"), u"电话", ProposalSource::Name, u"dh"},
        Case{"lxr", u"", Named(u"lxr"), u"联系人", ProposalSource::Name, u"lxr"},
        Case{"linkman", u"", Named(u"linkman"), u"联系人", ProposalSource::Name, u"linkman"},
        Case{"youxiang", u"", Named(u"youxiang"), u"电子邮件", ProposalSource::Name, u"youxiang"},
        Case{"gsmc", u"", Named(u"gsmc"), u"公司名称", ProposalSource::Name, u"gsmc"},
        Case{"e_mail", u"", Named(u"e_mail"), u"电子邮件", ProposalSource::Name, u"email"},
        Case{"area_code", u"", Named(u"area_code"), u"区号", ProposalSource::Name, u"areacode"},
        Case{"camel case, the thing named last", u"", Named(u"txtCompanyAddr"), u"详细地址", ProposalSource::Name, u"addr"},
        Case{"ASP.NET name", u"", Named(u"ctl00$Main$txtContactTel"), u"电话", ProposalSource::Name, u"tel"},
        Case{"a word inside a word", u"", Named(u"usermail"), u"电子邮件", ProposalSource::Name, u"mail"},
        Case{"youbian", u"", Named(u"youbian"), u"邮编", ProposalSource::Name, u"youbian"},
        Case{"quhao", u"", Named(u"quhao"), u"区号", ProposalSource::Name, u"quhao"},
        Case{"chuanzhen", u"", Named(u"chuanzhen"), u"传真", ProposalSource::Name, u"chuanzhen"},
        Case{"qty", u"", Named(u"qty"), u"数量", ProposalSource::Name, u"qty"},
        Case{"guige", u"", Named(u"guige"), u"规格", ProposalSource::Name, u"guige"},
        Case{"baozhuang", u"", Named(u"baozhuang"), u"包装", ProposalSource::Name, u"baozhuang"},
        Case{"homepage", u"", Named(u"homepage"), u"网页地址", ProposalSource::Name, u"homepage"},
        Case{"gjz", u"", Named(u"gjz"), u"关键字", ProposalSource::Name, u"gjz"},
        Case{"neirong", u"", Named(u"neirong"), u"具体描述", ProposalSource::Name, u"neirong"},
        Case{"chengshi", u"", Named(u"chengshi"), u"城市", ProposalSource::Name, u"chengshi"},
        Case{"a Chinese name", u"", Named(u"联系人"), u"联系人", ProposalSource::Name, u"联系人"},
        Case{"the id when the name says nothing", u"", With(Named(u"f3"), &FieldEvidence::id, u"price"), u"单价",
             ProposalSource::Name, u"price"},
        Case{"the input's type", u"", Named(u"f3", u"email"), u"电子邮件", ProposalSource::Name, u"email"},
        Case{"capacity is no city", u"", Named(u"capacity"), nullptr, ProposalSource::None, u""},
        // Traditional characters of Big5 pages, and a Big5 table row the rules cannot read.
        Case{"聯絡人", u"", Before(u"聯絡人："), u"联系人", ProposalSource::Text, u"联络人"},
        Case{"公司名稱", u"", Before(u"公司名稱："), u"公司名称", ProposalSource::Text, u"公司"},
        Case{"郵遞區號 is the postal code", u"", Before(u"郵遞區號："), u"邮编", ProposalSource::Text, u"邮递区号"},
        Case{"行動電話", u"", With(kNone, &FieldEvidence::label, u"行動電話"), u"电话", ProposalSource::Label, u"电话"},
        Case{"電子郵件 in a Big5 table row", u"x<tr><td>電子郵件:</td><td><input name=a value=test...>",
             Before(u"電子郵件:"), u"电子邮件", ProposalSource::Text, u"电子"},
        Case{"產品規格", u"", Before(u"產品規格："), u"规格", ProposalSource::Text, u"规格"},
        // Fields it leaves alone.
        Case{"a verification code by its caption", u"", Before(u"请输入验证码：", u"code"), nullptr,
             ProposalSource::None, u"验证码"},
        Case{"a verification code by its name", u"", Named(u"yzm"), nullptr, ProposalSource::None, u"验证码"},
        Case{"驗證碼", u"", Before(u"驗證碼："), nullptr, ProposalSource::None, u"验证码"},
        Case{"an SMS code that rule 7 holds", u"x<tr><td>手机验证码：</td><td><input name=c value=test...>", Named(u"c"),
             nullptr, ProposalSource::None, u"验证码"},
        Case{"the code's help text does not make the next field a code", u"",
             Before(u"看不清验证码？换一张 邮箱："), u"电子邮件", ProposalSource::Text, u"邮箱"},
        Case{"a password", u"", With(Named(u"pw", u"password"), &FieldEvidence::label, u"联系电话"), nullptr,
             ProposalSource::None, u"password"},
        Case{"a hidden field", u"", Named(u"title", u"hidden"), nullptr, ProposalSource::None, u"hidden"},
        Case{"a check box", u"", Named(u"tel", u"checkbox"), nullptr, ProposalSource::None, u"checkbox"},
        Case{"a file", u"", With(Named(u"pic", u"file"), &FieldEvidence::label, u"产品图片"), nullptr,
             ProposalSource::None, u"file"},
        Case{"a select", u"", With(With(kNone, &FieldEvidence::tag, u"SELECT"), &FieldEvidence::label, u"所在城市"),
             nullptr, ProposalSource::None, u"下拉框"},
        Case{"a search box", u"", With(Named(u"kw"), &FieldEvidence::placeholder, u"搜索关键词"), nullptr,
             ProposalSource::None, u""},
        Case{"a search box by its name", u"", Named(u"searchkeyword"), nullptr, ProposalSource::None, u""},
        Case{"a user name", u"", Before(u"用户名："), nullptr, ProposalSource::None, u""},
        Case{"a login name", u"", Named(u"login_email"), nullptr, ProposalSource::None, u""},
        Case{"a QQ number", u"", Before(u"QQ号码："), nullptr, ProposalSource::None, u""},
        Case{"an identity card", u"", Before(u"身份证号码："), nullptr, ProposalSource::None, u""},
        Case{"a user_name", u"", Named(u"user_name"), nullptr, ProposalSource::None, u""},
        Case{"nothing to go by", u"", Named(u"f1"), nullptr, ProposalSource::None, u"看不出"}));

TEST(TextBeforeMarker, ReadsWhatThePageScriptSends)
{
    const struct {
        const char16_t* markup;
        const char16_t* before;
    } cases[] = {
        {u"<div><label>联系人</label><input name=a value=x><br>联系&nbsp;电话<b>：</b><input name=b value=test...>",
         u"联系 电话 ："},
        {u"<p>首选联系电话<select name=s><option>手机</option></select>号码：<input value=test...>", u"号码："},
        {u"<dl><dt>手机号码</dt><dd><input type=hidden name=h value=1><input name=b value=test...>", u"手机号码"},
        {u"<p>标题<script>var a='<b>x</b>';</script><style>p{}</style>：<input value=test...>", u"标题 ："},
        {u"<p>no marker<input value=x>", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextBeforeMarker(QString::fromUtf16(c.markup)), QString::fromUtf16(c.before))
            << QString::fromUtf16(c.markup).toStdString();
    EXPECT_EQ(TextBeforeMarker(u"<p>"_s + QString(100, u'字') + u"<input value=test...>"_s).size(),
              kTextBeforeChars);
}

TEST(KeywordRules, SayWhichRuleAndWhichWords)
{
    EXPECT_EQ(MatchKeywordRules(u"R><TD>公司名称"), (RuleMatch{1, u"公司名称"_s, {u"公司"_s, u"名"_s, u"称"_s}}));
    EXPECT_EQ(MatchKeywordRules(u"移动电话"), (RuleMatch{7, u"手机"_s, {u"移动"_s}}));
    EXPECT_EQ(MatchKeywordRules(u"厂址"), (RuleMatch{19, u"详细地址"_s, {u"厂址"_s}}));
    EXPECT_FALSE(MatchKeywordRules(u""));
}

} // namespace
