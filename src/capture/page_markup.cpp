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
    SetBlock(0, segments);
    SetOrder({0});
}

void PageMarkup::SetBlock(int id, const QStringList& segments)
{
    const QStringList parts = segments.isEmpty() ? QStringList{QString()} : segments;
    Block b;
    b.segments.reserve(std::size_t(parts.size()));
    for (const QString& s : parts) {
        b.chars += s.size();
        b.segments.push_back(MakePiece(s));
    }
    b.values.resize(b.segments.size() - 1);
    for (std::size_t k = 0; k < b.segments.size(); ++k) {
        const QString& s = b.segments[k].text;
        if ((k > 0 && !s.startsWith(u'"')) || (k + 1 < b.segments.size() && !s.endsWith(u'"')))
            b.quoted = false;
    }
    auto [it, added] = blocks_.try_emplace(id);
    chars_ += b.chars - (added ? 0 : it->second.chars);
    it->second = std::move(b);
    stale_ = true;
}

void PageMarkup::SetOrder(std::vector<int> ids)
{
    std::unordered_map<int, Block> kept;
    for (int id : ids) {
        auto it = blocks_.find(id);
        if (it != blocks_.end())
            kept.insert(blocks_.extract(it));
    }
    for (const auto& [id, b] : blocks_)
        chars_ -= b.chars;
    blocks_ = std::move(kept);
    order_ = std::move(ids);
    stale_ = true;
}

namespace {

// Whether `needle` would be found across the join of two texts read as one.
bool RunsAcross(const QString& before, const QString& after, QStringView needle)
{
    const QString joined = before + after;
    const FoldedText folded(joined);
    for (qsizetype at = folded.IndexOf(needle); at >= 0; at = folded.IndexOf(needle, at + 1))
        if (at < before.size() && at + needle.size() > before.size())
            return true;
    return false;
}

} // namespace

const PageMarkup::Flat& PageMarkup::Pieces() const
{
    if (!stale_)
        return flat_;
    stale_ = false;
    flat_ = Flat{};
    std::vector<std::size_t> joins; // where a block other than the first starts
    for (int id : order_) {
        auto it = blocks_.find(id);
        if (it == blocks_.end())
            break;
        const Block& b = it->second;
        if (!flat_.pieces.empty())
            joins.push_back(flat_.pieces.size());
        flat_.quoted = flat_.quoted && b.quoted;
        for (std::size_t k = 0; k < b.segments.size(); ++k) {
            flat_.pieces.push_back(&b.segments[k]);
            if (k < b.values.size()) {
                flat_.inputPiece.push_back(qsizetype(flat_.pieces.size()));
                flat_.inputs.emplace_back(id, qsizetype(k));
                flat_.pieces.push_back(&b.values[k]);
            }
        }
    }
    // Blocks end between nodes, so nothing the window looks for runs across a join; should
    // it, the markup is read whole.
    constexpr qsizetype kReach = 6; // one less than the longest needle
    for (std::size_t join : joins) {
        QString before;
        for (std::size_t i = join; i-- > 0 && before.size() < kReach;)
            before.prepend(flat_.pieces[i]->text.right(kReach - before.size()));
        QString after;
        for (std::size_t i = join; i < flat_.pieces.size() && after.size() < kReach; ++i)
            after += flat_.pieces[i]->text.left(kReach - after.size());
        if (RunsAcross(before, after, kFieldMarker) || RunsAcross(before, after, kRowStart))
            flat_.quoted = false;
    }
    return flat_;
}

qsizetype PageMarkup::InputCount() const
{
    return qsizetype(Pieces().inputPiece.size());
}

void PageMarkup::SetValue(qsizetype input, QStringView value)
{
    if (input < 0 || input >= InputCount())
        return;
    const auto [id, k] = flat_.inputs[std::size_t(input)];
    // Replaced in place: the pieces' view of the blocks stays valid.
    blocks_.at(id).values[std::size_t(k)] = MakePiece(EscapeAttributeValue(value));
}

QString PageMarkup::WholeMarkup(qsizetype field) const
{
    if (field < 0 || field >= InputCount())
        return {};
    const qsizetype marked = flat_.inputPiece[std::size_t(field)];
    QString out;
    for (std::size_t i = 0; i < flat_.pieces.size(); ++i)
        out += qsizetype(i) == marked ? QString::fromUtf16(kFieldMarker) : flat_.pieces[i]->text;
    return out;
}

QString PageMarkup::MarkupForField(qsizetype field) const
{
    if (field < 0 || field >= InputCount())
        return {};
    if (!flat_.quoted)
        return WholeMarkup(field);
    const auto piece = [this](qsizetype i) -> const Piece& { return *flat_.pieces[std::size_t(i)]; };

    // Pieces before `last`, the field's own value, are the text before its marker. The first
    // marker of the page is the one the window is taken before.
    const qsizetype last = flat_.inputPiece[std::size_t(field)];
    qsizetype markerPiece = last;
    qsizetype markerAt = 0;
    for (qsizetype i = 0; i < last; ++i) {
        if (piece(i).firstMarker >= 0) {
            markerPiece = i;
            markerAt = piece(i).firstMarker;
            break;
        }
    }

    // The last row start that ends before the marker.
    qsizetype rowPiece = -1;
    qsizetype rowAt = -1;
    for (qsizetype i = markerPiece; i >= 0 && rowPiece < 0; --i) {
        if (i == last)
            continue;
        const std::vector<qsizetype>& starts = piece(i).rowStarts;
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
        out = piece(rowPiece).text.mid(rowAt - 1);
    } else {
        for (qsizetype i = rowPiece - 1; i >= 0; --i) {
            if (!piece(i).text.isEmpty()) {
                out = piece(i).text.right(1);
                break;
            }
        }
        out += piece(rowPiece).text;
    }
    if (markerPiece == rowPiece) {
        // Both in one piece: keep the text up to the marker.
        out.truncate(out.size() - (piece(rowPiece).text.size() - markerAt));
    } else {
        for (qsizetype i = rowPiece + 1; i < markerPiece; ++i)
            out += piece(i).text;
        if (markerPiece != last)
            out += piece(markerPiece).text.left(markerAt);
    }
    out += marker;
    return out;
}

} // namespace sitecapture
