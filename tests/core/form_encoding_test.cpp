// Form bodies in the charsets the browser submits them in.

#include "capture/codepage.h"
#include "capture/form_encoding.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

struct CharsetCase {
    const char* label;
    const char* name;
    const char16_t* text;
    QByteArray bytes;
};

class FormCharsetCases : public testing::TestWithParam<CharsetCase> {};

TEST_P(FormCharsetCases, EncodesAsTheBrowserSends)
{
    const CharsetCase& c = GetParam();
    const FormCharset charset(QString::fromLatin1(c.label));
    EXPECT_EQ(charset.Name(), QString::fromLatin1(c.name)) << c.label;
    EXPECT_EQ(charset.Encode(QString::fromUtf16(c.text)).toHex(' '), c.bytes.toHex(' '))
        << c.label << " " << QString::fromUtf16(c.text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, FormCharsetCases,
    testing::Values(
        CharsetCase{"GBK", "GBK", u"中文", QByteArray::fromHex("d6d0cec4")},
        CharsetCase{" gb2312 ", "GBK", u"中文", QByteArray::fromHex("d6d0cec4")},
        CharsetCase{"GB_2312-80", "GBK", u"a+b", "a+b"},
        CharsetCase{"gbk", "GBK", u"²", "2"},                               // best fit
        CharsetCase{"gbk", "GBK", u"¥", QByteArray::fromHex("a3a4")},       // full-width form
        CharsetCase{"gbk", "GBK", u"€", QByteArray::fromHex("80")},
        CharsetCase{"gbk", "GBK", u"☃x", "&#9731;x"},                      // lacking: entity
        CharsetCase{"gbk", "GBK", u"😀", "&#128512;"},                      // one entity per code point
        CharsetCase{"gbk", "GBK", u"\x01F9", QByteArray::fromHex("a8bf")},  // browser's own mapping
        CharsetCase{"gbk", "GBK", u"a\xD800z", "a&#65533;z"},               // lone surrogate
        CharsetCase{"Big5", "Big5", u"中", QByteArray::fromHex("a4a4")},
        CharsetCase{"big5", "Big5", u"é", "e"},                             // accents dropped
        CharsetCase{"big5", "Big5", u"☃", "&#9731;"},
        CharsetCase{"gb18030", "gb18030", u"☃", QByteArray::fromHex("8137a330")},
        CharsetCase{"UTF-8", "UTF-8", u"中☃", QByteArray::fromHex("e4b8ade29883")},
        CharsetCase{"utf-16le", "UTF-8", u"中", QByteArray::fromHex("e4b8ad")},
        CharsetCase{"utf-8", "UTF-8", u"a\xDC00", QByteArray::fromHex("61efbfbd")},
        CharsetCase{"no-such-charset", "UTF-8", u"中", QByteArray::fromHex("e4b8ad")},
        CharsetCase{"ISO-2022-KR", "UTF-8", u"中", QByteArray::fromHex("e4b8ad")},          // replacement
        CharsetCase{"", "UTF-8", u"é", QByteArray::fromHex("c3a9")},
        CharsetCase{"ISO-8859-1", "windows-1252", u"é＋", "\xe9&#65291;"},   // no best fit here
        CharsetCase{"windows-1252", "windows-1252", u"€", "\x80"}));

FormEntry Text(const QString& name, const QString& value)
{
    FormEntry e;
    e.name = name;
    e.value = value;
    return e;
}

FormEntry File(const QString& name, const QString& fileName, const QString& type,
               const QByteArray& content)
{
    FormEntry e;
    e.name = name;
    e.isFile = true;
    e.fileName = fileName;
    e.fileType = type;
    e.fileContent = content;
    return e;
}

TEST(FormEncoding, LineBreaks)
{
    EXPECT_EQ(NormalizeLineBreaks(u"a\nb\rc\r\nd\n\re"), u"a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(NormalizeLineBreaks(u"\r"), u"\r\n");
    EXPECT_EQ(NormalizeLineBreaks(u""), u"");
}

TEST(FormEncoding, Enctypes)
{
    EXPECT_EQ(FormEnctypeFromAttribute(u"Multipart/Form-Data"), FormEnctype::Multipart);
    EXPECT_EQ(FormEnctypeFromAttribute(u"TEXT/plain"), FormEnctype::TextPlain);
    EXPECT_EQ(FormEnctypeFromAttribute(u" text/plain"), FormEnctype::UrlEncoded);
    EXPECT_EQ(FormEnctypeFromAttribute(u""), FormEnctype::UrlEncoded);
    EXPECT_EQ(FormEnctypeFromAttribute(u"application/json"), FormEnctype::UrlEncoded);
}

TEST(FormEncoding, UrlEncodedKeepsOnlyUnreservedBytes)
{
    const FormCharset gbk(u"gbk");
    const QList<FormEntry> entries{
        Text("title", u"中文 a+b&c=d%e"_qs),
        Text("safe", "AZaz09-._*~!'()"),
        Text("desc", "l1\nl2\rl3\r\nl4"),
        Text(u"名"_qs, u"²☃"_qs),
        Text("", ""),
        File("pic", "a b.png", "image/png", "PNG"),
    };
    EXPECT_EQ(EncodeFormBody(entries, FormEnctype::UrlEncoded, gbk),
              "title=%D6%D0%CE%C4+a%2Bb%26c%3Dd%25e"
              "&safe=AZaz09-._*%7E%21%27%28%29"
              "&desc=l1%0D%0Al2%0D%0Al3%0D%0Al4"
              "&%C3%FB=2%26%239731%3B"
              "&="
              "&pic=a+b.png");
    EXPECT_EQ(EncodeFormBody({}, FormEnctype::UrlEncoded, gbk), "");
    EXPECT_EQ(EncodeFormBody({Text("q", u"中"_qs)}, FormEnctype::UrlEncoded, FormCharset(u"utf-8")),
              "q=%E4%B8%AD");
}

TEST(FormEncoding, TextPlainIsOneLinePerEntry)
{
    const FormCharset gbk(u"gbk");
    const QList<FormEntry> entries{Text("a", u"中 +&"_qs), Text("b", "x\ny"),
                                   File("f", "n.txt", "", "data")};
    EXPECT_EQ(EncodeFormBody(entries, FormEnctype::TextPlain, gbk),
              QByteArray("a=\xd6\xd0 +&\r\nb=x\r\ny\r\nf=n.txt\r\n"));
}

TEST(FormEncoding, MultipartParts)
{
    const FormCharset gbk(u"gbk");
    const QList<FormEntry> entries{
        Text(u"标题"_qs, "a\nb"),
        Text("q\"\r\nx", u"☃"_qs),
        File("pic", u"图.png"_qs, "image/png", QByteArray("\x89PNG\r\n\0", 7)),
        File("none", "", "", ""),
    };
    const QByteArray body = EncodeFormBody(entries, FormEnctype::Multipart, gbk, "XyZ");
    EXPECT_EQ(body, QByteArray("--XyZ\r\n"
                               "Content-Disposition: form-data; name=\"\xb1\xea\xcc\xe2\"\r\n\r\n"
                               "a\r\nb\r\n"
                               "--XyZ\r\n"
                               "Content-Disposition: form-data; name=\"q%22%0D%0Ax\"\r\n\r\n"
                               "&#9731;\r\n"
                               "--XyZ\r\n"
                               "Content-Disposition: form-data; name=\"pic\"; filename=\"\xcd\xbc.png\"\r\n"
                               "Content-Type: image/png\r\n\r\n")
                        + QByteArray("\x89PNG\r\n\0", 7)
                        + QByteArray("\r\n"
                                     "--XyZ\r\n"
                                     "Content-Disposition: form-data; name=\"none\"; filename=\"\"\r\n"
                                     "Content-Type: application/octet-stream\r\n\r\n"
                                     "\r\n"
                                     "--XyZ--\r\n"));
    EXPECT_EQ(EncodeFormBody({}, FormEnctype::Multipart, gbk, "B"), "--B--\r\n");
}

TEST(FormEncoding, BoundariesLookLikeTheBrowsers)
{
    const QByteArray a = NewMultipartBoundary();
    const QByteArray b = NewMultipartBoundary();
    EXPECT_TRUE(a.startsWith("----WebKitFormBoundary"));
    EXPECT_EQ(a.size(), 38);
    EXPECT_NE(a, b);
    for (char c : a.mid(22))
        EXPECT_TRUE(QChar::fromLatin1(c).isLetterOrNumber()) << c;
}

} // namespace
