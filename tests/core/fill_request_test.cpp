// The fill as the bridge carries it: the page's forms parsed as strictly as every message,
// planned with each input's label window cut from the markup the page sent, and the page's
// answer taken only for the fields the plan gave.

#include "capture/bridge_messages.h"
#include "capture/fill_request.h"

#include "test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace {

QJsonValue Json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

// A field of the page's fill message: an input at `input` among its document's inputs.
QJsonObject FieldJson(int handle, const char* name, int input, const char* before = "")
{
    return QJsonObject{{"handle", handle}, {"doc", 1}, {"version", 1}, {"input", input}, {"values", QJsonArray{}},
                       {"tag", "INPUT"}, {"name", name}, {"value", ""}, {"maxLength", -1}, {"visible", true},
                       {"enabled", true}, {"writable", true}, {"empty", true}, {"editor", false},
                       {"evidence", QJsonObject{{"type", "text"}, {"before", QString::fromUtf8(before)}}}};
}

TEST(FillMessages, MalformedOnesAreDropped)
{
    const QJsonObject good{{"kind", "fillable"}, {"id", 3},
                           {"forms", QJsonArray{QJsonObject{{"charset", "GBK"}, {"holdsFocus", false},
                                                            {"fields", QJsonArray{FieldJson(7, "tel", 0)}}}}}};
    const BridgeMessage parsed = ParseBridgeMessage(good);
    ASSERT_TRUE(std::holds_alternative<FillableMessage>(parsed));
    EXPECT_EQ(std::get<FillableMessage>(parsed).forms[0].fields[0].field.handle, 7);
    EXPECT_EQ(std::get<FillableMessage>(parsed).forms[0].fields[0].field.evidence.type, "text");

    QJsonObject badField = FieldJson(7, "tel", 0);
    badField["visible"] = "yes";
    QJsonObject badEvidence = FieldJson(7, "tel", 0);
    badEvidence["evidence"] = QJsonObject{{"label", 5}};
    for (const QJsonObject& field : {badField, badEvidence}) {
        QJsonObject m = good;
        m["forms"] = QJsonArray{QJsonObject{{"charset", "GBK"}, {"holdsFocus", false}, {"fields", QJsonArray{field}}}};
        EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(m)));
    }
    for (const char* text : {R"({"kind":"fillable","id":1.5,"forms":[]})", R"({"kind":"fillable","id":1,"forms":[5]})",
                             R"({"kind":"filled","id":1,"fields":[{"handle":1,"ok":true,"name":"a"}]})",
                             R"({"kind":"filled","fields":[]})"})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(Json(text)))) << text;
    EXPECT_TRUE(std::holds_alternative<FilledMessage>(
        ParseBridgeMessage(Json(R"({"kind":"filled","id":1,"fields":[{"handle":1,"ok":true,"name":"a","value":"b"}]})"))));
}

TEST(FillRequest, PlansWithTheLabelWindowsOfThePageAndTakesOnlyItsOwnFields)
{
    // A table form: the rules read the rows; the second field's caption only the text before it.
    FieldSnapshots snapshots;
    snapshots.Apply(MarkupMessage{1, 1, {u"<table><tr><td>联系电话:</td><td><input name=tel value=\""_s,
                                        u"\"></td></tr><tr><td><span>邮箱</span></td><td><input name=m value=\""_s,
                                        u"\"></td></tr></table>"_s}});
    const BridgeMessage parsed = ParseBridgeMessage(QJsonObject{
        {"kind", "fillable"}, {"id", 4},
        {"forms", QJsonArray{QJsonObject{{"charset", "GBK"}, {"holdsFocus", false},
                                         {"fields", QJsonArray{FieldJson(1, "tel", 0), FieldJson(2, "m", 1, "邮箱")}}}}}});
    ASSERT_TRUE(std::holds_alternative<FillableMessage>(parsed));
    const FillRequest request = FillRequest::Plan(std::get<FillableMessage>(parsed), snapshots);
    ASSERT_FALSE(request.Empty());
    const QJsonArray steps = request.Steps();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[0].toArray()[0].toInt(), 1);
    EXPECT_EQ(steps[0].toArray()[1].toString(), u"13800130001"_s) << "the rules' phone";
    EXPECT_EQ(steps[1].toArray()[1].toString(), u"sales1@example.com"_s) << "the second opinion's e-mail";

    FilledMessage filled;
    filled.id = 4;
    filled.fields = {{1, true, u"tel"_s, u"13800130001"_s}, {2, false, u"m"_s, {}}, {99, true, u"x"_s, u"y"_s}};
    const FillOutcome outcome = request.Outcome(filled);
    ASSERT_EQ(outcome.filled.size(), 1u) << "a field that could not be filled, and one never asked for, are not mapped";
    EXPECT_EQ(outcome.filled[0].name, u"tel"_s);
    EXPECT_EQ(outcome.filled[0].label, u"电话"_s);
}

} // namespace
