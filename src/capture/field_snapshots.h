#pragma once
// What field tracking is given of the focused field: the markup each document of the page
// sent last, brought up to date with the values each focus change reports.

#include "capture/bridge_messages.h"
#include "capture/field_tracking.h"
#include "capture/page_markup.h"

#include <QHash>
#include <QStringList>

namespace sitecapture {

// The markup of the documents of one page, and the snapshots taken from it.
class FieldSnapshots {
public:
    void Apply(const MarkupMessage& m);
    void ApplyBlocks(const BlocksMessage& m);
    // The snapshot for TrackActiveField: value with line breaks as the form submits them,
    // and for an input the markup the label window is cut from (empty when unknown).
    FieldSnapshot Take(const FieldMessage& m);
    void Clear() { docs_.clear(); }

private:
    struct Document {
        int version = 0;
        qint64 used = 0;
        PageMarkup markup{QStringList{}};
    };
    // The document `doc` at `version`: kept, or made anew (and room made for it).
    Document& Find(int doc, int version);
    QHash<int, Document> docs_;
    qint64 uses_ = 0;
};

} // namespace sitecapture
