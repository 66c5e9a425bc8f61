#include "catalogue/site_record.h"

#include <utility>

namespace sitecapture {

const char* FieldName(SiteField field)
{
    switch (field) {
    case SiteField::engname: return "engname";
    case SiteField::Name: return "Name";
    case SiteField::xxfburl: return "xxfburl";
    case SiteField::asp: return "asp";
    case SiteField::yhdlurl: return "yhdlurl";
    case SiteField::gbe: return "gbe";
    case SiteField::Action: return "Action";
    case SiteField::Memo: return "Memo";
    case SiteField::checkvar: return "checkvar";
    case SiteField::loginhttp: return "loginhttp";
    case SiteField::login: return "login";
    case SiteField::loginreturn: return "loginreturn";
    }
    return "";
}

QString& SiteRecord::Field(SiteField field)
{
    return const_cast<QString&>(std::as_const(*this).Field(field));
}

const QString& SiteRecord::Field(SiteField field) const
{
    switch (field) {
    case SiteField::engname: return engname;
    case SiteField::Name: return Name;
    case SiteField::xxfburl: return xxfburl;
    case SiteField::asp: return asp;
    case SiteField::yhdlurl: return yhdlurl;
    case SiteField::gbe: return gbe;
    case SiteField::Action: return Action;
    case SiteField::Memo: return Memo;
    case SiteField::checkvar: return checkvar;
    case SiteField::loginhttp: return loginhttp;
    case SiteField::login: return login;
    case SiteField::loginreturn: return loginreturn;
    }
    return loginreturn; // unreachable: the switch covers every field
}

std::optional<QString> LanguageTable::CodeForName(QStringView name)
{
    for (const Entry& e : kEntries)
        if (e.name == name)
            return e.code.toString();
    return std::nullopt;
}

std::optional<QString> LanguageTable::NameForCode(QStringView code)
{
    for (const Entry& e : kEntries)
        if (e.code == code)
            return e.name.toString();
    return std::nullopt;
}

} // namespace sitecapture
