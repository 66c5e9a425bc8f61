#include "capture/form_encoding.h"

#include "capture/percent_coding.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

bool IsUrlSafe(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '*';
}

void AppendUrlEncoded(QByteArray& out, QByteArrayView bytes)
{
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUrlSafe(c)) {
            out.append(ch);
        } else if (c == ' ') {
            out.append('+');
        } else {
            AppendPercentEscape(out, c);
        }
    }
}

// Names and file names inside the quotes of a multipart header.
QByteArray EscapeMultipartName(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (c == '"')
            out.append("%22");
        else if (c == '\r')
            out.append("%0D");
        else if (c == '\n')
            out.append("%0A");
        else
            out.append(c);
    }
    return out;
}

QString EntryText(const FormEntry& e)
{
    return e.isFile ? e.fileName : e.value;
}

QByteArray UrlEncodedBody(const QList<FormEntry>& entries, const FormCharset& charset)
{
    QByteArray out;
    for (const FormEntry& e : entries) {
        if (!out.isEmpty())
            out.append('&');
        AppendUrlEncoded(out, charset.Encode(NormalizeLineBreaks(e.name)));
        out.append('=');
        AppendUrlEncoded(out, charset.Encode(NormalizeLineBreaks(EntryText(e))));
    }
    return out;
}

QByteArray TextPlainBody(const QList<FormEntry>& entries, const FormCharset& charset)
{
    QByteArray out;
    for (const FormEntry& e : entries) {
        out.append(charset.Encode(NormalizeLineBreaks(e.name)));
        out.append('=');
        out.append(charset.Encode(NormalizeLineBreaks(EntryText(e))));
        out.append("\r\n");
    }
    return out;
}

QByteArray MultipartBody(const QList<FormEntry>& entries, const FormCharset& charset,
                         QByteArrayView boundary)
{
    QByteArray out;
    for (const FormEntry& e : entries) {
        out.append("--").append(boundary).append("\r\n");
        out.append("Content-Disposition: form-data; name=\"");
        // A name's line breaks become CR LF first, then are escaped; a file name's are only escaped.
        out.append(EscapeMultipartName(charset.Encode(NormalizeLineBreaks(e.name))));
        out.append('"');
        if (e.isFile) {
            out.append("; filename=\"");
            out.append(EscapeMultipartName(charset.Encode(e.fileName)));
            out.append("\"\r\nContent-Type: ");
            out.append(e.fileType.isEmpty() ? QByteArray("application/octet-stream")
                                            : e.fileType.toLatin1());
            out.append("\r\n\r\n");
            out.append(e.fileContent);
        } else {
            out.append("\r\n\r\n");
            out.append(charset.Encode(NormalizeLineBreaks(e.value)));
        }
        out.append("\r\n");
    }
    out.append("--").append(boundary).append("--\r\n");
    return out;
}

} // namespace

FormEnctype FormEnctypeFromAttribute(QStringView value)
{
    // Matched whole, as the browser matches its keywords: " text/plain" is urlencoded.
    const QStringView v = value;
    if (v.compare(u"multipart/form-data", Qt::CaseInsensitive) == 0)
        return FormEnctype::Multipart;
    if (v.compare(u"text/plain", Qt::CaseInsensitive) == 0)
        return FormEnctype::TextPlain;
    return FormEnctype::UrlEncoded;
}

QString NormalizeLineBreaks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out.append(u"\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out.append(u"\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray EncodeFormBody(const QList<FormEntry>& entries, FormEnctype enctype,
                          const FormCharset& charset, QByteArrayView boundary)
{
    switch (enctype) {
    case FormEnctype::Multipart:
        return MultipartBody(entries, charset, boundary);
    case FormEnctype::TextPlain:
        return TextPlainBody(entries, charset);
    case FormEnctype::UrlEncoded:
        break;
    }
    return UrlEncodedBody(entries, charset);
}

QString FormContentType(FormEnctype enctype, QByteArrayView boundary)
{
    switch (enctype) {
    case FormEnctype::Multipart:
        return u"multipart/form-data; boundary="_s + QString::fromLatin1(boundary);
    case FormEnctype::TextPlain:
        return u"text/plain"_s;
    case FormEnctype::UrlEncoded:
        break;
    }
    return u"application/x-www-form-urlencoded"_s;
}

QByteArray NewMultipartBoundary()
{
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789AB";
    QByteArray b("----WebKitFormBoundary");
    for (int i = 0; i < 16; ++i)
        b.append(kChars[QRandomGenerator::global()->bounded(64)]);
    return b;
}

} // namespace sitecapture
