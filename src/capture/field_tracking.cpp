#include "capture/field_tracking.h"

#include "capture/label_window.h"
#include "capture/placeholders.h"
#include "capture/text_fold.h"

namespace sitecapture {

TrackDecision TrackActiveField(const FieldSnapshot& field, const QString& text2,
                               const QString& text3)
{
    TrackDecision d;
    if (ContainsText(field.tagName, u"input")) {
        if (field.name == text2 && field.value == text3) {
            d.path = TrackPath::Unchanged;
            return d;
        }
        d.path = TrackPath::Input;
        d.text2 = field.name;
        d.text3 = field.value;
        d.labelWindow = LabelWindow(field.markup);
        d.proposal = ProposePlaceholder(d.labelWindow);
        if (!d.proposal) {
            d.combo1Index = 0;
        } else {
            const int index = Combo1IndexOf(*d.proposal);
            if (index >= 0)
                d.combo1Index = index;
        }
        d.highlight = true;
        return d;
    }
    if (ContainsText(field.tagName, u"textarea")) {
        d.path = TrackPath::TextArea;
        d.text2 = field.name;
        d.text3 = field.value;
        d.combo1Index = Combo1IndexOf(u"具体描述");
        d.highlight = true;
        return d;
    }
    return d;
}

} // namespace sitecapture
