#pragma once
// The wizard's state: what lives for the whole run (Module1) and what belongs to one opening
// of the wizard window (WizardSession).

#include "capture/capture_checks.h"
#include "capture/capture_model.h"
#include "capture/captured_submission.h"

#include <QString>

#include <optional>

namespace sitecapture {

// Kept for the whole run and shared by both windows.
struct Module1 {
    CaptureSet captureSet;
    QString publishReturn;

    // Run by each record button of the site list before anything else.
    void ClearCaptures()
    {
        captureSet = {};
        publishReturn.clear();
    }
};

// One opening of the wizard window; a new window starts a new session.
struct WizardSession {
    FieldMap fieldMap;
    // The page shown, which is also what a submission is captured for.
    CaptureMode captureMode = CaptureMode::SiteInfoPage;
    // The row being edited; nothing for a new site (EditingId "0").
    std::optional<qint64> editingId;
    // The address the link test opens (Command5.Tag).
    QString linkTestAddress;
    // The last captured submission of each form, as it left the browser, for the checks and
    // the replay of the report page. Never stored in the site database.
    std::optional<CapturedSubmission> loginSubmission;
    std::optional<CapturedSubmission> publishSubmission;
    std::optional<CapturedSubmission>& Submission(CheckedFormKind form)
    {
        return form == CheckedFormKind::Login ? loginSubmission : publishSubmission;
    }
    // The login page's mapping, kept when the publish page starts on a fresh one.
    FieldMap loginFieldMap;
};

} // namespace sitecapture
