// Decoding of captured form bodies: GBK pairs, escapes, plus signs, malformed input.

#include "capture/codepage.h"
#include "capture/url_decode.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

using namespace sitecapture;

namespace {

struct DecodeCase {
    const char* encoded;
    const char16_t* decoded;
};

class UrlDecodeCases : public testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecodeCases, DecodesAsABrowserWould)
{
    const DecodeCase& c = GetParam();
    EXPECT_EQ(UrlDecode(QString::fromUtf8(c.encoded)), QString::fromUtf16(c.decoded))
        << "input: " << c.encoded;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, UrlDecodeCases,
    testing::Values(
        DecodeCase{"", u""},
        DecodeCase{"a+b", u"a b"},
        DecodeCase{"%2B", u"+"},
        DecodeCase{"%41", u"A"},
        DecodeCase{"%2541", u"%41"},
        DecodeCase{"%3A%2F%2F", u"://"},
        DecodeCase{"%B0%A1", u"啊"},
        DecodeCase{"%D6%D0%CE%C4", u"中文"},
        DecodeCase{"%d6%d0%ce%c4", u"中文"},
        // ASCII escapes next to each other are two characters
        DecodeCase{"%41%42", u"AB"},
        DecodeCase{"%0D%0A", u"\r\n"},
        DecodeCase{"a%0D%0Ab", u"a\r\nb"},
        DecodeCase{"%2B%2B", u"++"},
        DecodeCase{"%2B%D6%D0", u"+中"},
        DecodeCase{"%2B+%2B", u"+ +"},
        // a trail byte sent unescaped still pairs with its lead byte
        DecodeCase{"%C8A%D5x", u"華誼"},
        DecodeCase{"title=%C8A&x=1", u"title=華&x=1"},
        DecodeCase{"%B0%A1%B0%A1%B0%A1", u"啊啊啊"}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, UrlDecodeCases,
    testing::Values(
        DecodeCase{"%", u"%"},
        DecodeCase{"%4", u"%4"},
        DecodeCase{"100%", u"100%"},
        DecodeCase{"%zz", u"%zz"},
        DecodeCase{"%4g", u"%4g"},
        DecodeCase{"%%41", u"%A"},
        // a lead byte with no trail byte: U+FFFD, and the next byte is read afresh
        DecodeCase{"%D6", u"\uFFFD"},
        DecodeCase{"%D6%2F", u"\uFFFD/"},
        DecodeCase{"%D6+", u"\uFFFD "},
        DecodeCase{"%D6%0A", u"\uFFFD\n"},
        DecodeCase{"%81%7F", u"\uFFFD\x7F"}));

TEST(UrlDecode, LeadByteFollowedByLeadFormsOnePair)
{
    // 0xD6 0xD6 is itself a GBK character; only the last lead byte is left over
    const QString s = UrlDecode(u"%D6%D6%D0");
    ASSERT_EQ(s.size(), 2);
    EXPECT_EQ(s[0], QChar(GbkPairToChar(0xD6, 0xD6)));
    EXPECT_NE(s[0], QChar(0xFFFD));
    EXPECT_EQ(s[1], QChar(0xFFFD));
}

TEST(UrlDecode, NonAsciiTextStaysAndEndsAPendingLeadByte)
{
    EXPECT_EQ(UrlDecode(u"中文=%B0%A1"), u"中文=啊");
    EXPECT_EQ(UrlDecode(u"%B0中"), u"\uFFFD中");
}

TEST(UrlDecode, SurvivesRandomInput)
{
    std::mt19937 rng(7);
    const char16_t alphabet[] = u"%+&=AaFf09xX\x7F\u4E2D\uFF05";
    for (int round = 0; round < 2000; ++round) {
        QString s;
        const int len = int(rng() % 24);
        for (int i = 0; i < len; ++i)
            s.append(QChar(alphabet[rng() % (std::size(alphabet) - 1)]));
        const QString out = UrlDecode(s);
        EXPECT_LE(out.size(), s.size()) << s.toStdString();
    }
}

TEST(Codepage, DecodesRawGbkBodies)
{
    EXPECT_EQ(DecodeGbk("\xD6\xD0\xCE\xC4"), u"中文");
    EXPECT_EQ(DecodeGbk("a=\xB0\xA1&b"), u"a=啊&b");
    EXPECT_EQ(DecodeGbk("\xD6"), u"\uFFFD");
    EXPECT_EQ(DecodeGbk(""), u"");
    EXPECT_EQ(DecodeGbk("\x80"), u"\u20AC"); // the euro sign of code page 936
    EXPECT_EQ(DecodeGbk("\xFF"), u"\uFFFD");
    EXPECT_EQ(UrlDecode(u"%FF%41"), u"\uFFFDA");
}

} // namespace
