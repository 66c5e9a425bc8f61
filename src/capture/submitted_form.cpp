#include "capture/submitted_form.h"

#include "capture/form_encoding.h"
#include "capture/label_window.h"
#include "capture/page_markup.h"
#include "capture/submission_matcher.h"

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

} // namespace sitecapture
