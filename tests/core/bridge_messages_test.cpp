// Messages from the page script: checked strictly, anything else dropped.

#include "capture/bridge_messages.h"

#include "test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

QJsonValue Json(const char* text)
{
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return d.object();
}

struct DropCase {
    const char* what;
    const char* json;
};

class DroppedMessages : public testing::TestWithParam<DropCase> {};

TEST_P(DroppedMessages, AreIgnored)
{
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(Json(GetParam().json))))
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, DroppedMessages,
    testing::Values(
        DropCase{"unknown kind", R"({"kind":"writeFile","path":"/tmp/x"})"},
        DropCase{"no kind", R"({"doc":1})"},
        DropCase{"field without values", R"({"kind":"field","doc":1,"version":1,"handle":1,"tag":"INPUT","name":"a","value":"b","input":0})"},
        DropCase{"field with a numeric name", R"({"kind":"field","doc":1,"version":1,"handle":1,"tag":"INPUT","name":5,"value":"b","input":0,"values":[]})"},
        DropCase{"field with a fractional handle", R"({"kind":"field","doc":1,"version":1,"handle":1.5,"tag":"INPUT","name":"a","value":"b","input":0,"values":[]})"},
        DropCase{"field with a huge index", R"({"kind":"field","doc":1,"version":1,"handle":1,"tag":"INPUT","name":"a","value":"b","input":1e300,"values":[]})"},
        DropCase{"field with a malformed value pair", R"({"kind":"field","doc":1,"version":1,"handle":1,"tag":"INPUT","name":"a","value":"b","input":0,"values":[[0]]})"},
        DropCase{"markup without segments", R"({"kind":"markup","doc":1,"version":1,"segments":[]})"},
        DropCase{"markup with an object segment", R"({"kind":"markup","doc":1,"version":1,"segments":[{}]})"},
        DropCase{"submit to a relative address", R"({"kind":"submit","url":"/post","enctype":"","charset":"gbk","entries":[]})"},
        DropCase{"submit with an entry without value", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[{"name":"a"}]})"},
        DropCase{"submit with bad base64", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[{"name":"f","file":{"name":"x","type":"","data":"@@@"}}]})"},
        DropCase{"pong without id", R"({"kind":"pong"})"},
        DropCase{"submit whose form is text", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],"form":"x"})"},
        DropCase{"submit whose form is on a relative page", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],)"
                 R"("form":{"page":"/f.html","index":0,"action":"http://a/","fields":[],"segments":[],"values":[]}})"},
        DropCase{"submit whose form has no place", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],)"
                 R"("form":{"page":"http://a/f.html","index":-1,"action":"http://a/","fields":[],"segments":[],"values":[]}})"},
        DropCase{"submit whose field does not say if it was typed", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],)"
                 R"("form":{"page":"http://a/f.html","index":0,"action":"http://a/","segments":["a","b"],"values":[""],)"
                 R"("fields":[{"name":"n","id":"","type":"","readonly":false,"value":"","image":"","mark":0}]}})"},
        DropCase{"submit whose field's mark names no value", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],)"
                 R"("form":{"page":"http://a/f.html","index":0,"action":"http://a/","segments":["a","b"],"values":[""],)"
                 R"("fields":[{"name":"n","id":"","type":"","readonly":false,"value":"","typed":true,"image":"","mark":1}]}})"},
        DropCase{"submit whose markup and values disagree", R"({"kind":"submit","url":"http://a/","enctype":"","charset":"gbk","entries":[],)"
                 R"("form":{"page":"http://a/f.html","index":0,"action":"http://a/","fields":[],"segments":["a","b"],"values":[]}})"}));

TEST(BridgeMessages, OversizedMarkupIsDropped)
{
    const QString half(kMaxBridgeChars / 2 + 1, u'x');
    QJsonObject o{{"kind", "markup"}, {"doc", 1}, {"version", 1},
                  {"segments", QJsonArray{half, half}}};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(o)));
    o["segments"] = QJsonArray{half};
    EXPECT_TRUE(std::holds_alternative<MarkupMessage>(ParseBridgeMessage(o)));
}

TEST(BridgeMessages, WellFormedMessages)
{
    const auto field = ParseBridgeMessage(Json(
        R"({"kind":"field","doc":2,"version":3,"handle":9,"tag":"INPUT","name":"tel","value":"010","input":1,"values":[[0,"A&B"]]})"));
    ASSERT_TRUE(std::holds_alternative<FieldMessage>(field));
    const FieldMessage& f = std::get<FieldMessage>(field);
    EXPECT_EQ(f.doc, 2);
    EXPECT_EQ(f.version, 3);
    EXPECT_EQ(f.handle, 9);
    EXPECT_EQ(f.input, 1);
    ASSERT_EQ(f.values.size(), 1);
    EXPECT_EQ(f.values[0].second, u"A&B"_qs);

    const auto submit = ParseBridgeMessage(Json(
        R"({"kind":"submit","url":"http://127.0.0.1/p.asp?x=1","enctype":"multipart/form-data","charset":"gbk",)"
        R"("entries":[{"name":"t","value":"v"},{"name":"f","file":{"name":"a.txt","type":"text/plain","data":"aGk="}}]})"));
    ASSERT_TRUE(std::holds_alternative<SubmitMessage>(submit));
    const SubmitMessage& s = std::get<SubmitMessage>(submit);
    EXPECT_EQ(s.enctype, FormEnctype::Multipart);
    ASSERT_EQ(s.entries.size(), 2);
    EXPECT_FALSE(s.entries[0].isFile);
    EXPECT_TRUE(s.entries[1].isFile);
    EXPECT_EQ(s.entries[1].fileContent, "hi");

    EXPECT_TRUE(std::holds_alternative<HelloMessage>(ParseBridgeMessage(Json(R"({"kind":"hello"})"))));
    EXPECT_TRUE(std::holds_alternative<OversizeMessage>(ParseBridgeMessage(Json(R"({"kind":"oversize"})"))));
    EXPECT_TRUE(std::holds_alternative<PongMessage>(ParseBridgeMessage(Json(R"({"kind":"pong","id":4})"))));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(QJsonValue("field"))));
}

} // namespace
