// The page markup kept in pieces gives the same label window as the whole page.

#include "capture/label_window.h"
#include "capture/page_markup.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

using namespace sitecapture;

namespace {

TEST(PageMarkup, EscapesAttributeValuesAsTheBrowserWrites)
{
    EXPECT_EQ(EscapeAttributeValue(u"a&b\"c<d>e\u00A0f'g"), u"a&amp;b&quot;c<d>e&nbsp;f'g");
    EXPECT_EQ(EscapeAttributeValue(u""), u"");
}

TEST(PageMarkup, ValuesGoIntoTheirAttributes)
{
    PageMarkup page({R"(<table><tbody><tr><td>公司名称:</td><td><input name="comp" value=")",
                     R"("></td></tr><tr><td>联系电话:</td><td><input name="tel" value=")",
                     R"("></td></tr></tbody></table>)"});
    ASSERT_EQ(page.InputCount(), 2);
    page.SetValue(0, u"A&\"B\"");
    page.SetValue(1, u"010");
    page.SetValue(2, u"ignored");
    page.SetValue(-1, u"ignored");
    EXPECT_EQ(page.WholeMarkup(1),
              uR"(<table><tbody><tr><td>公司名称:</td><td><input name="comp" value="A&amp;&quot;B&quot;"></td></tr><tr><td>联系电话:</td><td><input name="tel" value="test..."></td></tr></tbody></table>)"_qs);
    EXPECT_EQ(LabelWindow(page.MarkupForField(0)), u"r><td>公司名称"_qs);
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), u"r><td>联系电话"_qs);
    EXPECT_EQ(page.MarkupForField(2), u""_qs);

    // A value that holds the marker earlier on the page takes the window there.
    page.SetValue(0, u"ＴＥＳＴ...");
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), u"r><td>公司名称"_qs);
}

TEST(PageMarkup, OddlyCutMarkupIsReadWhole)
{
    // Not split inside quoted attribute values: nothing may be assumed about the joins.
    PageMarkup page({"x<t", "d>公司名称:</td><input value=", "></tr>"});
    page.SetValue(0, u"r><td>");
    EXPECT_EQ(page.MarkupForField(1), page.WholeMarkup(1));
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), LabelWindow(page.WholeMarkup(1)));
}

TEST(PageMarkup, EmptyPage)
{
    PageMarkup page({});
    EXPECT_EQ(page.InputCount(), 0);
    EXPECT_EQ(page.MarkupForField(0), u""_qs);
}

// Random pages made of the pieces that matter to the window: row starts in every case and
// width, markers, captions, colons before tags, blanks, other inputs and selects.
QString RandomText(std::mt19937& rng, int parts)
{
    static const char16_t* const vocabulary[] = {
        u"<tr>", u"<TR class=a>", u"＜ｔｒ", u"<td>", u"</td>", u"公司名称", u"联系电话", u":<",
        u"：<", u" ", u"&nbsp;", u"</font>", u"<select><option>1</select>", u"<input name=x value=\"",
        u"test...", u"ＴＥＳＴ．．．", u"tes", u"t...", u"<t", u"r", u"E-Mail", u"邮编", u"x", u"\"",
    };
    QString s;
    for (int i = 0; i < parts; ++i)
        s += QString::fromUtf16(vocabulary[rng() % std::size(vocabulary)]);
    return s;
}

TEST(PageMarkup, PiecesGiveTheWholePagesWindow)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const int inputs = 1 + int(rng() % 6);
        QStringList segments;
        for (int k = 0; k <= inputs; ++k) {
            QString s = RandomText(rng, int(rng() % 8));
            if (k > 0)
                s.prepend(u'"');
            if (k < inputs)
                s += u"<input value=\"";
            segments << s;
        }
        PageMarkup page(segments);
        for (int k = 0; k < inputs; ++k)
            page.SetValue(k, RandomText(rng, int(rng() % 3)));
        for (int f = 0; f < inputs; ++f) {
            const QString whole = page.WholeMarkup(f);
            const QString part = page.MarkupForField(f);
            ASSERT_EQ(LabelWindow(part), LabelWindow(whole))
                << "round " << round << " field " << f << "\nwhole: " << whole.toStdString()
                << "\npart: " << part.toStdString();
            EXPECT_LE(part.size(), whole.size());
        }
    }
}

TEST(PageMarkup, OnlyTheRowIsKept)
{
    QString big;
    for (int i = 0; i < 2000; ++i)
        big += "<tr><td>说明:</td><td>" + QString::number(i) + "</td></tr>";
    PageMarkup page({"<table>" + big + "<tr><td>主题:</td><td><input name=\"t\" value=\"",
                     "\"></td></tr></table>"});
    const QString part = page.MarkupForField(0);
    EXPECT_EQ(part, u">" R"(<tr><td>主题:</td><td><input name="t" value="test...)"_qs);
    EXPECT_EQ(LabelWindow(part), LabelWindow(page.WholeMarkup(0)));
}

} // namespace

namespace {

using namespace Qt::StringLiterals;

// The same random page as one block and cut into blocks at random places, between and
// inside its texts (where a marker or a row start may then run across a join), blocks
// given out of order and the order set last.
TEST(PageMarkup, BlocksGiveTheWholePagesWindow)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 400; ++round) {
        const int inputs = 1 + int(rng() % 6);
        QStringList segments;
        for (int k = 0; k <= inputs; ++k) {
            QString s = RandomText(rng, int(rng() % 8));
            if (k > 0)
                s.prepend(u'"');
            if (k < inputs)
                s += u"<input value=\"";
            segments << s;
        }
        std::vector<QStringList> blocks{{}};
        for (const QString& s : segments) {
            const qsizetype cut = rng() % 3 == 0 ? qsizetype(rng() % (s.size() + 1)) : -1;
            blocks.back() << (cut < 0 ? s : s.left(cut));
            if (cut >= 0)
                blocks.push_back({s.mid(cut)});
        }
        PageMarkup whole(segments);
        PageMarkup cut(QStringList{});
        std::vector<int> order;
        for (std::size_t b = blocks.size(); b-- > 0;)
            cut.SetBlock(int(b) + 1, blocks[b]);
        for (std::size_t b = 0; b < blocks.size(); ++b)
            order.push_back(int(b) + 1);
        cut.SetOrder(order);
        ASSERT_EQ(cut.InputCount(), inputs);
        for (int k = 0; k < inputs; ++k) {
            const QString v = RandomText(rng, int(rng() % 3));
            whole.SetValue(k, v);
            cut.SetValue(k, v);
        }
        for (int f = 0; f < inputs; ++f) {
            ASSERT_EQ(cut.WholeMarkup(f), whole.WholeMarkup(f)) << "round " << round;
            ASSERT_EQ(LabelWindow(cut.MarkupForField(f)), LabelWindow(whole.WholeMarkup(f)))
                << "round " << round << " field " << f << "\nwhole: " << whole.WholeMarkup(f).toStdString()
                << "\npart: " << cut.MarkupForField(f).toStdString();
        }
    }
}

TEST(PageMarkup, BlocksReplacedReorderedOrUnknown)
{
    PageMarkup page(QStringList{});
    page.SetBlock(1, {R"(<table><tr><td>公司名称:</td><td><input value=")", R"("></td></tr>)"});
    page.SetBlock(2, {R"(<tr><td>联系电话:</td><td><input value=")", R"("></td></tr>)"});
    page.SetBlock(3, {"</table>"});
    page.SetOrder({1, 2, 3});
    page.SetValue(0, u"ＴＥＳＴ...");
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), u"r><td>公司名称"_s) << "an earlier marker in another block";

    page.SetBlock(1, {R"(<table><tr><td>邮编:</td><td><input value=")", R"("></td></tr>)"});
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), u"r><td>联系电话"_s) << "a replaced block starts without values";
    EXPECT_EQ(LabelWindow(page.MarkupForField(0)), u"<tr><td>邮编"_s);

    page.SetOrder({2, 1, 3});
    EXPECT_EQ(LabelWindow(page.MarkupForField(0)), u""_s) << "a row start that opens the page";
    EXPECT_EQ(LabelWindow(page.MarkupForField(1)), u"<tr><td>邮编"_s);
    const qsizetype chars = page.Chars();
    page.SetOrder({2, 3});
    EXPECT_EQ(page.InputCount(), 1);
    EXPECT_LT(page.Chars(), chars) << "a block left out is dropped";

    // Inputs are numbered only up to a block not yet known.
    page.SetOrder({2, 4, 1, 3});
    EXPECT_EQ(page.InputCount(), 1);
    EXPECT_TRUE(page.MarkupForField(1).isEmpty());
}

} // namespace
