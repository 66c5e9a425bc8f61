#include "catalogue/save_encoding.h"

#include "catalogue/address_encoding.h"

namespace sitecapture {

std::vector<FieldWrite> SaveEncoding(const SiteTexts& t, SaveKind kind)
{
    // loginhttp: a new site without a login action keeps the field unwritten; an edited one
    // gets the empty text rather than a bare "http://" that is no address at all.
    std::optional<QString> loginhttp;
    if (!t.loginAction.isEmpty())
        loginhttp = LoginHttp(t.loginAction);
    else if (kind == SaveKind::EditedSite)
        loginhttp = QString();

    return {
        {SiteField::gbe, LanguageTable::CodeForName(t.language)},
        {SiteField::engname, t.category},
        {SiteField::Name, t.name},
        {SiteField::xxfburl, t.publishPageUrl},
        {SiteField::asp, StripHttp(t.viewPageUrl)},
        {SiteField::yhdlurl, t.loginPageUrl},
        {SiteField::Action, StripHttp(t.publishAction)},
        {SiteField::Memo, t.publishData},
        {SiteField::checkvar, t.publishReturn},
        {SiteField::loginhttp, loginhttp},
        {SiteField::login, t.loginData},
        {SiteField::loginreturn, t.loginReturn},
    };
}

} // namespace sitecapture
