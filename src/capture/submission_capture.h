#pragma once
// Turning a captured form submission into an action address and a post-data template.

#include "capture/capture_model.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace sitecapture {

// Post data, its fold and the start of every pair, kept in step while pairs are replaced:
// the one place where whole pairs "name=value" are matched, as text.
class PairIndex {
public:
    explicit PairIndex(const QString& data);

    // First position where a whole pair equal (as text) to `foldedNeedle` starts, or -1.
    qsizetype FindPair(QStringView foldedNeedle) const;
    // Whether the whole pair `pair` (not folded) stands in the data, as text.
    bool HasPair(QStringView pair) const;
    void Replace(qsizetype at, qsizetype len, const QString& with);
    const QString& Data() const { return data_; }

private:
    QString data_;
    QString folded_;
    std::vector<qsizetype> starts_;
};

// Replaces, for each mapped field with a token and in entry order, the first whole pair
// "name=value" (compared as text, bounded by the start or end of the data or by "&") with
// "name=token", the name as stored in the map.
QString TemplatePostData(const QString& data, const FieldMap& map);

// What Text1 and Text4 show after a captured submission.
struct CapturedDisplay {
    QString action;
    QString data; // the template
    friend bool operator==(const CapturedDisplay&, const CapturedDisplay&) = default;
};

// The BeforeNavigate2 handler without its window: decodes the body as GBK form data and,
// on the login or publish capture page, stores the address and the template. Returns what
// Text1/Text4 must show, or nothing when the navigation is not captured.
std::optional<CapturedDisplay> CaptureSubmission(CaptureMode captureMode, const QString& url,
                                                 QByteArrayView postData, const FieldMap& map,
                                                 CaptureSet& captureSet);

} // namespace sitecapture
