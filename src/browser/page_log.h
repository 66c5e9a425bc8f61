#pragma once
// The pages' console messages: not the operator's business; developers may turn them on
// with QT_LOGGING_RULES="sitecapture.page.debug=true".

#include <QLoggingCategory>

namespace sitecapture {

Q_DECLARE_LOGGING_CATEGORY(lcPage)

} // namespace sitecapture
