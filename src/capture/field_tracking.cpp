#include "capture/field_tracking.h"

#include "capture/label_window.h"
#include "capture/placeholders.h"
#include "capture/text_fold.h"

namespace sitecapture {

TrackDecision TrackActiveField(const FieldSnapshot& field, const QString& shownName,
                               const QString& shownValue)
{
    TrackDecision d;
    if (ContainsText(field.tagName, u"input")) {
        if (field.name == shownName && field.value == shownValue) {
            d.path = TrackPath::Unchanged;
            return d;
        }
        d.path = TrackPath::Input;
        d.fieldName = field.name;
        d.fieldValue = field.value;
        d.labelWindow = LabelWindow(field.markup);
        d.proposal = ProposePlaceholder(d.labelWindow);
        if (!d.proposal) {
            d.labelIndex = 0;
        } else {
            const int index = Combo1IndexOf(*d.proposal);
            if (index >= 0)
                d.labelIndex = index;
        }
        d.highlight = true;
        return d;
    }
    if (ContainsText(field.tagName, u"textarea")) {
        d.path = TrackPath::TextArea;
        d.fieldName = field.name;
        d.fieldValue = field.value;
        d.labelIndex = Combo1IndexOf(u"具体描述");
        d.highlight = true;
        return d;
    }
    return d;
}

} // namespace sitecapture
