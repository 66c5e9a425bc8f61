#pragma once
// Why a captured site would fail to post, found while the operator is still on the site:
// plain functions of the capture, run whenever the report page is shown.

#include "capture/capture_model.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace sitecapture {

// One field of a captured form, as the page had it when the form was submitted.
struct CheckedField {
    QString name;
    QString id;
    QString type;              // the input's type as the page has it, "textarea" or "select"
    bool readonly = false;
    QString value;             // as submitted, decoded
    std::optional<QString> reloaded; // its value in the page loaded once more; nothing: not reloaded
    bool typed = false;        // the operator typed into it
    QString caption;           // its label window
    QString imageNear;         // the address of an image next to it
    bool editorWritten = false; // a hidden text area a rich-text editor filled in
};

// One captured form; an action empty after trimming blanks means not captured.
struct CheckedForm {
    QString action;
    QString templateData; // the post-data template
    QString success;      // loginReturn or publishReturn
    std::vector<CheckedField> fields;
};

struct StoredSite {
    qint64 id = 0;
    QString name;
    QString asp;
    QString xxfburl;
};

// In the order the findings are listed for a form.
enum class CheckKind { PerVisit, Captcha, Verbatim, LostMapping, Ambiguous, NoSuccess, Duplicate };
enum class CheckedFormKind { Login, Publish, Site };
enum class Severity { Problem, Warning };

struct CheckInput {
    CheckedForm login;
    CheckedForm publish;
    std::vector<std::array<QString, 3>> mapped; // name, value, token
    QString asp;     // the site's view address
    QString xxfburl; // the site's publish page address
    std::vector<StoredSite> stored;
    qint64 editingId = 0; // the stored site being edited; 0: a new site

    // The login or the publish form.
    CheckedForm& Form(CheckedFormKind form) { return form == CheckedFormKind::Login ? login : publish; }
};

struct Finding {
    CheckKind kind;
    CheckedFormKind form;
    Severity severity;
    QStringList fields; // names in field order; for duplicate the stored ids as texts
    QString message;    // one Chinese sentence of evidence and advice
    friend bool operator==(const Finding&, const Finding&) = default;
};

const char* CheckKindName(CheckKind kind);
const char* CheckedFormName(CheckedFormKind form);
const char* SeverityName(Severity severity);
// What the operator reads for a form: "登录", "发布", "网站".
QString FormCaption(CheckedFormKind form);

// The form a page captures: the login form on the login capture page, the publish form on
// the publish capture page, none on the others.
std::optional<CheckedFormKind> CapturedForm(CaptureMode page);

// Every finding, ordered by form (login, publish, site) and then by kind.
std::vector<Finding> RunCaptureChecks(const CheckInput& input);

// The host of an address as the duplicate check compares it, folded for comparing as text:
// the address trimmed of blanks, after a "scheme://" at its start, up to the first "/", "?",
// "#" or ":", without one leading "www.". Empty when there is none; empty hosts never match.
QString HostOfAddress(const QString& address);

} // namespace sitecapture
