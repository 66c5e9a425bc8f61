#include "capture/page_markup.h"

#include "capture/label_window.h"
#include "capture/text_fold.h"

#include <algorithm>

namespace sitecapture {
namespace {

constexpr char16_t kRowStart[] = u"<tr";
constexpr qsizetype kRowStartLength = 3;

} // namespace

QString EscapeAttributeValue(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out.append(u"&amp;");
            break;
        case u'"':
            out.append(u"&quot;");
            break;
        case 0x00A0:
            out.append(u"&nbsp;");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

PageMarkup::Piece PageMarkup::MakePiece(QString text)
{
    Piece p;
    const FoldedText folded(text);
    p.firstMarker = folded.IndexOf(kFieldMarker);
    for (qsizetype at = folded.IndexOf(kRowStart); at >= 0;
         at = folded.IndexOf(kRowStart, at + 1))
        p.rowStarts.push_back(at);
    p.text = std::move(text);
    return p;
}

PageMarkup::PageMarkup(const QStringList& segments)
{
    const QStringList parts = segments.isEmpty() ? QStringList{QString()} : segments;
    segments_.reserve(parts.size());
    for (const QString& s : parts)
        segments_.push_back(MakePiece(s));
    values_.resize(segments_.size() - 1);
    for (std::size_t k = 0; k < segments_.size(); ++k) {
        const QString& s = segments_[k].text;
        if ((k > 0 && !s.startsWith(u'"')) || (k + 1 < segments_.size() && !s.endsWith(u'"')))
            quoted_ = false;
    }
}

void PageMarkup::SetValue(qsizetype input, QStringView value)
{
    if (input < 0 || input >= InputCount())
        return;
    values_[std::size_t(input)] = MakePiece(EscapeAttributeValue(value));
}

const PageMarkup::Piece& PageMarkup::PieceAt(qsizetype i) const
{
    return (i % 2 == 0) ? segments_[std::size_t(i / 2)] : values_[std::size_t(i / 2)];
}

QString PageMarkup::WholeMarkup(qsizetype field) const
{
    if (field < 0 || field >= InputCount())
        return {};
    QString out;
    for (qsizetype k = 0; k <= InputCount(); ++k) {
        out += segments_[std::size_t(k)].text;
        if (k == InputCount())
            break;
        out += k == field ? QString::fromUtf16(kFieldMarker) : values_[std::size_t(k)].text;
    }
    return out;
}

QString PageMarkup::MarkupForField(qsizetype field) const
{
    if (field < 0 || field >= InputCount())
        return {};
    if (!quoted_)
        return WholeMarkup(field);

    // Pieces 0 .. 2*field are the text before the field's own marker, which is piece
    // `last`. The first marker of the page is the one the window is taken before.
    const qsizetype last = 2 * field + 1;
    qsizetype markerPiece = last;
    qsizetype markerAt = 0;
    for (qsizetype i = 0; i < last; ++i) {
        if (PieceAt(i).firstMarker >= 0) {
            markerPiece = i;
            markerAt = PieceAt(i).firstMarker;
            break;
        }
    }

    // The last row start that ends before the marker.
    qsizetype rowPiece = -1;
    qsizetype rowAt = -1;
    for (qsizetype i = markerPiece; i >= 0 && rowPiece < 0; --i) {
        if (i == last)
            continue;
        const std::vector<qsizetype>& starts = PieceAt(i).rowStarts;
        if (i == markerPiece) {
            auto it = std::upper_bound(starts.begin(), starts.end(), markerAt - kRowStartLength);
            if (it != starts.begin()) {
                rowPiece = i;
                rowAt = *std::prev(it);
            }
        } else if (!starts.empty()) {
            rowPiece = i;
            rowAt = starts.back();
        }
    }
    const QString marker = QString::fromUtf16(kFieldMarker);
    if (rowPiece < 0)
        return marker;

    // One character before the row start keeps it from being the first of the text, which
    // would leave the window empty; at the very start of the page it stays first.
    QString out;
    if (rowAt > 0) {
        out = PieceAt(rowPiece).text.mid(rowAt - 1);
    } else {
        for (qsizetype i = rowPiece - 1; i >= 0; --i) {
            if (!PieceAt(i).text.isEmpty()) {
                out = PieceAt(i).text.right(1);
                break;
            }
        }
        out += PieceAt(rowPiece).text;
    }
    if (markerPiece == rowPiece) {
        // Both in one piece: keep the text up to the marker.
        out.truncate(out.size() - (PieceAt(rowPiece).text.size() - markerAt));
    } else {
        for (qsizetype i = rowPiece + 1; i < markerPiece; ++i)
            out += PieceAt(i).text;
        if (markerPiece != last)
            out += PieceAt(markerPiece).text.left(markerAt);
    }
    out += marker;
    return out;
}

} // namespace sitecapture
