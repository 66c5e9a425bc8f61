#pragma once
// What the focused field of the page means for the capture panel. The browser gathers the
// snapshot, the window applies the decision; this is the decision itself.

#include "capture/second_opinion.h"

#include <QString>

#include <optional>

namespace sitecapture {

// The focused element as the page reports it. `markup` is the page body with the marker in
// the field's value; empty when it could not be taken.
struct FieldSnapshot {
    QString tagName;
    QString name;
    QString value;
    QString markup;
    // What the field shows of itself beyond the markup, for the second opinion.
    FieldEvidence evidence = {};
};

enum class TrackPath {
    None,      // not a field: nothing changes
    Unchanged, // the field already shown with the same value: nothing changes
    Input,
    TextArea,
};

struct TrackDecision {
    TrackPath path = TrackPath::None;
    // Write Text2 (the name), then Text3 (the value), then select the Combo1 entry (if set),
    // in that order.
    QString fieldName;
    QString fieldValue;
    std::optional<int> labelIndex; // nothing: leave Combo1 as it is
    bool highlight = false;
    QString labelWindow;                 // for the operator's curiosity and the probe
    std::optional<QString> proposal;     // the rule's label, "手机" included
};

TrackDecision TrackActiveField(const FieldSnapshot& field, const QString& shownName,
                               const QString& shownValue);

} // namespace sitecapture
