#pragma once
// The tool's side of one fill: the forms the page gathered, planned in the fill's terms with
// each input's label window cut from the markup the page sent, and the page's answer turned
// into what was filled.

#include "capture/bridge_messages.h"
#include "capture/field_snapshots.h"
#include "capture/fill_plan.h"

#include <QJsonArray>

#include <vector>

namespace sitecapture {

class FillRequest {
public:
    // Plans the fill of the form that holds the focus, else of the fullest; nothing to do
    // when no form has a field a person fills in.
    static FillRequest Plan(const FillableMessage& page, FieldSnapshots& snapshots);

    // What the page types in: [[handle, value], ...].
    QJsonArray Steps() const;
    // Each planned field the page filled, with the value it holds now, under the name it is
    // sent with; a handle the plan did not give is ignored.
    FillOutcome Outcome(const FilledMessage& filled) const;

    bool Empty() const { return planned_.empty(); }
    const std::vector<LeftField>& Left() const { return left_; }

private:
    struct Planned {
        int handle = 0;
        QString label;
        QString value;
    };
    std::vector<Planned> planned_;
    std::vector<LeftField> left_;
};

} // namespace sitecapture
