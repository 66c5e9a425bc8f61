#pragma once
// What the page script sends to the browser bridge, checked before anything is done with
// it: every message is a JSON object of known kind with fields of the right types and
// sizes. Anything else is dropped.

#include "capture/bridge_constants.h"
#include "capture/form_encoding.h"
#include "capture/second_opinion.h"

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace sitecapture {

// A new page script started in the page's top frame: whatever the previous one sent is gone.
struct HelloMessage {};

// The markup of one document, split at the value attributes of its inputs (see PageMarkup).
struct MarkupMessage {
    int doc = 0;
    int version = 0;
    QStringList segments;
};

// Blocks of one document's markup (see PageMarkup): new or changed contents, each split at
// the value attributes of its inputs, and the order of all blocks when it changed. Another
// version starts the document afresh.
struct BlocksMessage {
    int doc = 0;
    int version = 0;
    QList<QPair<int, QStringList>> blocks;
    std::optional<std::vector<int>> order;
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
    FieldEvidence evidence; // what the field shows of itself (inputs only); its tag and name above
};

// One field of a form as the page script describes it.
struct FormFieldMessage {
    QString name;
    QString id;
    QString type;  // the type attribute as written, "textarea" or "select"
    bool readonly = false;
    QString value; // its current value
    bool typed = false;
    QString image; // the absolute address of an image next to it, or empty
    int mark = -1; // its place among the marks of the markup; -1: not marked
    bool edited = false; // a hidden text area whose value changed since the page was written
};

// The form a submission comes from. The markup is the form's document body split at a
// mark in the value attribute of every input, textarea and select (see PageMarkup);
// `values` holds what each mark stands for when it is not the field being labelled.
struct SubmittedFormMessage {
    QString page;
    int index = -1;
    QString action;
    QList<FormFieldMessage> fields;
    QStringList segments; // empty when the page was too large to send
    QStringList values;
};

// A form being submitted with a body (POST).
struct SubmitMessage {
    QString url;
    FormEnctype enctype = FormEnctype::UrlEncoded;
    QString charset;
    QList<FormEntry> entries;
    std::optional<SubmittedFormMessage> form; // absent when the page could not say
};

// What the reading script found in a page loaded again: the address of its document and
// the form at the place asked for (no action when there is none).
struct FormReadingMessage {
    QString page;
    std::optional<QString> action;
    QList<FormFieldMessage> fields;
};

// The forms of the page as the fill decides on them, answering the tool's request `id`.
struct FillableFieldMessage {
    FieldMessage field; // where an input stands among its document's inputs, tag, name, evidence
    int maxLength = -1;
    bool visible = false;
    bool enabled = false;
    bool writable = false;
    bool empty = false;
    bool editor = false; // an editor standing for the hidden text area named
};

struct FillableFormMessage {
    QString charset;
    bool holdsFocus = false;
    QList<FillableFieldMessage> fields;
};

struct FillableMessage {
    int id = 0;
    QList<FillableFormMessage> forms;
};

// What the fill typed in: for each field asked for (by its handle), the name it is sent
// under and the value it holds now, or that it could not be filled.
struct FilledFieldMessage {
    int handle = 0;
    bool ok = false;
    QString name;
    QString value;
};

struct FilledMessage {
    int id = 0;
    QList<FilledFieldMessage> fields;
};

// The page was too large to be read; the operator is told.
struct OversizeMessage {};

struct PongMessage {
    int id = 0;
};

using BridgeMessage = std::variant<std::monostate, HelloMessage, MarkupMessage, BlocksMessage, FieldMessage,
                                   SubmitMessage, OversizeMessage, PongMessage, FillableMessage,
                                   FilledMessage>;

// std::monostate for anything malformed, unknown or too large.
BridgeMessage ParseBridgeMessage(const QJsonValue& message);

// The answer of the reading script, as strictly; nothing when malformed.
std::optional<FormReadingMessage> ParseFormReading(const QJsonValue& message);

} // namespace sitecapture
