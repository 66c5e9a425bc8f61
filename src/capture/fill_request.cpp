#include "capture/fill_request.h"

#include "capture/form_encoding.h"
#include "capture/label_window.h"

#include <algorithm>

namespace sitecapture {

FillRequest FillRequest::Plan(const FillableMessage& page, FieldSnapshots& snapshots)
{
    std::vector<FillForm> forms;
    forms.reserve(std::size_t(page.forms.size()));
    for (const FillableFormMessage& f : page.forms) {
        FillForm form;
        form.holdsFocus = f.holdsFocus;
        for (const FillableFieldMessage& m : f.fields) {
            FillField field;
            field.evidence = m.field.evidence;
            if (m.field.input >= 0)
                field.labelWindow = LabelWindow(snapshots.Take(m.field).markup);
            field.maxLength = m.maxLength;
            field.visible = m.visible;
            field.enabled = m.enabled;
            field.writable = m.writable;
            field.empty = m.empty;
            field.editor = m.editor;
            form.fields.push_back(std::move(field));
        }
        forms.push_back(std::move(form));
    }
    FillRequest request;
    const qsizetype chosen = ChooseFillForm(forms);
    if (chosen < 0)
        return request;
    const FillableFormMessage& source = page.forms[chosen];
    const FillPlan plan = PlanFill(forms[std::size_t(chosen)], source.charset);
    for (const FillStep& step : plan.steps)
        request.planned_.push_back({source.fields[step.field].field.handle, step.label, step.value});
    request.left_ = plan.leftToOperator;
    return request;
}

QJsonArray FillRequest::Steps() const
{
    QJsonArray steps;
    for (const Planned& p : planned_)
        steps.append(QJsonArray{p.handle, p.value});
    return steps;
}

FillOutcome FillRequest::Outcome(const FilledMessage& filled) const
{
    FillOutcome outcome;
    outcome.left = left_;
    for (const FilledFieldMessage& f : filled.fields) {
        if (!f.ok || f.name.isEmpty())
            continue;
        auto planned = std::find_if(planned_.begin(), planned_.end(),
                                    [&f](const Planned& p) { return p.handle == f.handle; });
        if (planned != planned_.end())
            outcome.filled.push_back({f.name, NormalizeLineBreaks(f.value), planned->label});
    }
    return outcome;
}

} // namespace sitecapture
