#include "capture/url_decode.h"

#include "capture/codepage.h"

namespace sitecapture {
namespace {

constexpr int HexValue(char16_t c) noexcept
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

QString UrlDecode(QStringView encoded)
{
    // Never longer than the input: every character or escape yields at most one character.
    QString out(encoded.size(), Qt::Uninitialized);
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    GbkByteDecoder bytes(begin);
    const char16_t* s = encoded.utf16();
    const qsizetype n = encoded.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'%' && i + 2 < n) {
            const int hi = HexValue(s[i + 1]);
            const int lo = HexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                bytes.PutByte(static_cast<unsigned char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        if (c == u'+')
            bytes.PutByte(' ');
        else if (c < 0x80)
            bytes.PutByte(static_cast<unsigned char>(c));
        else
            bytes.PutChar(c);
    }
    bytes.Flush();
    out.truncate(bytes.End() - begin);
    return out;
}

} // namespace sitecapture
