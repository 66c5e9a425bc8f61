#pragma once
// Which fields of table main a save writes, and with which values.

#include "catalogue/site_record.h"

#include <QString>

#include <optional>
#include <vector>

namespace sitecapture {

// What the report page's six value labels show: the captured values a save writes.
struct ReportTexts {
    QString loginAction;   // Label4
    QString loginData;     // Label5
    QString publishAction; // Label6
    QString publishData;   // Label7
    QString loginReturn;   // Label14
    QString publishReturn; // Label15
    friend bool operator==(const ReportTexts&, const ReportTexts&) = default;
};

// What the save reads from the wizard: the report page's values and the site page.
struct SiteTexts : ReportTexts {
    QString language;       // Combo2
    QString category;       // Combo3
    QString name;           // Text5
    QString publishPageUrl; // Text6(0)
    QString viewPageUrl;    // Text6(1)
    QString loginPageUrl;   // Text6(2)
};

enum class SaveKind { NewSite, EditedSite };

// One step of the save: the field and its value, or no value when the field is not written
// (a new row keeps the database's default, an edited row its old value).
struct FieldWrite {
    SiteField field;
    std::optional<QString> value;

    friend bool operator==(const FieldWrite&, const FieldWrite&) = default;
};

// The twelve fields in the order the save writes them, each with its value or "not written".
std::vector<FieldWrite> SaveEncoding(const SiteTexts& texts, SaveKind kind);

} // namespace sitecapture
