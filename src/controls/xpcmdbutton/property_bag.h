#pragma once
// The stored settings of a control instance: named values, read with a default, written
// only when they differ from it, keys matched without regard to letter case, kept in the
// order written. A bag can be kept as text, one "key = value" line per entry:
//
//   _extentx = 1931
//   caption = "编辑记录"
//   enabled = false
//   font = font "宋体" 9pt 400 italic underline strikeout
//
// Values are texts in double quotes (\" \\ \n escaped), 32-bit integers, true/false, and
// fonts: family, point size, weight (100..900) and any of the three style words. Blank lines
// and lines starting with '#' are skipped.

#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace sitecapture {

class PropertyBag {
public:
    // The stored value of `name` (any letter case), or `defaultValue` when there is none.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    // Stores `value` under `name`, or removes the entry when the value equals its default.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});

    bool Contains(const QString& name) const;
    bool IsEmpty() const { return entries_.empty(); }
    QStringList Keys() const;

    QString ToText() const;
    // The bag held by `text`; on a line it cannot read, nothing and a message in `error`.
    static std::optional<PropertyBag> FromText(const QString& text, QString* error = nullptr);

    friend bool operator==(const PropertyBag& a, const PropertyBag& b);

private:
    std::vector<std::pair<QString, QVariant>>::const_iterator Find(const QString& name) const;

    std::vector<std::pair<QString, QVariant>> entries_;
};

// Stored sizes are in HIMETRIC (1/100 mm); the nearest whole pixel at `dpi`.
int HimetricToPixels(int himetric, double dpi = 96.0);

} // namespace sitecapture
