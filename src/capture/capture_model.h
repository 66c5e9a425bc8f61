#pragma once
// The capture engine's model: what a submission is captured into, the fields mapped to
// placeholder tokens, and the switch that says what a submission belongs to.

#include <QString>
#include <QStringList>

#include <optional>

namespace sitecapture {

// The five captured values of the site being added or edited.
struct CaptureSet {
    QString loginAction;
    QString publishAction;
    QString loginData;
    QString publishData;
    QString loginReturn;

    friend bool operator==(const CaptureSet&, const CaptureSet&) = default;
};

// Three parallel lists; the last element is always an empty spare, so with n mapped
// fields each list holds n + 1 elements.
struct FieldMap {
    QStringList fieldNames{QString()};
    QStringList fieldValues{QString()};
    QStringList fieldTokens{QString()};

    void ResetFieldMap()
    {
        fieldNames = QStringList{QString()};
        fieldValues = QStringList{QString()};
        fieldTokens = QStringList{QString()};
    }
    qsizetype MappedCount() const { return fieldNames.size() - 1; }
    // Fills the spare element and adds a new spare.
    void AddEntry(const QString& name, const QString& value, const QString& token)
    {
        fieldNames.last() = name;
        fieldValues.last() = value;
        fieldTokens.last() = token;
        fieldNames.append(QString());
        fieldValues.append(QString());
        fieldTokens.append(QString());
    }

    friend bool operator==(const FieldMap&, const FieldMap&) = default;
};

// The wizard page, which is also the capture engine's switch: only pages 1 and 2 capture.
// Kept in the browser's Tag as decimal text.
enum class CaptureMode : int {
    SiteInfoPage = 0,
    LoginCapturePage = 1,
    PublishCapturePage = 2,
    ReportPage = 3,
};

// CaptureMode and EditingId live in Tag texts as decimal numbers.
QString TagFromNumber(qint64 n);
// Converts the whole text; anything that is not a whole decimal number gives nothing.
std::optional<qint64> NumberFromTag(const QString& tag);

// The capture mode a Tag text stands for; a text that is no page number means page 0.
CaptureMode CaptureModeFromTag(const QString& tag);
inline QString TagFromCaptureMode(CaptureMode mode) { return TagFromNumber(int(mode)); }

} // namespace sitecapture
