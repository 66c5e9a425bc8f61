#pragma once
// What kind of form field an input's type makes, as the browser reads the type attribute.

#include <QStringView>

namespace sitecapture {

enum class FieldKind { TextInput, TextArea, Password, Hidden, Select, Other };

// From the type attribute as written, "textarea" or "select". Browsers compare types in
// ASCII only; no type, or one the engine does not know, shows a text input.
FieldKind FieldKindOf(QStringView type);

inline bool IsTextLike(FieldKind kind)
{
    return kind == FieldKind::TextInput || kind == FieldKind::TextArea;
}

} // namespace sitecapture
