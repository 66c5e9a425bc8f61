#pragma once
// A label for every field: the keyword rules first, as field tracking applies them; where
// they give none, a second opinion from what the rules do not read: the field's own label,
// its placeholder, aria-label and title, the text just before it and its name. Every
// proposal says why. The wizard and the probe both ask here.

#include <QString>
#include <QStringView>

#include <optional>

namespace sitecapture {

// What the page script reads of a field in the live page.
struct FieldEvidence {
    QString tag;         // "INPUT", "TEXTAREA", "SELECT"...; empty counts as an input
    QString name;
    QString id;
    QString type;        // the type attribute as written
    QString placeholder;
    QString ariaLabel;
    QString title;
    QString label;       // the text of the field's <label>s (for it, or around it)
    QString before;      // the visible text just before it, back to the previous field
};

enum class ProposalSource { None, Rule, Label, Placeholder, Aria, Title, Text, Name };

struct Proposal {
    std::optional<QString> label; // a label of PlaceholderTable
    ProposalSource source = ProposalSource::None;
    QString why;                  // one Chinese sentence for the operator
    // Whether field tracking selects it on a focus change by itself. A second opinion
    // (and the phone proposed for a mobile number) is only ever suggested.
    bool selectedOnFocus = false;

    friend bool operator==(const Proposal&, const Proposal&) = default;
};

// `labelWindow` is the window the rules read (LabelWindow of the page's markup).
Proposal ProposeLabel(QStringView labelWindow, const FieldEvidence& field);

// "rule", "label", "placeholder", "aria", "title", "text", "name"; "" for None.
const char* ProposalSourceName(ProposalSource source);

// The status text of a proposal made on a focus change: the label the rules selected and
// why, or the suggestion with the key that takes it, or why there is none.
QString ProposalStatus(const Proposal& p, QStringView adoptKey);

// A verification code by its name, id or any caption of it: nothing but a person fills it.
bool IsVerificationCode(QStringView labelWindow, const FieldEvidence& field);

} // namespace sitecapture
