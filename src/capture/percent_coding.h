#pragma once
// Percent escapes ("%XX") as addresses and form bodies spell bytes: read in either case,
// written in capitals.

#include <QByteArray>

namespace sitecapture {

// The value of one hexadecimal digit; -1 for any other character.
constexpr int HexDigitValue(char16_t c) noexcept
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// "%" and the byte's two digits.
inline void AppendPercentEscape(QByteArray& out, unsigned char byte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.append('%').append(kDigits[byte >> 4]).append(kDigits[byte & 0xF]);
}

} // namespace sitecapture
