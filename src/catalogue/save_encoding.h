#pragma once
// Which fields of table main a save writes, and with which values.

#include "catalogue/site_record.h"

#include <QString>

#include <optional>
#include <vector>

namespace sitecapture {

// What the save reads from the wizard: the site page and the report page's values.
struct SiteTexts {
    QString language;       // Combo2
    QString category;       // Combo3
    QString name;           // Text5
    QString publishPageUrl; // Text6(0)
    QString viewPageUrl;    // Text6(1)
    QString loginPageUrl;   // Text6(2)
    // The report page's six value labels.
    QString loginAction;    // Label4
    QString loginData;      // Label5
    QString publishAction;  // Label6
    QString publishData;    // Label7
    QString loginReturn;    // Label14
    QString publishReturn;  // Label15
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
