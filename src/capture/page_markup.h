#pragma once
// The page markup that the label window is cut from: the body's markup with every input's
// value attribute holding the field's current value and the focused field's the marker.
// The page sends it once per change of the document, split at the inputs' value
// attributes; a focus change then sends only the values, and costs only the row around
// the field instead of the whole page.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace sitecapture {

// An attribute value as the browser writes it into markup: "&", '"' and no-break spaces
// become entities; nothing else is escaped.
QString EscapeAttributeValue(QStringView value);

class PageMarkup {
public:
    // The markup between the value attribute values of the inputs, in document order:
    // one more segment than there are inputs. Each value starts out empty.
    explicit PageMarkup(const QStringList& segments);

    qsizetype InputCount() const { return qsizetype(segments_.size()) - 1; }

    // The current value of an input, as the page reports it (not yet escaped).
    void SetValue(qsizetype input, QStringView value);

    // The whole markup with the marker in input `field`'s value.
    QString WholeMarkup(qsizetype field) const;

    // A part of WholeMarkup(field) from which LabelWindow cuts exactly the same window:
    // the row start before the first marker up to that marker. Empty for no such input.
    QString MarkupForField(qsizetype field) const;

private:
    // Positions in the folded text of one segment or value.
    struct Piece {
        QString text;
        qsizetype firstMarker = -1;
        std::vector<qsizetype> rowStarts; // every "<tr", ascending
    };
    static Piece MakePiece(QString text);
    // Piece i of the text for a field: even i are segments, odd i values.
    const Piece& PieceAt(qsizetype i) const;

    std::vector<Piece> segments_;
    std::vector<Piece> values_;
    // Values are quoted, so no marker or row start runs across a piece boundary; markup
    // that does not look so is only ever read whole.
    bool quoted_ = true;
};

} // namespace sitecapture
