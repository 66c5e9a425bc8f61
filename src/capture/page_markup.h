#pragma once
// The page markup that the label window is cut from: the body's markup with every input's
// value attribute holding the field's current value and the focused field's the marker.
// The page sends it in blocks (runs of nodes, and the tags of the large elements around
// them), each split at its inputs' value attributes; a block is sent again only when the
// document changed inside it, a focus change sends only the values, and costs only the
// row around the field instead of the whole page.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <unordered_map>
#include <utility>
#include <vector>

namespace sitecapture {

// An attribute value as the browser writes it into markup: "&", '"' and no-break spaces
// become entities; nothing else is escaped.
QString EscapeAttributeValue(QStringView value);

class PageMarkup {
public:
    // The whole page as one block: the markup between the value attribute values of the
    // inputs, in document order, one more segment than there are inputs.
    explicit PageMarkup(const QStringList& segments);

    // Block `id` (new, or its content replaced): its markup split at its inputs' value
    // attributes. Its values start out empty.
    void SetBlock(int id, const QStringList& segments);
    // The blocks in document order; blocks not named are dropped. Inputs are numbered
    // across the blocks, up to the first block whose content is not known yet.
    void SetOrder(std::vector<int> ids);

    qsizetype InputCount() const;
    // Characters of markup held, values not counted.
    qsizetype Chars() const { return chars_; }

    // The current value of an input, as the page reports it (not yet escaped).
    void SetValue(qsizetype input, QStringView value);

    // The whole markup (up to the first unknown block) with the marker in input `field`'s value.
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
    struct Block {
        std::vector<Piece> segments;
        std::vector<Piece> values;
        // Values are quoted, so no marker or row start runs across a piece boundary.
        bool quoted = true;
        qsizetype chars = 0;
    };
    // The known blocks in order as one sequence of pieces.
    struct Flat {
        std::vector<const Piece*> pieces;
        std::vector<qsizetype> inputPiece; // where each input's value stands among the pieces
        std::vector<std::pair<int, qsizetype>> inputs; // its block and place in the block
        // Markup that does not look so is only ever read whole.
        bool quoted = true;
    };
    static Piece MakePiece(QString text);
    const Flat& Pieces() const;

    std::unordered_map<int, Block> blocks_;
    std::vector<int> order_;
    qsizetype chars_ = 0;
    mutable Flat flat_;
    mutable bool stale_ = true;
};

} // namespace sitecapture
