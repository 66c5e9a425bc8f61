#pragma once
// One click fills the test offer: which form, which of its fields get which label and test
// value, and which are left to the operator. The page script gathers the fields and types
// the values in; these are the decisions.

#include "capture/capture_checks.h"
#include "capture/capture_model.h"
#include "capture/second_opinion.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace sitecapture {

// A field of a form as the page script finds it.
struct FillField {
    FieldEvidence evidence; // an editor's evidence names the text area it writes to
    QString labelWindow;    // the window the rules read for it
    int maxLength = -1;     // the page's maxlength; not positive: none
    bool visible = true;
    bool enabled = true;
    bool writable = true;   // not read-only
    bool empty = true;
    bool editor = false;    // a rich-text editor standing for a hidden text area
};

struct FillForm {
    bool holdsFocus = false; // the focused field is one of its fields
    std::vector<FillField> fields;
};

// The form that holds the focused field, else the one with the most fields a person fills
// in (visible, enabled text boxes, text areas, editors and selects); -1 when no form has any.
qsizetype ChooseFillForm(const std::vector<FillForm>& forms);

struct FillStep {
    qsizetype field = -1; // its index among the form's fields
    QString label;
    QString value;
    QString why;
    friend bool operator==(const FillStep&, const FillStep&) = default;
};

// A field the fill leaves to the operator, by the caption the operator knows it by.
struct LeftField {
    enum class Why { NoLabel, Select, Code, SameName };
    QString caption;
    Why why = Why::NoLabel;
    friend bool operator==(const LeftField&, const LeftField&) = default;
};

struct FillPlan {
    std::vector<FillStep> steps;
    std::vector<LeftField> leftToOperator; // in field order
};

// Every empty, visible, enabled, writable text box, text area and editor with a name and a
// proposal gets a test value; passwords, hidden fields, files, check boxes, radio buttons,
// selects and verification codes are never touched. A name already filled in the form is
// not filled twice: a field is mapped by its name.
FillPlan PlanFill(const FillForm& form, QStringView charset);

// What the fill of a form took: the field's name, the value the page now holds and its label.
struct FilledField {
    QString name;
    QString value;
    QString label;
};

// What a fill did to the page: the fields it filled, and those left to the operator.
struct FillOutcome {
    std::vector<FilledField> filled;
    std::vector<LeftField> left;
};

// Maps each filled field as if the operator had visited it and chosen that label.
void MapFilledFields(FieldMap& map, const std::vector<FilledField>& filled);

// A hidden text area whose value a rich-text editor changed: mapped with the value it was
// submitted with, as the description, unless the operator chose another label for it.
void MapEditedTextArea(FieldMap& map, const QString& name, const QString& submittedValue);
// The same for each such text area of a submitted form.
void MapEditedTextAreas(FieldMap& map, const std::vector<CheckedField>& submitted);

// The status text after a fill: how many fields were filled, and which are the operator's.
QString FillSummary(qsizetype filled, const std::vector<LeftField>& leftToOperator);

} // namespace sitecapture
