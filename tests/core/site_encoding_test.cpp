// How a saved site's texts become the fields of table main.

#include "catalogue/address_encoding.h"
#include "catalogue/save_encoding.h"
#include "catalogue/site_record.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace sitecapture;

namespace {

TEST(StripHttp, RemovesOnlyALeadingPrefixInAnyCase)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"http://www.a.cn/list.asp", "www.a.cn/list.asp"},
        {"HTTP://WWW.A.CN/", "WWW.A.CN/"},
        {"hTtP://a.cn", "a.cn"},
        {"http://", ""},
        {"", ""},
        {"www.a.cn/x?u=http://b.cn", "www.a.cn/x?u=http://b.cn"}, // inner one kept
        {"http://a.cn/x?u=http://b.cn", "a.cn/x?u=http://b.cn"},
        {"http://http://a.cn", "http://a.cn"},
        {"https://a.cn", "https://a.cn"},
        {" http://a.cn", " http://a.cn"},
        {"http:/a.cn", "http:/a.cn"},
        {u"ｈｔｔｐ://a.cn"_qs, u"ｈｔｔｐ://a.cn"_qs}, // full-width letters are other characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripHttp(c.in), c.out) << c.in.toStdString();
}

TEST(LoginHttp, PrefixesHttpOrSchemelessAndKeepsOtherSchemes)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"", ""},
        {"http://a.cn/chk.asp", "http://a.cn/chk.asp"},
        {"HTTP://a.cn/chk.asp", "http://a.cn/chk.asp"},
        {"a.cn/chk.asp", "http://a.cn/chk.asp"},
        {"/chk.asp", "http:///chk.asp"},
        {"http://http://a.cn", "http://http://a.cn"}, // only the first is taken off and put back
        {"a.cn/chk?r=http://b.cn", "http://a.cn/chk?r=http://b.cn"},
        {"https://a.cn/chk", "https://a.cn/chk"},
        {"HTTPS://a.cn/chk", "HTTPS://a.cn/chk"},
        {"ftp://a.cn/x", "ftp://a.cn/x"},
        {"a.cn:8080/chk", "http://a.cn:8080/chk"},
        {"中文://x", "http://中文://x"}, // not a scheme
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoginHttp(c.in), c.out) << c.in.toStdString();
}

TEST(LanguageTable, MapsBothWaysExactly)
{
    const struct {
        QString name;
        QString code;
    } pairs[] = {{u"简体中文"_qs, "g"}, {u"繁体中文"_qs, "b"}, {u"英文"_qs, "e"}};
    for (const auto& p : pairs) {
        EXPECT_EQ(LanguageTable::CodeForName(p.name), p.code);
        EXPECT_EQ(LanguageTable::NameForCode(p.code), p.name);
    }
    for (const QString& name : {u""_qs, u"简体"_qs, u"简体中文 "_qs, u" 英文"_qs, u"English"_qs, u"g"_qs})
        EXPECT_EQ(LanguageTable::CodeForName(name), std::nullopt) << name.toStdString();
    for (const QString& code : {u""_qs, u"G"_qs, u"B"_qs, u"x"_qs, u"gb"_qs, u"g "_qs, u"简体中文"_qs})
        EXPECT_EQ(LanguageTable::NameForCode(code), std::nullopt) << code.toStdString();
}

SiteTexts BaseTexts()
{
    SiteTexts t;
    t.language = u"简体中文"_qs;
    t.category = u"综合"_qs;
    t.name = u"中国化工网"_qs;
    t.publishPageUrl = "http://www.a.cn/post.asp";
    t.viewPageUrl = "http://www.a.cn/list.asp";
    t.loginPageUrl = "http://www.a.cn/login.asp";
    t.loginAction = "http://www.a.cn/chklogin.asp";
    t.loginData = "user=/zuser/&pass=/zpass/";
    t.publishAction = "http://www.a.cn/save.asp";
    t.publishData = "title=/ztitle/&price=/zprice/";
    t.loginReturn = u"欢迎您"_qs;
    t.publishReturn = u"发布成功"_qs;
    return t;
}

using Expected = std::map<SiteField, std::optional<QString>>;

Expected BaseExpected()
{
    return {
        {SiteField::gbe, "g"},
        {SiteField::engname, u"综合"_qs},
        {SiteField::Name, u"中国化工网"_qs},
        {SiteField::xxfburl, "http://www.a.cn/post.asp"},
        {SiteField::asp, "www.a.cn/list.asp"},
        {SiteField::yhdlurl, "http://www.a.cn/login.asp"},
        {SiteField::Action, "www.a.cn/save.asp"},
        {SiteField::Memo, "title=/ztitle/&price=/zprice/"},
        {SiteField::checkvar, u"发布成功"_qs},
        {SiteField::loginhttp, "http://www.a.cn/chklogin.asp"},
        {SiteField::login, "user=/zuser/&pass=/zpass/"},
        {SiteField::loginreturn, u"欢迎您"_qs},
    };
}

constexpr SaveKind kNew = SaveKind::NewSite;
constexpr SaveKind kEdited = SaveKind::EditedSite;
const std::optional<QString> kNotWritten;

struct SaveCase {
    const char* what;
    SaveKind kind;
    std::function<void(SiteTexts&)> change;
    Expected differs; // fields whose value differs from BaseExpected
};

TEST(SaveEncoding, WritesTheFieldsInOrderWithTheirEncodings)
{
    const SaveCase cases[] = {
        {"new site", kNew, [](SiteTexts&) {}, {}},
        {"edited site", kEdited, [](SiteTexts&) {}, {}},
        {"traditional", kNew, [](SiteTexts& t) { t.language = u"繁体中文"_qs; }, {{SiteField::gbe, "b"}}},
        {"english", kEdited, [](SiteTexts& t) { t.language = u"英文"_qs; }, {{SiteField::gbe, "e"}}},
        {"unknown language, new", kNew, [](SiteTexts& t) { t.language = "English"; }, {{SiteField::gbe, kNotWritten}}},
        {"unknown language, edited", kEdited, [](SiteTexts& t) { t.language = u"简体中文 "_qs; },
         {{SiteField::gbe, kNotWritten}}},
        {"empty language", kNew, [](SiteTexts& t) { t.language.clear(); }, {{SiteField::gbe, kNotWritten}}},
        {"view page in capitals", kNew, [](SiteTexts& t) { t.viewPageUrl = "HTTP://Www.A.cn/x"; },
         {{SiteField::asp, "Www.A.cn/x"}}},
        {"view page with inner http", kNew, [](SiteTexts& t) { t.viewPageUrl = "www.a.cn/l?u=http://b.cn"; },
         {{SiteField::asp, "www.a.cn/l?u=http://b.cn"}}},
        {"view page https", kNew, [](SiteTexts& t) { t.viewPageUrl = "https://a.cn/l"; },
         {{SiteField::asp, "https://a.cn/l"}}},
        {"publish and login pages as typed", kNew,
         [](SiteTexts& t) {
             t.publishPageUrl = "www.a.cn/post";
             t.loginPageUrl = "";
         },
         {{SiteField::xxfburl, "www.a.cn/post"}, {SiteField::yhdlurl, ""}}},
        {"publish action stripped", kNew,
         [](SiteTexts& t) { t.publishAction = "HTTP://a.cn/save?next=http://b.cn"; },
         {{SiteField::Action, "a.cn/save?next=http://b.cn"}}},
        {"publish action https", kEdited, [](SiteTexts& t) { t.publishAction = "https://a.cn/save"; },
         {{SiteField::Action, "https://a.cn/save"}}},
        {"no login action, new", kNew, [](SiteTexts& t) { t.loginAction.clear(); },
         {{SiteField::loginhttp, kNotWritten}}},
        {"no login action, edited", kEdited, [](SiteTexts& t) { t.loginAction.clear(); },
         {{SiteField::loginhttp, ""}}},
        {"login action without scheme", kNew, [](SiteTexts& t) { t.loginAction = "a.cn/chk"; },
         {{SiteField::loginhttp, "http://a.cn/chk"}}},
        {"login action in capitals", kEdited, [](SiteTexts& t) { t.loginAction = "HTTP://a.cn/chk"; },
         {{SiteField::loginhttp, "http://a.cn/chk"}}},
        {"login action https, new", kNew, [](SiteTexts& t) { t.loginAction = "https://a.cn/chk"; },
         {{SiteField::loginhttp, "https://a.cn/chk"}}},
        {"login action https, edited", kEdited, [](SiteTexts& t) { t.loginAction = "https://a.cn/chk"; },
         {{SiteField::loginhttp, "https://a.cn/chk"}}},
        {"login action prefix twice", kNew, [](SiteTexts& t) { t.loginAction = "http://http://a.cn"; },
         {{SiteField::loginhttp, "http://http://a.cn"}}},
        {"post data and success texts as they are", kNew,
         [](SiteTexts& t) {
             t.publishData = "a=1\r\nb=%D6%D0&c=http://x";
             t.loginData = "http://u=1";
             t.loginReturn = " 登录成功 ";
             t.publishReturn = "http://ok";
         },
         {{SiteField::Memo, "a=1\r\nb=%D6%D0&c=http://x"},
          {SiteField::login, "http://u=1"},
          {SiteField::loginreturn, " 登录成功 "},
          {SiteField::checkvar, "http://ok"}}},
    };
    const SiteField order[] = {SiteField::gbe,    SiteField::engname,  SiteField::Name,      SiteField::xxfburl,
                               SiteField::asp,    SiteField::yhdlurl,  SiteField::Action,    SiteField::Memo,
                               SiteField::checkvar, SiteField::loginhttp, SiteField::login, SiteField::loginreturn};
    for (const SaveCase& c : cases) {
        SiteTexts texts = BaseTexts();
        c.change(texts);
        Expected expected = BaseExpected();
        for (const auto& [f, v] : c.differs)
            expected[f] = v;
        const std::vector<FieldWrite> writes = SaveEncoding(texts, c.kind);
        ASSERT_EQ(writes.size(), std::size(order)) << c.what;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            EXPECT_EQ(writes[i].field, order[i]) << c.what << " position " << i;
            EXPECT_EQ(writes[i].value, expected[writes[i].field]) << c.what << ": " << FieldName(writes[i].field);
        }
    }
}

TEST(SaveEncoding, EmptyTextsAreWrittenAsEmptyTexts)
{
    for (SaveKind kind : {kNew, kEdited}) {
        for (const FieldWrite& w : SaveEncoding(SiteTexts{}, kind)) {
            const bool unwritten = w.field == SiteField::gbe || (w.field == SiteField::loginhttp && kind == kNew);
            EXPECT_EQ(w.value.has_value(), !unwritten) << FieldName(w.field);
            EXPECT_TRUE(w.value.value_or("").isEmpty()) << FieldName(w.field);
        }
    }
}

} // namespace
