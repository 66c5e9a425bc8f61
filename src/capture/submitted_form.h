#pragma once
// A captured submission's form as the page described it, and the form found again in the
// page loaded once more.

#include "capture/bridge_messages.h"
#include "capture/captured_submission.h"

#include <vector>

namespace sitecapture {

// The form's fields with their captions: the label window of the form's markup with that
// field marked, the other inputs holding their values, as field tracking cuts it. Values
// with line breaks as a form submits them.
std::vector<CheckedField> DescribedFields(const SubmittedFormMessage& form);

// The fields of a page loaded again, as plain values (no caption, nothing typed).
std::vector<CheckedField> ReadFields(const QList<FormFieldMessage>& fields);

// Whether the form the reading script found is the captured one: the same document and a
// form at that place with the same action. The action's query may differ (a per-visit
// token in it); anything else is another form.
bool IsSameForm(const FormPlace& captured, const FormReadingMessage& reading);

} // namespace sitecapture
