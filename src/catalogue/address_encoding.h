#pragma once
// How captured addresses are written into the site database.

#include <QString>
#include <QStringView>

namespace sitecapture {

// Removes a leading "http://" (any letter case); any other text is returned as it is.
QString StripHttp(QStringView text);

// The login action as stored: "http://" + StripHttp(action) for http or scheme-less
// addresses, an address of another scheme ("https://", ...) as it is, empty when empty.
QString LoginHttp(QStringView action);

} // namespace sitecapture
