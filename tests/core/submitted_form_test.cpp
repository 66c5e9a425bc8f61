// A submitted form as the checks read it, and the same form found in the page loaded again.

#include "capture/submitted_form.h"

#include "test_support.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

SubmittedFormMessage Form(const char* json)
{
    const BridgeMessage m = ParseBridgeMessage(QJsonDocument::fromJson(json).object());
    const auto* submit = std::get_if<SubmitMessage>(&m);
    if (!submit || !submit->form) {
        ADD_FAILURE() << "not a submission with its form: " << json;
        return {};
    }
    return *submit->form;
}

TEST(SubmittedForm, FieldsWithTheCaptionsOfTheirOwnMarks)
{
    // Three rows in a GBK page's table; the hidden field is outside the markup.
    const std::vector<CheckedField> fields = DescribedFields(Form(R"({"kind":"submit","url":"http://a/s","enctype":"","charset":"gbk","entries":[],
        "form":{"page":"http://a/f.html","index":1,"action":"http://a/s",
          "fields":[{"name":"comp","id":"","type":"","readonly":false,"value":"x&y","typed":true,"image":"","mark":0},
                    {"name":"desc","id":"d","type":"textarea","readonly":true,"value":"a\nb","typed":false,"image":"","mark":1},
                    {"name":"yzm","id":"","type":"Text","readonly":false,"value":"","typed":false,"image":"http://a/code.asp","mark":2},
                    {"name":"h","id":"","type":"hidden","readonly":false,"value":"1","typed":false,"image":"","mark":-1}],
          "segments":["<table><tr><td>公司名称:</td><td><input name=\"comp\" value=\"",
                      "\"></td></tr><tr><td>详细说明:</td><td><textarea name=\"desc\" value=\"",
                      "\"></textarea></td></tr><tr><td>验证码:</td><td><input name=\"yzm\" value=\"",
                      "\"><img src=\"code.asp\"></td></tr></table>"],
          "values":["x&y","",""]}})"));
    struct Expect {
        const char* name;
        QString caption;
    };
    const std::vector<Expect> expected{
        {"comp", u"r><td>公司名称"_qs}, {"desc", u"r><td>详细说明"_qs}, {"yzm", u"tr><td>验证码"_qs}, {"h", {}}};
    ASSERT_EQ(fields.size(), expected.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, expected[i].name);
        EXPECT_EQ(fields[i].caption, expected[i].caption) << expected[i].name;
        EXPECT_FALSE(fields[i].reloaded);
    }
    EXPECT_TRUE(fields[0].typed);
    EXPECT_EQ(fields[1].value, u"a\r\nb"_qs) << "line breaks as the form submits them";
    EXPECT_TRUE(fields[1].readonly);
    EXPECT_EQ(fields[1].id, "d");
    EXPECT_EQ(fields[2].type, "Text") << "as the page writes it";
    EXPECT_EQ(fields[2].imageNear, "http://a/code.asp");
}

TEST(SubmittedForm, ReloadedValuesGoToTheSameNameAndOccurrence)
{
    const auto field = [](const char* name, const char* value) {
        CheckedField f;
        f.name = QString::fromUtf8(name);
        f.value = QString::fromUtf8(value);
        return f;
    };
    std::vector<CheckedField> captured{field("a", "1"), field("t", "x"), field("t", "y"), field("", "z"),
                                       field("gone", "g")};
    captured[4].reloaded = QString("stale");
    SetReloadedValues(captured, {field("t", "x2"), field("", "other"), field("a", "1"), field("t", "y2")});
    EXPECT_EQ(captured[0].reloaded, "1");
    EXPECT_EQ(captured[1].reloaded, "x2");
    EXPECT_EQ(captured[2].reloaded, "y2");
    EXPECT_FALSE(captured[3].reloaded) << "a field without a name has no counterpart";
    EXPECT_FALSE(captured[4].reloaded) << "not in the page any more: not reloaded";
}

TEST(SubmittedForm, SameFormOnlyAtTheSamePageAndAction)
{
    const FormPlace place{"http://a/p/form.asp?id=1", 1, "http://a/p/save.asp?t=1"};
    struct Case {
        const char* what;
        QString page;
        std::optional<QString> action;
        bool same;
    };
    const std::vector<Case> cases{
        {"the same", "http://a/p/form.asp?id=1", u"http://a/p/save.asp?t=1"_qs, true},
        {"spelt otherwise", "HTTP://A:80/p/form.asp?id=%31#top", u"http://a/p/%73ave.asp?t=1"_qs, true},
        {"a new token in the action's query", "http://a/p/form.asp?id=1", u"http://a/p/save.asp?t=2"_qs, true},
        {"another action", "http://a/p/form.asp?id=1", u"http://a/p/login.asp?t=1"_qs, false},
        {"no form at that place", "http://a/p/form.asp?id=1", std::nullopt, false},
        {"another page", "http://a/p/form.asp?id=2", u"http://a/p/save.asp?t=1"_qs, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSameForm(place, FormReadingMessage{c.page, c.action, {}}), c.same) << c.what;
}

TEST(SubmittedForm, ReadingIsCheckedStrictly)
{
    const auto parse = [](const char* json) { return ParseFormReading(QJsonDocument::fromJson(json).object()); };
    const auto reading = parse(R"({"page":"http://a/","action":"http://a/s","fields":[
        {"name":"t","id":"","type":"hidden","readonly":false,"value":"v\r"}]})");
    ASSERT_TRUE(reading);
    ASSERT_EQ(reading->fields.size(), 1);
    EXPECT_EQ(ReadFields(reading->fields)[0].value, u"v\r\n"_qs);
    EXPECT_TRUE(parse(R"({"page":"http://a/","action":null,"fields":[]})"));
    EXPECT_FALSE(parse(R"({"page":"http://a/","action":7,"fields":[]})"));
    EXPECT_FALSE(parse(R"({"page":"http://a/","action":null,"fields":[{"name":"t"}]})"));
    EXPECT_FALSE(parse(R"({"action":null,"fields":[]})"));
}

} // namespace
