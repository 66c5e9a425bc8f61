// One click fills the test offer: the test values, the fields chosen and left alone, and
// the template that the filled form's submission gives.

#include "capture/fill_plan.h"
#include "capture/form_encoding.h"
#include "capture/label_window.h"
#include "capture/placeholders.h"
#include "capture/submission_capture.h"
#include "capture/test_values.h"
#include "capture/text_fold.h"

#include "test_support.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace {

// What ordinary validation of each label accepts.
QString ShapeOf(QStringView label)
{
    const struct {
        const char16_t* label;
        const char* pattern;
    } shapes[] = {
        {u"单价", R"(^\d+$)"}, {u"数量", R"(^\d+$)"}, {u"邮编", R"(^\d{6}$)"}, {u"区号", R"(^0\d{2,3}$)"},
        {u"电话", R"(^1[3-9]\d{9}$)"}, {u"传真", R"(^\d{7,8}$)"}, {u"区号+电话", R"(^0\d{2,3}-\d{7,8}$)"},
        {u"区号+传真", R"(^0\d{2,3}-\d{7,8}$)"}, {u"电子邮件", R"(^[\w.]+@[\w-]+(\.[\w-]+)+$)"},
        {u"网页地址", R"(^http://[\w.-]+(/\S*)?$)"},
        // a few sentences
        {u"具体描述", R"(^.{10,}[。.].{10,}[。.].*$)"},
    };
    for (const auto& s : shapes)
        if (label == QStringView(s.label))
            return QString::fromUtf8(s.pattern);
    return u"^\\S(.*\\S)?$"_s;
}

// The template a one-field form gives when its value was mapped with the label's token.
QString Templated(const QString& value, const QString& token, const QString& charset)
{
    FormEntry entry;
    entry.name = u"f"_s;
    entry.value = value;
    FieldMap map;
    map.AddEntry(u"f"_s, value, token);
    CaptureSet set;
    CaptureSubmission(CaptureMode::PublishCapturePage, u"http://a.cn/post"_s,
                      EncodeFormBody({entry}, FormEnctype::UrlEncoded, FormCharset(charset)), map, set);
    return set.publishData;
}

class TestValues : public testing::TestWithParam<const char*> {};

TEST_P(TestValues, DistinctValidAndTemplatedInTheFormsCharset)
{
    const QString charset = QString::fromLatin1(GetParam());
    QSet<QString> seen;
    for (const Placeholder& p : PlaceholderTable) {
        const QString label = QString::fromUtf16(p.label);
        const QRegularExpression shape(ShapeOf(label));
        for (int n = 1; n <= 12; ++n) {
            const QString v = TestValue(label, charset, n);
            const std::string at = label.toStdString() + " #" + std::to_string(n) + ": " + v.toStdString();
            EXPECT_TRUE(shape.match(v).hasMatch()) << at;
            EXPECT_FALSE(v.contains(u'&') || v.contains(u'=') || ContainsText(v, kFieldMarker)) << at;
            EXPECT_FALSE(seen.contains(v)) << at << " twice";
            seen.insert(v);
            EXPECT_EQ(Templated(v, QString::fromUtf16(p.token), charset), u"f="_s + QString::fromUtf16(p.token)) << at;
            EXPECT_FALSE(FormCharset(charset).Encode(v).contains("&#")) << at;
            const QString fitted = TestValue(label, charset, n, 8);
            EXPECT_LE(fitted.size(), 8) << at;
            EXPECT_NE(fitted, TestValue(label, charset, n + 1, 8)) << at;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Charsets, TestValues,
                         testing::Values("GBK", "gb2312", "gb18030", "UTF-8", "Big5", "windows-1252", "Shift_JIS"));

TEST(TestValues, ChineseWhereTheCaptureReadsIt)
{
    EXPECT_TRUE(TestValue(u"具体描述", u"GBK", 1).contains(u"测试信息"));
    EXPECT_TRUE(TestValue(u"联系人", u"gb2312", 1).contains(u"王"));
    EXPECT_TRUE(TestValue(u"", u"GBK", 1).isEmpty());
    EXPECT_TRUE(TestValue(u"手机", u"GBK", 1).isEmpty()) << "no placeholder label";
}

FillField Field(const char16_t* name, const char16_t* before, const char16_t* type = u"text")
{
    FillField f;
    f.evidence.tag = u"INPUT"_s;
    f.evidence.name = QString::fromUtf16(name);
    f.evidence.type = QString::fromUtf16(type);
    f.evidence.before = QString::fromUtf16(before);
    return f;
}

template <class Change>
FillField Changed(FillField f, Change change)
{
    change(f);
    return f;
}

// A publish form with a field of every kind the fill must tell apart.
FillForm PublishForm()
{
    FillForm form;
    form.fields = {
        Changed(Field(u"title", u""), [](FillField& f) {
            f.labelWindow = LabelWindow(u"x<tr><td>信息标题:</td><td><input name=title value=test...>");
        }),
        Changed(Field(u"price", u"价格："), [](FillField& f) { f.empty = false; }),
        Field(u"yzm", u"验证码："),
        Changed(Field(u"area", u"所在地区："), [](FillField& f) { f.evidence.tag = u"SELECT"_s; }),
        Field(u"pw", u"密码：", u"password"),
        Field(u"token", u"", u"hidden"),
        Field(u"agree", u"联系电话", u"checkbox"),
        Changed(Field(u"corp", u"公司名称："), [](FillField& f) { f.writable = false; }),
        Changed(Field(u"hid", u"联系人："), [](FillField& f) { f.visible = false; }),
        Changed(Field(u"off", u"联系人："), [](FillField& f) { f.enabled = false; }),
        Field(u"days", u"有效期："),
        Field(u"tel", u"联系电话："),
        Field(u"mobile", u"手机号码："),
        Field(u"tel", u"传真："),
        Changed(Field(u"content", u"详细说明："), [](FillField& f) {
            f.editor = true;
            f.evidence.tag = u"DIV"_s;
        }),
        Changed(Field(u"subtitle", u"副标题："), [](FillField& f) { f.maxLength = 6; }),
        Field(u"", u"邮箱："),
    };
    return form;
}

TEST(PlanFill, FillsWhatItCanLabelAndLeavesTheRestToTheOperator)
{
    const FillForm form = PublishForm();
    const FillPlan plan = PlanFill(form, u"GBK");

    QStringList steps;
    for (const FillStep& s : plan.steps)
        steps << form.fields[std::size_t(s.field)].evidence.name + u':' + s.label;
    EXPECT_EQ(steps, (QStringList{u"title:主题"_s, u"tel:电话"_s, u"mobile:电话"_s, u"content:具体描述"_s,
                                  u"subtitle:主题"_s}));
    EXPECT_NE(plan.steps[1].value, plan.steps[2].value) << "two phones, two values";
    EXPECT_NE(plan.steps[0].value.left(6), plan.steps[4].value);
    EXPECT_LE(plan.steps[4].value.size(), 6);
    for (const FillStep& s : plan.steps)
        EXPECT_FALSE(s.why.isEmpty());
    EXPECT_EQ(plan.leftToOperator, (std::vector<LeftField>{{u"验证码"_s, LeftField::Why::Code},
                                                           {u"所在地区"_s, LeftField::Why::Select},
                                                           {u"有效期"_s, LeftField::Why::NoLabel},
                                                           {u"传真"_s, LeftField::Why::SameName}}));
    const QString summary = FillSummary(qsizetype(plan.steps.size()), plan.leftToOperator);
    EXPECT_TRUE(summary.contains(u"已填写 5 个字段")) << summary.toStdString();
    EXPECT_TRUE(summary.contains(u"“所在地区”（下拉框）")) << summary.toStdString();
    EXPECT_TRUE(summary.contains(u"“验证码”（验证码）")) << summary.toStdString();
}

// The filled form submitted: every filled field stands as its token in the template, the
// editor's text area with the value the editor wrote into it.
TEST(PlanFill, TheSubmittedFormIsTemplatedWithATokenForEveryFilledField)
{
    for (const char* charset : {"GBK", "UTF-8", "Big5"}) {
        const FillForm form = PublishForm();
        const FillPlan plan = PlanFill(form, QString::fromLatin1(charset));
        FieldMap map;
        std::vector<FilledField> filled;
        QList<FormEntry> entries;
        for (const FillStep& s : plan.steps) {
            const QString& name = form.fields[std::size_t(s.field)].evidence.name;
            filled.push_back({name, s.value, s.label});
            FormEntry e;
            e.name = name;
            // The editor writes its markup into the hidden text area when the form is sent.
            e.value = name == u"content" ? u"<p>"_s + s.value + u"</p>"_s : s.value;
            entries << e;
        }
        MapFilledFields(map, filled);
        MapEditedTextArea(map, u"content"_s, u"<p>"_s + plan.steps[3].value + u"</p>"_s);
        CaptureSet set;
        CaptureSubmission(CaptureMode::PublishCapturePage, u"http://a.cn/post"_s,
                          EncodeFormBody(entries, FormEnctype::UrlEncoded, FormCharset(QString::fromLatin1(charset))),
                          map, set);
        EXPECT_EQ(set.publishData, u"title=/ztitle/&tel=/ztelpho/&mobile=/ztelpho/&content=/zcont/&subtitle=/ztitle/"_s)
            << charset;
    }
}

TEST(MapEditedTextArea, MapsTheDescriptionUnlessTheOperatorChoseAnotherLabel)
{
    FieldMap map;
    MapEditedTextArea(map, u"body"_s, u"<p>a</p>"_s);
    MapCurrentField(map, u"intro"_s, u"x"_s, u"主题"_s);
    MapEditedTextArea(map, u"intro"_s, u"<p>b</p>"_s);
    EXPECT_EQ(map.fieldNames, (QStringList{u"body"_s, u"intro"_s, {}}));
    EXPECT_EQ(map.fieldValues, (QStringList{u"<p>a</p>"_s, u"<p>b</p>"_s, {}}));
    EXPECT_EQ(map.fieldTokens, (QStringList{u"/zcont/"_s, u"/ztitle/"_s, {}}));
}

TEST(ChooseFillForm, TheFocusedFormElseTheOneWithMostFieldsAPersonFills)
{
    FillForm search;
    search.fields = {Field(u"kw", u"搜索：")};
    FillForm publish = PublishForm();
    FillForm hidden;
    hidden.fields = {Field(u"a", u"", u"hidden"), Field(u"b", u"", u"hidden"), Field(u"c", u"", u"submit")};
    EXPECT_EQ(ChooseFillForm({search, publish, hidden}), 1);
    search.holdsFocus = true;
    EXPECT_EQ(ChooseFillForm({search, publish}), 0);
    hidden.holdsFocus = true;
    EXPECT_EQ(ChooseFillForm({hidden, publish}), 1) << "a form of hidden fields is nothing to fill";
    EXPECT_EQ(ChooseFillForm({hidden}), -1);
    EXPECT_EQ(ChooseFillForm({}), -1);
}

} // namespace
