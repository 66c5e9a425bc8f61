#pragma once
// The one place where bytes and text meet. GBK is Windows code page 936.

#include <QByteArrayView>
#include <QString>

namespace sitecapture {

constexpr bool IsGbkLeadByte(unsigned char b) noexcept { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsGbkTrailByte(unsigned char b) noexcept { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// The character of a lead/trail pair; U+FFFD when code page 936 has none.
char16_t GbkPairToChar(unsigned char lead, unsigned char trail);
// The character of a single byte that is not a lead byte (ASCII, 0x80, 0xFF); U+FFFD if none.
char16_t GbkSingleToChar(unsigned char b);

// Incremental GBK decoder over a stream of bytes: a lead byte waits for its trail byte;
// a lead byte followed by no trail byte gives U+FFFD and the next byte is read afresh.
// It writes at most one character per byte or character put, into a buffer the caller sized.
class GbkByteDecoder {
public:
    explicit GbkByteDecoder(char16_t* dst) : dst_(dst) {}
    void PutByte(unsigned char b);
    // A character that came as text: ends a pending lead byte first.
    void PutChar(char16_t c)
    {
        Flush();
        *dst_++ = c;
    }
    void Flush();
    char16_t* End() const { return dst_; }

private:
    char16_t* dst_;
    int lead_ = -1;
};

QString DecodeGbk(QByteArrayView bytes);

} // namespace sitecapture
