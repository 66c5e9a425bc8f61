// Placeholder table, field mapping and the shared wizard state.

#include "capture/placeholders.h"
#include "capture/capture_model.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace sitecapture;

namespace {

void ExpectInvariant(const FieldMap& m)
{
    ASSERT_EQ(m.fieldNames.size(), m.fieldValues.size());
    ASSERT_EQ(m.fieldNames.size(), m.fieldTokens.size());
    ASSERT_GE(m.fieldNames.size(), 1);
    EXPECT_TRUE(m.fieldNames.last().isEmpty());
    EXPECT_TRUE(m.fieldValues.last().isEmpty());
    EXPECT_TRUE(m.fieldTokens.last().isEmpty());
}

TEST(PlaceholderTable, LabelsAndTokens)
{
    ASSERT_EQ(PlaceholderTable.size(), 19u);
    std::set<QString> labels;
    for (const auto& p : PlaceholderTable) {
        const QString token = QString::fromUtf16(p.token);
        EXPECT_TRUE(token.startsWith("/z") && token.endsWith("/")) << token.toStdString();
        EXPECT_EQ(token, token.toLower());
        labels.insert(QString::fromUtf16(p.label));
        EXPECT_EQ(TokenForLabel(QString::fromUtf16(p.label)), token);
    }
    EXPECT_EQ(labels.size(), 19u);
    EXPECT_EQ(TokenForLabel(u"区号+电话"), "/zqh//ztelpho/");
    EXPECT_EQ(TokenForLabel(u"区号+传真"), "/zqh//zfax/");
    EXPECT_EQ(TokenForLabel(u"具体描述"), "/zcont/");
    EXPECT_FALSE(TokenForLabel(u""));
    EXPECT_FALSE(TokenForLabel(u"手机"));
    EXPECT_FALSE(TokenForLabel(u"主题 "));

    const QStringList entries = Combo1Entries();
    ASSERT_EQ(entries.size(), 20);
    EXPECT_TRUE(entries[0].isEmpty());
    EXPECT_EQ(entries[1], u"主题"_qs);
    EXPECT_EQ(entries[19], u"具体描述"_qs);
    EXPECT_EQ(Combo1IndexOf(u"电话"), 9);
    EXPECT_EQ(Combo1IndexOf(u"手机"), -1);
}

TEST(MapCurrentField, Sequences)
{
    FieldMap m;
    MapCurrentField(m, "", "abc", u"主题"_qs);
    EXPECT_EQ(m, FieldMap{}) << "no name, no change";

    MapCurrentField(m, "title", "abc", "");
    EXPECT_EQ(m, FieldMap{}) << "an unmapped field with the empty label adds nothing";

    MapCurrentField(m, "title", "abc", u"主题"_qs);
    ExpectInvariant(m);
    ASSERT_EQ(m.fieldNames.size(), 2);
    EXPECT_EQ(m.fieldNames[0], "title");
    EXPECT_EQ(m.fieldValues[0], "abc");
    EXPECT_EQ(m.fieldTokens[0], "/ztitle/");

    MapCurrentField(m, "title", "abd", u"单价"_qs);
    ExpectInvariant(m);
    EXPECT_EQ(m.fieldNames.size(), 2);
    EXPECT_EQ(m.fieldValues[0], "abd");
    EXPECT_EQ(m.fieldTokens[0], "/zprice/");

    MapCurrentField(m, "title", "xyz", "");
    EXPECT_EQ(m.fieldValues[0], "xyz") << "the empty label refreshes the value";
    EXPECT_EQ(m.fieldTokens[0], "/zprice/") << "and never clears the token";

    MapCurrentField(m, "Title", "q", u"主题"_qs);
    ExpectInvariant(m);
    EXPECT_EQ(m.fieldNames.size(), 3) << "names are compared exactly";
    EXPECT_EQ(m.fieldNames[1], "Title");

    MapCurrentField(m, "tel", "0571", u"区号+电话"_qs);
    EXPECT_EQ(m.fieldTokens[2], "/zqh//ztelpho/");
    ExpectInvariant(m);

    MapCurrentField(m, " title", "v", u"主题"_qs);
    EXPECT_EQ(m.MappedCount(), 4) << "no trimming";

    m.ResetFieldMap();
    EXPECT_EQ(m, FieldMap{});
    EXPECT_EQ(m.MappedCount(), 0);
    ExpectInvariant(m);
}

TEST(MapCurrentField, UnknownLabelAddsAnEntryWithoutToken)
{
    FieldMap m;
    MapCurrentField(m, "m", "1", u"手机"_qs);
    ExpectInvariant(m);
    ASSERT_EQ(m.MappedCount(), 1);
    EXPECT_TRUE(m.fieldTokens[0].isEmpty());
}

TEST(SharedState, TagNumbers)
{
    EXPECT_EQ(TagFromNumber(0), "0");
    EXPECT_EQ(TagFromNumber(1234), "1234");
    EXPECT_EQ(NumberFromTag("3"), 3);
    EXPECT_EQ(NumberFromTag("0"), 0);
    EXPECT_EQ(NumberFromTag("42"), 42);
    EXPECT_FALSE(NumberFromTag(""));
    EXPECT_FALSE(NumberFromTag("3x"));
    EXPECT_FALSE(NumberFromTag("1.5"));
    EXPECT_EQ(CaptureModeFromTag("2"), CaptureMode::PublishCapturePage);
    EXPECT_EQ(CaptureModeFromTag("7"), CaptureMode::SiteInfoPage);
    EXPECT_EQ(CaptureModeFromTag("x"), CaptureMode::SiteInfoPage);
}

} // namespace
