#include "capture/label_vocabulary.h"

#include "capture/keyword_rules.h"
#include "capture/text_fold.h"

#include <QStringList>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

struct CaptionWord {
    const char16_t* word;
    const char16_t* label;
};

// Compounds whose parts the rules read as something else: "邮箱地址" is no street address,
// "邮递区号" (Taiwan's postal code) no area code.
constexpr CaptionWord kBeforeRules[] = {
    {u"邮箱", u"电子邮件"}, {u"电邮", u"电子邮件"}, {u"邮递区号", u"邮编"}, {u"邮政区号", u"邮编"},
};

// Captions of things no offer carries: searches, accounts, messenger numbers, documents.
constexpr const char16_t* kNotOfferWords[] = {
    u"搜索", u"搜寻", u"查询", u"密码", u"用户名", u"会员名", u"登录", u"登陆", u"帐号", u"账号",
    u"帐户", u"账户", u"昵称", u"证件", u"身份证", u"执照", u"证号", u"qq", u"msn", u"旺旺",
    u"微信", u"wechat", u"skype", u"search", u"password", u"username", u"login",
};

// Captions the rules do not know, tried in this order after them.
constexpr CaptionWord kAfterRules[] = {
    {u"起订", u"数量"}, {u"订量", u"数量"}, {u"订货量", u"数量"}, {u"供货量", u"数量"},
    {u"供应量", u"数量"}, {u"需求量", u"数量"}, {u"采购量", u"数量"}, {u"求购量", u"数量"},
    {u"库存", u"数量"}, {u"总量", u"数量"}, {u"产量", u"数量"},
    {u"标签", u"关键字"},
    {u"所在地", u"城市"}, {u"地区", u"城市"}, {u"经营地", u"城市"}, {u"地点", u"城市"},
    {u"省市", u"城市"},
    {u"联络人", u"联系人"}, {u"称呼", u"联系人"}, {u"负责人", u"联系人"}, {u"联系者", u"联系人"},
    {u"业务员", u"联系人"}, {u"先生", u"联系人"}, {u"女士", u"联系人"},
    {u"联系方式", u"电话"}, {u"座机", u"电话"}, {u"固话", u"电话"}, {u"号码", u"电话"},
    {u"信箱", u"电子邮件"},
    {u"厂名", u"公司名称"}, {u"厂家", u"公司名称"}, {u"厂商", u"公司名称"}, {u"商号", u"公司名称"},
    {u"店名", u"公司名称"}, {u"店铺", u"公司名称"}, {u"商铺", u"公司名称"}, {u"供应商", u"公司名称"},
    {u"住址", u"详细地址"}, {u"位置", u"详细地址"}, {u"门牌", u"详细地址"},
    {u"邮码", u"邮编"}, {u"邮政", u"邮编"},
    {u"型号", u"规格"}, {u"尺寸", u"规格"}, {u"尺码", u"规格"},
    {u"说明", u"具体描述"}, {u"介绍", u"具体描述"}, {u"简介", u"具体描述"}, {u"详情", u"具体描述"},
    {u"内容", u"具体描述"}, {u"正文", u"具体描述"}, {u"概述", u"具体描述"},
    {u"题目", u"主题"}, {u"名称", u"主题"},
};

struct NameWord {
    const char16_t* word;
    const char16_t* label;
    bool stem; // also found at the start or end of a longer word ("companyaddr")
};

// Names in English, pinyin and their abbreviations. Short abbreviations count as whole
// words only: "dh" inside another word is no phone.
constexpr NameWord kNameWords[] = {
    {u"title", u"主题", true}, {u"subject", u"主题", true}, {u"biaoti", u"主题", true},
    {u"topic", u"主题", false}, {u"headline", u"主题", true},
    {u"price", u"单价", true}, {u"jiage", u"单价", true}, {u"danjia", u"单价", true},
    {u"packing", u"包装", true}, {u"package", u"包装", true}, {u"packaging", u"包装", true},
    {u"pack", u"包装", false}, {u"baozhuang", u"包装", true},
    {u"guige", u"规格", true}, {u"spec", u"规格", false}, {u"specs", u"规格", false},
    {u"specification", u"规格", true}, {u"xinghao", u"规格", true},
    {u"quantity", u"数量", true}, {u"qty", u"数量", false}, {u"amount", u"数量", true},
    {u"shuliang", u"数量", true}, {u"stock", u"数量", false}, {u"minorder", u"数量", true},
    {u"moq", u"数量", false}, {u"supply", u"数量", false},
    {u"city", u"城市", false}, {u"chengshi", u"城市", true}, {u"diqu", u"城市", true},
    {u"zip", u"邮编", true}, {u"zipcode", u"邮编", true}, {u"postcode", u"邮编", true},
    {u"postalcode", u"邮编", true}, {u"postal", u"邮编", true}, {u"youbian", u"邮编", true},
    {u"youzheng", u"邮编", true}, {u"yzbm", u"邮编", false},
    {u"areacode", u"区号", true}, {u"quhao", u"区号", true}, {u"qh", u"区号", false},
    {u"tel", u"电话", true}, {u"telephone", u"电话", true}, {u"phone", u"电话", true},
    {u"dianhua", u"电话", true}, {u"dh", u"电话", false}, {u"lxdh", u"电话", false},
    {u"gddh", u"电话", false},
    {u"mobile", kMobileLabel, true}, {u"mob", kMobileLabel, false}, {u"cellphone", kMobileLabel, true},
    {u"cell", kMobileLabel, false}, {u"shouji", kMobileLabel, true}, {u"sjhm", kMobileLabel, false},
    {u"fax", u"传真", true}, {u"chuanzhen", u"传真", true}, {u"facsimile", u"传真", true},
    {u"linkman", u"联系人", true}, {u"contact", u"联系人", true}, {u"contacts", u"联系人", true},
    {u"contactperson", u"联系人", true}, {u"lianxiren", u"联系人", true}, {u"lxr", u"联系人", false},
    {u"realname", u"联系人", true}, {u"truename", u"联系人", true}, {u"fullname", u"联系人", true},
    {u"xingming", u"联系人", true}, {u"person", u"联系人", false}, {u"linkname", u"联系人", true},
    {u"keyword", u"关键字", true}, {u"keywords", u"关键字", true}, {u"tag", u"关键字", false},
    {u"tags", u"关键字", false}, {u"gjz", u"关键字", false}, {u"guanjianzi", u"关键字", true},
    {u"email", u"电子邮件", true}, {u"mail", u"电子邮件", true}, {u"mailbox", u"电子邮件", true},
    {u"youxiang", u"电子邮件", true}, {u"youjian", u"电子邮件", true}, {u"dzyj", u"电子邮件", false},
    {u"company", u"公司名称", true}, {u"companyname", u"公司名称", true}, {u"gongsi", u"公司名称", true},
    {u"gsmc", u"公司名称", false}, {u"corp", u"公司名称", false}, {u"corporation", u"公司名称", true},
    {u"firm", u"公司名称", false}, {u"comp", u"公司名称", false}, {u"comname", u"公司名称", true},
    {u"qymc", u"公司名称", false}, {u"enterprise", u"公司名称", true}, {u"qiye", u"公司名称", true},
    {u"danwei", u"公司名称", true}, {u"factory", u"公司名称", true},
    {u"address", u"详细地址", true}, {u"addr", u"详细地址", true}, {u"dizhi", u"详细地址", true},
    {u"xxdz", u"详细地址", false}, {u"street", u"详细地址", true},
    {u"homepage", u"网页地址", true}, {u"url", u"网页地址", true}, {u"website", u"网页地址", true},
    {u"web", u"网页地址", false}, {u"wangzhi", u"网页地址", true}, {u"wangzhan", u"网页地址", true},
    {u"http", u"网页地址", false}, {u"homeurl", u"网页地址", true},
    {u"content", u"具体描述", true}, {u"contents", u"具体描述", true}, {u"intro", u"具体描述", true},
    {u"introduction", u"具体描述", true}, {u"desc", u"具体描述", true}, {u"description", u"具体描述", true},
    {u"neirong", u"具体描述", true}, {u"detail", u"具体描述", true}, {u"details", u"具体描述", true},
    {u"body", u"具体描述", false}, {u"memo", u"具体描述", false}, {u"jieshao", u"具体描述", true},
    {u"shuoming", u"具体描述", true},
};

// Names of what no offer carries: the long ones also inside a word ("searchkeyword"), the
// short ones only as words of their own.
constexpr const char16_t* kNotOfferStems[] = {
    u"search", u"sousuo", u"login", u"logon", u"signin", u"password", u"passwd", u"username",
    u"account", u"wechat", u"weixin", u"skype",
};
constexpr const char16_t* kNotOfferNames[] = {u"query", u"pwd", u"pass", u"uname", u"userid",
                                              u"qq", u"msn", u"icq"};

WordReading Reading(QStringView label, QStringView word, int rule = 0)
{
    WordReading r{label.toString(), word.toString(), rule, false};
    if (r.label == QStringView(kMobileLabel)) {
        r.label = u"电话"_s;
        r.mobile = true;
    }
    return r;
}

const NameWord* FindNameWord(QStringView word)
{
    for (const NameWord& w : kNameWords)
        if (word == QStringView(w.word))
            return &w;
    return nullptr;
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Lower-case words of the ASCII letters: split at anything else and where a lower-case
// letter meets a capital ("contactName"), or a run of capitals meets a word ("URLField").
QStringList NameWords(QStringView name)
{
    QStringList words;
    QString current;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (!IsAsciiLetter(c)) {
            if (!current.isEmpty())
                words << current;
            current.clear();
            continue;
        }
        if (c.isUpper() && !current.isEmpty()) {
            const bool afterLower = name[i - 1].isLower();
            const bool capitalsEnd = name[i - 1].isUpper() && i + 1 < name.size() && name[i + 1].isLower();
            if (afterLower || capitalsEnd) {
                words << current;
                current.clear();
            }
        }
        current += c.toLower();
    }
    if (!current.isEmpty())
        words << current;
    return words;
}

// A stem at the end of the word, else at its start; the longest first.
const NameWord* FindStem(QStringView word)
{
    const NameWord* best = nullptr;
    for (bool atEnd : {true, false}) {
        for (const NameWord& w : kNameWords) {
            const QStringView stem(w.word);
            if (!w.stem || stem.size() >= word.size())
                continue;
            const bool found = atEnd ? word.endsWith(stem) : word.startsWith(stem);
            if (found && (!best || stem.size() > QStringView(best->word).size()))
                best = &w;
        }
        if (best)
            return best;
    }
    return nullptr;
}

std::optional<WordReading> ReadWords(const QStringList& words)
{
    for (const QString& w : words) {
        for (const char16_t* no : kNotOfferStems)
            if (w.contains(QStringView(no)))
                return std::nullopt;
        for (const char16_t* no : kNotOfferNames)
            if (w == QStringView(no))
                return std::nullopt;
    }
    if (const NameWord* whole = FindNameWord(words.join(QString())))
        return Reading(whole->label, whole->word);
    for (qsizetype i = words.size() - 1; i >= 0; --i) {
        if (i > 0)
            if (const NameWord* pair = FindNameWord(QString(words[i - 1] + words[i])))
                return Reading(pair->label, pair->word);
        if (const NameWord* one = FindNameWord(words[i]))
            return Reading(one->label, one->word);
        if (const NameWord* stem = FindStem(words[i]))
            return Reading(stem->label, stem->word);
    }
    return std::nullopt;
}

bool HasCjk(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

std::optional<WordReading> ReadCaptionWords(QStringView caption)
{
    const FoldedText folded(caption);
    for (const CaptionWord& w : kBeforeRules)
        if (folded.Contains(w.word))
            return Reading(w.label, w.word);
    if (const std::optional<RuleMatch> rule = MatchKeywordRules(caption))
        return Reading(rule->label, rule->words.join(u"”“"), rule->rule);
    for (const CaptionWord& w : kAfterRules)
        if (folded.Contains(w.word))
            return Reading(w.label, w.word);
    return ReadWords(NameWords(caption));
}

} // namespace

std::optional<WordReading> ReadCaption(QStringView caption)
{
    const FoldedText folded(caption);
    for (const char16_t* no : kNotOfferWords)
        if (folded.Contains(no))
            return std::nullopt;
    // "联系人电话" is the contact's phone: what follows the contact is what the field holds.
    const qsizetype contact = folded.IndexOf(u"联系人");
    if (contact >= 0 && contact + 3 < caption.size())
        if (std::optional<WordReading> rest = ReadCaptionWords(caption.sliced(contact + 3)))
            return rest;
    return ReadCaptionWords(caption);
}

std::optional<WordReading> ReadFieldName(QStringView name)
{
    if (HasCjk(name))
        return ReadCaption(name);
    return ReadWords(NameWords(name));
}

} // namespace sitecapture
