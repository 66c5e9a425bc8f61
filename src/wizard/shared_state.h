#pragma once
// State shared by the wizard window and the capture engine.

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

// What the shared module keeps for the whole run.
struct Module1 {
    CaptureSet captureSet;
    QString publishReturn;

    // Run by each record button of the site list before anything else.
    void ClearCaptures()
    {
        captureSet = {};
        publishReturn.clear();
    }
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

// Wizard pages; the page number is also the capture engine's switch (CaptureMode).
enum class WizardPage : int {
    SiteInfoPage = 0,
    LoginCapturePage = 1,
    PublishCapturePage = 2,
    ReportPage = 3,
};

// CaptureMode and EditingId live in Tag texts as decimal numbers.
QString TagFromNumber(qint64 n);
// Converts the whole text; anything that is not a whole decimal number gives nothing.
std::optional<qint64> NumberFromTag(const QString& tag);

} // namespace sitecapture
