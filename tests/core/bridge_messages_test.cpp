// Messages from the page script: checked strictly, kept per document, paired with navigations.

#include "capture/bridge_messages.h"
#include "capture/label_window.h"

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

FieldMessage FieldFor(int doc, int version, int input, QList<QPair<int, QString>> values = {})
{
    FieldMessage m;
    m.doc = doc;
    m.version = version;
    m.tag = "INPUT";
    m.name = "tel";
    m.value = "a\nb";
    m.input = input;
    m.values = std::move(values);
    return m;
}

TEST(FieldSnapshots, MarkupComesFromTheDocumentsCurrentVersion)
{
    FieldSnapshots snapshots;
    snapshots.Apply({1, 1, {R"(<table><tr><td>公司名称:</td><td><input value=")",
                             R"("></td></tr><tr><td>联系电话:</td><td><input value=")",
                             R"("></td></tr></table>)"}});
    FieldSnapshot s = snapshots.Take(FieldFor(1, 1, 1, {{0, "x"}}));
    EXPECT_EQ(s.value, u"a\r\nb"_qs) << "values are reported as the form submits them";
    EXPECT_EQ(LabelWindow(s.markup), u"r><td>联系电话"_qs);
    EXPECT_TRUE(s.markup.contains(u"test..."));

    EXPECT_TRUE(snapshots.Take(FieldFor(1, 2, 1)).markup.isEmpty()) << "stale version";
    EXPECT_TRUE(snapshots.Take(FieldFor(7, 1, 1)).markup.isEmpty()) << "unknown document";
    EXPECT_TRUE(snapshots.Take(FieldFor(1, 1, -1)).markup.isEmpty()) << "not an input";
    EXPECT_TRUE(snapshots.Take(FieldFor(1, 1, 5)).markup.isEmpty()) << "no such input";
    EXPECT_EQ(snapshots.Take(FieldFor(1, 1, -1)).tagName, u"INPUT"_qs);

    // Many frames later, the document in use is still known.
    for (int doc = 100; doc < 200; ++doc) {
        snapshots.Apply({doc, 1, {"<tr><td>x:</td><td><input value=\"", "\">"}});
        EXPECT_FALSE(snapshots.Take(FieldFor(1, 1, 1)).markup.isEmpty()) << doc;
    }
    EXPECT_TRUE(snapshots.Take(FieldFor(100, 1, 0)).markup.isEmpty()) << "made room long ago";
    EXPECT_FALSE(snapshots.Take(FieldFor(199, 1, 0)).markup.isEmpty());

    snapshots.Clear();
    EXPECT_TRUE(snapshots.Take(FieldFor(1, 1, 1)).markup.isEmpty());
}

TEST(SubmissionMatcher, PairsTheEnginesPostFormRequestsInEitherOrder)
{
    const QUrl action("http://127.0.0.1:8080/post.asp?a=1");
    const auto post = [](SubmissionMatcher& m, const QUrl& url, qint64 at) {
        return m.Requested(url, true, "POST", at);
    };
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/other"), 5));
        EXPECT_EQ(post(m, QUrl("http://127.0.0.1:8080/post.asp?a=1#top"), 10), "x=1");
        EXPECT_FALSE(post(m, action, 20)) << "a body is used once";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(post(m, action, 0));
        EXPECT_EQ(m.Submitted(action, "x=1", 100), action) << "the body came after its request";
        EXPECT_FALSE(m.Submitted(action, "x=2", 200)) << "that request is used once";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Requested(action, false, "POST", 0)) << "a link is no form's request";
        EXPECT_FALSE(m.Requested(action, true, "GET", 5)) << "nor is a GET form's";
        EXPECT_FALSE(m.Submitted(action, "x=1", 10)) << "neither waits for a body";
        EXPECT_FALSE(m.Requested(action, false, "POST", 20));
        EXPECT_FALSE(m.Requested(action, true, "GET", 25)) << "nor takes the waiting one";
        EXPECT_EQ(m.Requested(action, true, "post", 30), "x=1");
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(post(m, action, SubmissionMatcher::kWaitMs + 1))
            << "a submission that never went (prevented, or made up by the page) expires";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(m.Submitted(action, "x=2", 1));
        EXPECT_EQ(post(m, action, 2), "x=2") << "the last submission wins";
        EXPECT_FALSE(post(m, action, 3)) << "and the one it replaced is gone";
    }
    {
        // The script spelt the query in UTF-8, the engine in GBK: the only body waiting for
        // that path is still the request's, under the engine's address.
        SubmissionMatcher m;
        const QUrl engine("http://127.0.0.1:8080/t3?type=%B9%A9%D3%A6");
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?type=%E4%BE%9B%E5%BA%94"), "a=1", 0));
        EXPECT_EQ(post(m, engine, 1), "a=1");
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/t3?x=1"), 2));
        EXPECT_EQ(m.Submitted(QUrl("http://127.0.0.1:8080/t3?x=%31"), "b=2", 3), QUrl("http://127.0.0.1:8080/t3?x=1"));
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?q=1"), "c=3", 4));
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?q=2"), "d=4", 5));
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/t3?q=3"), 6)) << "two bodies wait there: neither is guessed";
    }
}

TEST(AddressKey, OneSpellingPerAddress)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"http://h/p?q=%b9%a9", "http://h:80/p?q=%B9%A9", true},
        {"http://h/p?%41%7e", "http://h/p?A~", true},
        {"HTTP://H/p#top", "http://h/p", true},
        {"http://h", "http://h/", true},
        {"https://h:443/?a", "https://h?a", true},
        {"http://h/p?a=%26", "http://h/p?a=&", false},
        {"http://h/p?q=1", "https://h/p?q=1", false},
        {"http://h:8080/p", "http://h/p", false},
        {"http://h/p?q=%", "http://h/p?q=%25", true},
    };
    for (const auto& c : cases) {
        const QUrl a(QString::fromLatin1(c.a)), b(QString::fromLatin1(c.b));
        EXPECT_EQ(AddressKey(a) == AddressKey(b), c.same) << c.a << " " << c.b << ": " << AddressKey(a).toStdString()
                                                          << " " << AddressKey(b).toStdString();
    }
}

} // namespace

namespace {

using namespace Qt::StringLiterals;

TEST(FieldSnapshots, BlocksOfADocument)
{
    const auto blocks = [](const char* json) { return std::get<BlocksMessage>(ParseBridgeMessage(Json(json))); };
    FieldSnapshots snapshots;
    snapshots.ApplyBlocks(blocks(R"({"kind":"blocks","doc":1,"version":1,"order":[5,6],)"
                                 R"("blocks":[[5,["<table><tr><td>公司名称:</td><td><input value=\"","\"></td></tr>"]]]})"));
    EXPECT_EQ(LabelWindow(snapshots.Take(FieldFor(1, 1, 0)).markup), u"r><td>公司名称"_s);
    snapshots.ApplyBlocks(blocks(R"({"kind":"blocks","doc":1,"version":1,)"
                                 R"("blocks":[[6,["<tr><td>联系电话:</td><td><input value=\"","\"></td></tr>"]]]})"));
    EXPECT_EQ(LabelWindow(snapshots.Take(FieldFor(1, 1, 1)).markup), u"r><td>联系电话"_s) << "a block sent later";
    snapshots.ApplyBlocks(blocks(R"({"kind":"blocks","doc":1,"version":2,"order":[7],"blocks":[[7,["x"]]]})"));
    EXPECT_TRUE(snapshots.Take(FieldFor(1, 2, 0)).markup.isEmpty()) << "another version starts afresh";

    for (const char* bad : {R"({"kind":"blocks","doc":1,"version":1,"blocks":[[5,[]]]})",
                            R"({"kind":"blocks","doc":1,"version":1,"blocks":[[5,"x"]]})",
                            R"({"kind":"blocks","doc":1,"version":1,"blocks":[["5",["x"]]]})",
                            R"({"kind":"blocks","doc":1,"version":1,"blocks":[],"order":[1,1]})",
                            R"({"kind":"blocks","doc":1,"version":1,"blocks":[],"order":[1.5]})",
                            R"({"kind":"blocks","doc":1,"blocks":[]})"})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseBridgeMessage(Json(bad)))) << bad;
}

} // namespace
