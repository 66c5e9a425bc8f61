#include "capture/submitted_form.h"

#include "capture/form_encoding.h"
#include "capture/label_window.h"
#include "capture/page_markup.h"

#include <QHash>
#include <QUrl>

namespace sitecapture {
namespace {

CheckedField Plain(const FormFieldMessage& m)
{
    CheckedField f;
    f.name = m.name;
    f.id = m.id;
    f.type = m.type;
    f.readonly = m.readonly;
    f.value = NormalizeLineBreaks(m.value);
    return f;
}

} // namespace

std::vector<CheckedField> DescribedFields(const SubmittedFormMessage& form)
{
    PageMarkup markup(form.segments);
    for (qsizetype i = 0; i < form.values.size(); ++i)
        markup.SetValue(i, form.values[i]);
    std::vector<CheckedField> out;
    out.reserve(std::size_t(form.fields.size()));
    for (const FormFieldMessage& m : form.fields) {
        CheckedField f = Plain(m);
        f.typed = m.typed;
        f.imageNear = m.image;
        f.editorWritten = m.edited;
        if (m.mark >= 0 && m.mark < markup.InputCount())
            f.caption = LabelWindow(markup.MarkupForField(m.mark));
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<CheckedField> ReadFields(const QList<FormFieldMessage>& fields)
{
    std::vector<CheckedField> out;
    out.reserve(std::size_t(fields.size()));
    for (const FormFieldMessage& m : fields)
        out.push_back(Plain(m));
    return out;
}

bool IsSameForm(const FormPlace& captured, const FormReadingMessage& reading)
{
    if (!reading.action)
        return false;
    const QUrl page(captured.pageUrl);
    const QUrl action(captured.action);
    return page.isValid() && action.isValid() && AddressKey(page) == AddressKey(QUrl(reading.page))
        && AddressKey(action, false) == AddressKey(QUrl(*reading.action), false);
}

void SetReloadedValues(std::vector<CheckedField>& captured, const std::vector<CheckedField>& reloaded)
{
    QHash<QString, std::vector<const CheckedField*>> byName;
    for (const CheckedField& f : reloaded)
        if (!f.name.isEmpty())
            byName[f.name].push_back(&f);
    QHash<QString, std::size_t> seen;
    for (CheckedField& f : captured) {
        if (f.name.isEmpty())
            continue;
        const std::size_t k = seen[f.name]++;
        const auto found = byName.constFind(f.name);
        if (found != byName.cend() && k < found->size())
            f.reloaded = (*found)[k]->value;
        else
            f.reloaded.reset();
    }
}

} // namespace sitecapture
