#include "capture/codepage.h"

#include <unicode/ucnv.h>

#include <array>
#include <memory>

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

} // namespace sitecapture
