#include "capture/field_kind.h"

namespace sitecapture {
namespace {

// "ſ" or the Kelvin sign make no known type.
bool EqualsAsciiNoCase(QStringView text, QStringView lower)
{
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + (u'a' - u'A'));
        if (c != lower[i].unicode())
            return false;
    }
    return true;
}

} // namespace

FieldKind FieldKindOf(QStringView type)
{
    struct Known {
        QStringView type;
        FieldKind kind;
    };
    static constexpr Known known[] = {
        {u"text", FieldKind::TextInput},
        {u"search", FieldKind::TextInput},
        {u"tel", FieldKind::TextInput},
        {u"url", FieldKind::TextInput},
        {u"email", FieldKind::TextInput},
        {u"number", FieldKind::TextInput},
        {u"textarea", FieldKind::TextArea},
        {u"password", FieldKind::Password},
        {u"hidden", FieldKind::Hidden},
        {u"select", FieldKind::Select},
        {u"checkbox", FieldKind::Other},
        {u"radio", FieldKind::Other},
        {u"file", FieldKind::Other},
        {u"submit", FieldKind::Other},
        {u"image", FieldKind::Other},
        {u"reset", FieldKind::Other},
        {u"button", FieldKind::Other},
        {u"date", FieldKind::Other},
        {u"month", FieldKind::Other},
        {u"week", FieldKind::Other},
        {u"time", FieldKind::Other},
        {u"datetime-local", FieldKind::Other},
        {u"range", FieldKind::Other},
        {u"color", FieldKind::Other},
    };
    for (const Known& k : known)
        if (EqualsAsciiNoCase(type, k.type))
            return k.kind;
    return FieldKind::TextInput;
}

} // namespace sitecapture
