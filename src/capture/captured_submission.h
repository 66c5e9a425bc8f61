#pragma once
// A captured form submission with what the checks need to know of its form: what the
// windows keep of a submission, with no type of the bridge's messages.

#include "capture/capture_checks.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace sitecapture {

// Where a submitted form stood: enough to find the same form in the page loaded again.
struct FormPlace {
    QString pageUrl; // the address of the document the form was in (a frame's own)
    int index = -1;  // its place among that document's forms
    QString action;  // the form's own action, resolved; a submitter's formaction aside
    friend bool operator==(const FormPlace&, const FormPlace&) = default;
};

// One form submission with a body, as it left the browser.
struct CapturedSubmission {
    QString action;      // the address BeforeNavigate2 was raised with
    QByteArray body;     // the bytes BeforeNavigate2 carried
    QString contentType; // for `body`: "application/x-www-form-urlencoded", "text/plain" or
                         // "multipart/form-data; boundary=..." (the boundary in `body`)
    QString charset;     // the charset the body is encoded in: "GBK", "UTF-8", ...
    // Known when the page described its form (absent when the page was too large to say):
    std::optional<FormPlace> form;
    // Every input, textarea and select of the form in document order; `reloaded` unset.
    std::vector<CheckedField> fields;
    // The markup of the document the form was in (its inputs' values left out): what the
    // page showed before the answer.
    QString pageMarkup;
};

// Gives each captured field the value of the reloaded field of the same name and the same
// occurrence of that name; fields without a name, or without a counterpart, stay unset.
void SetReloadedValues(std::vector<CheckedField>& captured, const std::vector<CheckedField>& reloaded);

} // namespace sitecapture
