#pragma once
// One row of table main, its field names, and the language codes stored in gbe.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace sitecapture {

// The twelve text fields of table main, in the order of the table's columns.
enum class SiteField {
    engname,
    Name,
    xxfburl,
    asp,
    yhdlurl,
    gbe,
    Action,
    Memo,
    checkvar,
    loginhttp,
    login,
    loginreturn,
};

inline constexpr std::array<SiteField, 12> kSiteFields{
    SiteField::engname, SiteField::Name,     SiteField::xxfburl,   SiteField::asp,
    SiteField::yhdlurl, SiteField::gbe,      SiteField::Action,    SiteField::Memo,
    SiteField::checkvar, SiteField::loginhttp, SiteField::login,   SiteField::loginreturn,
};

// The column name in table main, spelt exactly as the posting product expects it.
const char* FieldName(SiteField field);

// A NULL field reads as the empty text.
struct SiteRecord {
    qint64 Id = 0;
    QString engname;
    QString Name;
    QString xxfburl;
    QString asp;
    QString yhdlurl;
    QString gbe;
    QString Action;
    QString Memo;
    QString checkvar;
    QString loginhttp;
    QString login;
    QString loginreturn;

    QString& Field(SiteField field);
    const QString& Field(SiteField field) const;

    friend bool operator==(const SiteRecord&, const SiteRecord&) = default;
};

// What the site list shows of a row (its key and three visible columns), and the publish
// page address the duplicate check compares too.
struct SiteListRow {
    qint64 Id = 0;
    QString engname;
    QString Name;
    QString asp;
    QString xxfburl;
    friend bool operator==(const SiteListRow&, const SiteListRow&) = default;
};

// The language names of the wizard's list and their one-letter codes; compared exactly.
struct LanguageTable {
    struct Entry {
        QStringView name;
        QStringView code;
    };
    static constexpr std::array<Entry, 3> kEntries{{
        {u"简体中文", u"g"},
        {u"繁体中文", u"b"},
        {u"英文", u"e"},
    }};

    static std::optional<QString> CodeForName(QStringView name);
    static std::optional<QString> NameForCode(QStringView code);
};

} // namespace sitecapture
