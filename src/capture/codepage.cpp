#include "capture/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <array>
#include <initializer_list>
#include <memory>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr int kLeadCount = 0xFE - 0x81 + 1;
constexpr int kTrailCount = 0xFE - 0x40 + 1;

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenCp936()
{
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr cnv(ucnv_open("windows-936", &status));
    if (U_FAILURE(status))
        return nullptr;
    status = U_ZERO_ERROR;
    ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return cnv;
}

char16_t ConvertOne(UConverter* cnv, const char* bytes, int32_t len)
{
    if (!cnv)
        return kReplacement;
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(cnv);
    const int32_t n = ucnv_toUChars(cnv, out, 4, bytes, len, &status);
    if (U_FAILURE(status) || n != 1)
        return kReplacement;
    return out[0];
}

// Both tables are built once; decoding is then a lookup per character.
struct Cp936Tables {
    std::array<char16_t, kLeadCount * kTrailCount> pairs{};
    std::array<char16_t, 256> singles{};

    Cp936Tables()
    {
        ConverterPtr cnv = OpenCp936();
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            singles[b] = b < 0x80 ? char16_t(b) : ConvertOne(cnv.get(), &c, 1);
            // 0xFF is no GBK character; the converter only keeps it for round trips (U+F8F5).
            if (singles[b] >= 0xE000 && singles[b] <= 0xF8FF)
                singles[b] = kReplacement;
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const char two[2] = {char(lead), char(trail)};
                pairs[(lead - 0x81) * kTrailCount + (trail - 0x40)] =
                    IsGbkTrailByte(trail) ? ConvertOne(cnv.get(), two, 2) : kReplacement;
            }
    }
};

const Cp936Tables& Tables()
{
    static const Cp936Tables tables;
    return tables;
}

} // namespace

char16_t GbkPairToChar(unsigned char lead, unsigned char trail)
{
    if (!IsGbkLeadByte(lead) || !IsGbkTrailByte(trail))
        return kReplacement;
    return Tables().pairs[(lead - 0x81) * kTrailCount + (trail - 0x40)];
}

char16_t GbkSingleToChar(unsigned char b)
{
    return Tables().singles[b];
}

void GbkByteDecoder::PutByte(unsigned char b)
{
    if (lead_ >= 0) {
        const unsigned char lead = static_cast<unsigned char>(lead_);
        lead_ = -1;
        if (IsGbkTrailByte(b)) {
            *dst_++ = GbkPairToChar(lead, b);
            return;
        }
        *dst_++ = kReplacement;
    }
    if (IsGbkLeadByte(b))
        lead_ = b;
    else
        *dst_++ = b < 0x80 ? char16_t(b) : GbkSingleToChar(b);
}

void GbkByteDecoder::Flush()
{
    if (lead_ >= 0) {
        *dst_++ = kReplacement;
        lead_ = -1;
    }
}

QString DecodeGbk(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    GbkByteDecoder decoder(begin);
    for (char c : bytes)
        decoder.PutByte(static_cast<unsigned char>(c));
    decoder.Flush();
    out.truncate(decoder.End() - begin);
    return out;
}

namespace {

// Labels are compared as the browser does: ASCII case ignored, blanks around trimmed.
QString LabelKey(QStringView label)
{
    return label.trimmed().toString().toLower();
}

bool IsOneOf(const QString& key, std::initializer_list<const char*> labels)
{
    for (const char* l : labels)
        if (key == QLatin1StringView(l))
            return true;
    return false;
}

struct ConverterChoice {
    QString name;
    const char* icuName = nullptr; // nullptr: UTF-8
    bool bestFit = true;
};

ConverterChoice ChooseConverter(QStringView label)
{
    const QString key = LabelKey(label);
    // Labels of the replacement encoding, which no form is sent in, send UTF-8 as well.
    if (key.isEmpty() || key.startsWith(u"utf-16") || key == u"unicodefffe" || key == u"unicode"
        || IsOneOf(key, {"utf-8", "utf8", "unicode-1-1-utf-8", "csucs4", "iso-10646-ucs-2"})
        || IsOneOf(key, {"replacement", "csiso2022kr", "hz-gb-2312", "iso-2022-cn", "iso-2022-cn-ext",
                         "iso-2022-kr"}))
        return {u"UTF-8"_s};
    if (IsOneOf(key, {"gbk", "gb2312", "gb_2312", "gb_2312-80", "chinese", "csgb2312", "csgb231280",
                      "csiso58gb231280", "iso-ir-58", "x-gbk", "cn-gb", "x-euc-cn", "euc-cn",
                      "windows-936", "cp936"}))
        return {u"GBK"_s, "GBK"};
    if (key == u"gb18030")
        return {u"gb18030"_s, "gb18030"};
    if (IsOneOf(key, {"big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"}))
        return {u"Big5"_s, "Big5"};
    // The browser's own Latin-1 coder has no best-fit mappings.
    if (IsOneOf(key, {"windows-1252", "iso-8859-1", "iso8859-1", "latin1", "l1", "us-ascii",
                      "ascii", "cp1252", "cp819", "ibm819", "iso_8859-1", "x-cp1252",
                      "iso-ir-100", "csisolatin1", "ansi_x3.4-1968", "iso88591"}))
        return {u"windows-1252"_s, "windows-1252", false};
    return {key};
}

QString ScalarValues(QStringView text, bool gbk)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (c.isSurrogate()) {
            out.append(QChar(kReplacement));
        } else if (gbk && c.unicode() == 0x01F9) {
            // Two characters the browser maps to the private-use codes that hold them in GBK.
            out.append(QChar(0xE7C8));
        } else if (gbk && c.unicode() == 0x1E3F) {
            out.append(QChar(0xE7C7));
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace

struct FormCharset::Converter {
    ConverterPtr cnv;
};

FormCharset::FormCharset(QStringView label)
{
    const ConverterChoice choice = ChooseConverter(label);
    name_ = u"UTF-8"_s;
    if (choice.name == name_)
        return;
    // Any other label the converter library knows is used as it is.
    const QByteArray icuName = choice.icuName ? QByteArray(choice.icuName) : choice.name.toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr cnv(ucnv_open(icuName.constData(), &status));
    if (U_FAILURE(status) || !cnv)
        return;
    status = U_ZERO_ERROR;
    ucnv_setFallback(cnv.get(), choice.bestFit);
    ucnv_setFromUCallBack(cnv.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC, nullptr,
                          nullptr, &status);
    if (U_FAILURE(status))
        return;
    name_ = choice.name;
    converter_ = std::make_unique<Converter>(Converter{std::move(cnv)});
    gbk_ = name_ == u"GBK";
}

FormCharset::~FormCharset() = default;
FormCharset::FormCharset(FormCharset&&) noexcept = default;
FormCharset& FormCharset::operator=(FormCharset&&) noexcept = default;

QByteArray FormCharset::Encode(QStringView text) const
{
    const QString scalars = ScalarValues(text, gbk_);
    if (!converter_)
        return scalars.toUtf8();
    UConverter* cnv = converter_->cnv.get();
    QByteArray out;
    qsizetype capacity = scalars.size() * 4 + 16;
    for (int attempt = 0; attempt < 2; ++attempt) {
        out.resize(capacity);
        UErrorCode status = U_ZERO_ERROR;
        ucnv_resetFromUnicode(cnv);
        const int32_t n = ucnv_fromUChars(cnv, out.data(), int32_t(out.size()),
                                          reinterpret_cast<const UChar*>(scalars.utf16()),
                                          int32_t(scalars.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            capacity = qsizetype(n) + 1;
            continue;
        }
        if (U_FAILURE(status))
            return scalars.toUtf8();
        out.resize(n);
        return out;
    }
    return scalars.toUtf8();
}

} // namespace sitecapture
