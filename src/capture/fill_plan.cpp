#include "capture/fill_plan.h"

#include "capture/codepage.h"
#include "capture/field_kind.h"
#include "capture/placeholders.h"
#include "capture/test_values.h"
#include "capture/text_fold.h"

#include <QHash>
#include <QSet>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

enum class Kind { Text, Select, Untouched };

Kind KindOf(const FillField& f)
{
    if (f.editor || ContainsText(f.evidence.tag, u"textarea"))
        return Kind::Text;
    if (ContainsText(f.evidence.tag, u"select"))
        return Kind::Select;
    if (!f.evidence.tag.isEmpty() && !ContainsText(f.evidence.tag, u"input"))
        return Kind::Untouched;
    return FieldKindOf(f.evidence.type) == FieldKind::TextInput ? Kind::Text : Kind::Untouched;
}

bool InReach(const FillField& f)
{
    return f.visible && f.enabled;
}

// How the operator knows the field: its caption, else its name.
QString Caption(const FillField& f)
{
    for (const QString* text : {&f.evidence.label, &f.evidence.placeholder, &f.evidence.ariaLabel,
                                &f.evidence.title}) {
        const QString t = text->simplified();
        if (!t.isEmpty())
            return t.left(16);
    }
    QString before = f.evidence.before.simplified();
    while (!before.isEmpty() && (before.back() == u'：' || before.back() == u':' || before.back() == u'*'))
        before.chop(1);
    if (!before.isEmpty())
        return before.right(12);
    return f.evidence.name.isEmpty() ? f.evidence.id.left(16) : f.evidence.name.left(16);
}

} // namespace

qsizetype ChooseFillForm(const std::vector<FillForm>& forms)
{
    qsizetype best = -1;
    qsizetype bestCount = 0;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        qsizetype count = 0;
        for (const FillField& f : forms[i].fields)
            if (InReach(f) && KindOf(f) != Kind::Untouched)
                ++count;
        if (count > 0 && forms[i].holdsFocus)
            return qsizetype(i);
        if (count > bestCount) {
            best = qsizetype(i);
            bestCount = count;
        }
    }
    return best;
}

FillPlan PlanFill(const FillForm& form, QStringView charset)
{
    FillPlan plan;
    const FormCharset encoding(charset);
    QHash<QString, int> perLabel;
    QSet<QString> names;
    for (std::size_t i = 0; i < form.fields.size(); ++i) {
        const FillField& f = form.fields[i];
        const Kind kind = KindOf(f);
        if (!InReach(f) || kind == Kind::Untouched)
            continue;
        if (kind == Kind::Select) {
            plan.leftToOperator.push_back({Caption(f), LeftField::Why::Select});
            continue;
        }
        if (!f.writable || !f.empty)
            continue;
        FieldEvidence evidence = f.evidence;
        if (f.editor)
            evidence.tag = u"TEXTAREA"_s;
        const Proposal p = ProposeLabel(f.labelWindow, evidence);
        const QString& name = f.evidence.name;
        if (name.isEmpty())
            continue; // never submitted: nothing to fill or map
        const bool code = IsVerificationCode(f.labelWindow, evidence);
        if (!p.label || names.contains(name) || code) {
            const LeftField::Why why = code       ? LeftField::Why::Code
                                       : !p.label ? LeftField::Why::NoLabel
                                                  : LeftField::Why::SameName;
            plan.leftToOperator.push_back({Caption(f), why});
            continue;
        }
        names.insert(name);
        const int n = ++perLabel[*p.label];
        plan.steps.push_back(FillStep{qsizetype(i), *p.label, TestValue(*p.label, encoding, n, f.maxLength), p.why});
    }
    return plan;
}

void MapFilledFields(FieldMap& map, const std::vector<FilledField>& filled)
{
    for (const FilledField& f : filled)
        MapCurrentField(map, f.name, f.value, f.label);
}

void MapEditedTextArea(FieldMap& map, const QString& name, const QString& submittedValue)
{
    const bool mapped = map.fieldNames.first(map.MappedCount()).contains(name);
    // An entry keeps its token: the empty label only refreshes the value.
    MapCurrentField(map, name, submittedValue, mapped ? QString() : u"具体描述"_s);
}

void MapEditedTextAreas(FieldMap& map, const std::vector<CheckedField>& submitted)
{
    for (const CheckedField& f : submitted)
        if (f.editorWritten && !f.name.isEmpty())
            MapEditedTextArea(map, f.name, f.value);
}

QString FillSummary(qsizetype filled, const std::vector<LeftField>& leftToOperator)
{
    QString text = filled > 0 ? u"已填写 %1 个字段并选好标签"_s.arg(filled) : u"没有可以自动填写的字段"_s;
    if (!leftToOperator.empty()) {
        QStringList named;
        for (const LeftField& f : leftToOperator) {
            const char16_t* why = f.why == LeftField::Why::Select ? u"下拉框"
                                  : f.why == LeftField::Why::Code ? u"验证码"
                                  : f.why == LeftField::Why::SameName ? u"同名字段已填"
                                                                      : u"看不出是什么";
            named << u"“%1”（%2）"_s.arg(f.caption, QStringView(why));
        }
        text += u"；请您自己填写："_s + named.join(u"、");
    }
    return text;
}

} // namespace sitecapture
