#pragma once
// Turning a captured form submission into an action address and a post-data template.

#include "capture/capture_model.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace sitecapture {

// Replaces, for each mapped field with a token and in entry order, the first whole pair
// "name=value" (compared as text, bounded by the start or end of the data or by "&") with
// "name=token", the name as stored in the map.
QString TemplatePostData(const QString& data, const FieldMap& map);

// What Text1 and Text4 show after a captured submission.
struct CapturedDisplay {
    QString text1;
    QString text4;
    friend bool operator==(const CapturedDisplay&, const CapturedDisplay&) = default;
};

// The BeforeNavigate2 handler without its window: decodes the body as GBK form data and,
// on the login or publish capture page, stores the address and the template. Returns what
// Text1/Text4 must show, or nothing when the navigation is not captured.
std::optional<CapturedDisplay> CaptureSubmission(int captureMode, const QString& url,
                                                 QByteArrayView postData, const FieldMap& map,
                                                 CaptureSet& captureSet);

} // namespace sitecapture
