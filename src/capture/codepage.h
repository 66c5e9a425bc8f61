#pragma once
// The one place where bytes and text meet. GBK is Windows code page 936.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>

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

// A charset in which the browser sends form data, named by the label the page gives
// (accept-charset, or the document's encoding). The browser's own rules apply: GB2312
// and GBK pages send GBK, UTF-16 and the replacement encoding
// (iso-2022-kr and the like) send UTF-8, an unknown label sends UTF-8.
class FormCharset {
public:
    explicit FormCharset(QStringView label);
    ~FormCharset();
    FormCharset(FormCharset&&) noexcept;
    FormCharset& operator=(FormCharset&&) noexcept;

    // "UTF-8", "GBK", "Big5", "gb18030" and so on.
    QString Name() const { return name_; }

    // The bytes the browser sends for the text: the converter's best-fit mappings first
    // (in GBK "²" becomes "2"), then "&#N;" for characters the charset still lacks.
    // Lone surrogates are sent as U+FFFD.
    QByteArray Encode(QStringView text) const;

private:
    struct Converter;
    QString name_;
    std::unique_ptr<Converter> converter_; // null for UTF-8
    bool gbk_ = false;
};

} // namespace sitecapture
