#pragma once

#include <QString>
#include <QStringView>

namespace sitecapture {

// Decodes URL-encoded form data as a browser's form decoder does: "+" is a blank; every
// "%XX" is the byte XX and every other ASCII character its own byte; the bytes are read as
// GBK (a lead byte pairs with the next byte when that is a trail byte, escaped or not).
// Non-ASCII characters already in the text stay as they are. A "%" that is not followed by
// two hexadecimal digits stays as it is, and a decoded "%" is never decoded again.
QString UrlDecode(QStringView encoded);

} // namespace sitecapture
