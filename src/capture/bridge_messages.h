#pragma once
// What the page script sends to the browser bridge, checked before anything is done with
// it: every message is a JSON object of known kind with fields of the right types and
// sizes. Anything else is dropped. Also the state kept from those messages: the markup of
// each document and the submissions waiting for their navigation.

#include "capture/bridge_constants.h"
#include "capture/field_tracking.h"
#include "capture/form_encoding.h"
#include "capture/page_markup.h"

#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <variant>

namespace sitecapture {

// A new page script started in the page's top frame: whatever the previous one sent is gone.
struct HelloMessage {};

// The markup of one document, split at the value attributes of its inputs (see PageMarkup).
struct MarkupMessage {
    int doc = 0;
    int version = 0;
    QStringList segments;
};

// The focused element after a focus change or an edit.
struct FieldMessage {
    int doc = 0;
    int version = 0;
    int handle = 0;   // the script's name for the element, for the highlight
    QString tag;
    QString name;
    QString value;
    int input = -1;   // its place among the document's inputs; -1: none
    QList<QPair<int, QString>> values; // earlier inputs whose values changed
};

// A form being submitted with a body (POST).
struct SubmitMessage {
    QString url;
    FormEnctype enctype = FormEnctype::UrlEncoded;
    QString charset;
    QList<FormEntry> entries;
};

// The page was too large to be read; the operator is told.
struct OversizeMessage {};

struct PongMessage {
    int id = 0;
};

using BridgeMessage = std::variant<std::monostate, HelloMessage, MarkupMessage, FieldMessage,
                                   SubmitMessage, OversizeMessage, PongMessage>;

// std::monostate for anything malformed, unknown or too large.
BridgeMessage ParseBridgeMessage(const QJsonValue& message);

// The markup of the documents of one page, and the snapshots taken from it.
class FieldSnapshots {
public:
    void Apply(const MarkupMessage& m);
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
    QHash<int, Document> docs_;
    qint64 uses_ = 0;
};

// Pairs the bodies the page script reports with the navigations the engine starts, in
// whichever order the two arrive.
class SubmissionMatcher {
public:
    // How long a report and a navigation wait for each other.
    static constexpr qint64 kWaitMs = 10000;

    // A submission with its body. Returns true when its navigation has already been
    // reported: the caller raises BeforeNavigate2 with the body now.
    bool Submitted(const QUrl& action, const QByteArray& body, qint64 nowMs);

    // A navigation. Returns the body to raise BeforeNavigate2 with: for a navigation that
    // can be a form's (`mayCarryForm`: a form submission, the first load of a new window),
    // the waiting submission's for the same address; else empty. A link or a script that
    // goes to the action address never takes a body.
    QByteArray Navigating(const QUrl& url, bool mayCarryForm, qint64 nowMs);

private:
    struct Pending {
        QUrl url;
        QByteArray body;
        qint64 at = 0;
    };
    std::optional<Pending> report_;
    std::optional<Pending> navigation_;
};

} // namespace sitecapture
