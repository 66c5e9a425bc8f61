// The focused field as field tracking sees it: the markup of its document's current version.

#include "capture/field_snapshots.h"
#include "capture/label_window.h"

#include "test_support.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

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

} // namespace

namespace {

using namespace Qt::StringLiterals;

TEST(FieldSnapshots, BlocksOfADocument)
{
    const auto parse = [](const char* json) { return ParseBridgeMessage(QJsonDocument::fromJson(json).object()); };
    const auto blocks = [&](const char* json) { return std::get<BlocksMessage>(parse(json)); };
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
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parse(bad))) << bad;
}

} // namespace
