#include "capture/placeholders.h"

namespace sitecapture {

std::optional<QString> TokenForLabel(QStringView label)
{
    if (label.isEmpty())
        return std::nullopt;
    for (const Placeholder& p : PlaceholderTable)
        if (label == QStringView(p.label))
            return QString::fromUtf16(p.token);
    return std::nullopt;
}

QStringList Combo1Entries()
{
    QStringList entries{QString()};
    for (const Placeholder& p : PlaceholderTable)
        entries << QString::fromUtf16(p.label);
    return entries;
}

int Combo1IndexOf(QStringView label)
{
    if (label.isEmpty())
        return 0;
    for (std::size_t i = 0; i < PlaceholderTable.size(); ++i)
        if (label == QStringView(PlaceholderTable[i].label))
            return int(i) + 1;
    return -1;
}

void MapCurrentField(FieldMap& map, const QString& name, const QString& value,
                     const QString& label)
{
    if (name.isEmpty())
        return;
    const qsizetype n = map.MappedCount();
    const std::optional<QString> token = TokenForLabel(label);
    for (qsizetype i = 0; i < n; ++i) {
        if (map.fieldNames[i] != name)
            continue;
        map.fieldValues[i] = value;
        if (token)
            map.fieldTokens[i] = *token;
        return;
    }
    if (label.isEmpty())
        return;
    map.AddEntry(name, value, token.value_or(QString()));
}

} // namespace sitecapture
