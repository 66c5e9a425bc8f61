#pragma once
// The words by which a text box shows itself as a verification code, which a person reads
// off a picture and nothing else can fill in.

#include <QStringView>

namespace sitecapture {

// Whether the text (a name, id, caption or image address) holds one of those words, as text.
bool MentionsCaptcha(QStringView text);

} // namespace sitecapture
