#include "capture/keyword_rules.h"

#include "capture/text_fold.h"

#include <initializer_list>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

class RuleWindow {
public:
    explicit RuleWindow(QStringView window) : w_(window) {}

    bool Has(const char16_t* word) const { return w_.Contains(word); }

    // The words of the list that the window holds, in list order.
    QStringList Found(std::initializer_list<const char16_t*> words) const
    {
        QStringList found;
        for (const char16_t* word : words)
            if (w_.Contains(word))
                found << QString::fromUtf16(word);
        return found;
    }

private:
    FoldedText w_;
};

std::optional<RuleMatch> Match(int rule, const char16_t* label, QStringList words)
{
    if (words.isEmpty())
        return std::nullopt;
    return RuleMatch{rule, QString::fromUtf16(label), std::move(words)};
}

std::optional<RuleMatch> CompanyRule(const RuleWindow& w)
{
    if (QStringList whole = w.Found({u"公司/单位", u"网站名称"}); !whole.isEmpty())
        return Match(1, u"公司名称", whole);
    QStringList kind = w.Found({u"中文", u"企业", u"单位"});
    // "公司" alone names a company only where the window does not speak of an address.
    if (kind.isEmpty() && w.Has(u"公司") && !w.Has(u"地址"))
        kind << u"公司"_s;
    const QStringList name = w.Found({u"名", u"称"});
    if (kind.isEmpty() || name.isEmpty())
        return std::nullopt;
    return Match(1, u"公司名称", kind + name);
}

} // namespace

std::optional<RuleMatch> MatchKeywordRules(QStringView window)
{
    if (window.isEmpty())
        return std::nullopt;
    const RuleWindow w(window);
    if (auto m = CompanyRule(w))
        return m;
    if (auto m = Match(2, u"联系人", w.Found({u"法人", u"姓名", u"联系人", u"经理", u"厂长", u"名字"})))
        return m;
    if (auto m = Match(3, u"邮编", w.Found({u"邮政编码", u"邮编"})))
        return m;
    if (auto m = Match(4, u"区号", w.Found({u"区号"})))
        return m;
    if (auto m = Match(5, u"传真", w.Found({u"传真"})))
        return m;
    if (!w.Has(u"移动"))
        if (auto m = Match(6, u"电话", w.Found({u"电话"})))
            return m;
    if (auto m = Match(7, kMobileLabel, w.Found({u"手机", u"移动"})))
        return m;
    if (auto m = Match(8, u"城市", w.Found({u"城市"})))
        return m;
    if (auto m = Match(9, u"网页地址", w.Found({u"网", u"站", u"页", u"接"})))
        return m;
    if (auto m = Match(10, u"详细地址", w.Found({u"货地"})))
        return m;
    if (auto m = Match(11, u"数量", w.Found({u"数量"})))
        return m;
    if (auto m = Match(12, u"单价", w.Found({u"价"})))
        return m;
    if (auto m = Match(13, u"规格", w.Found({u"规格"})))
        return m;
    if (auto m = Match(14, u"关键字",
                       w.Found({u"关键", u"物资名称", u"产品名称", u"品名", u"主要产品", u"营范围"})))
        return m;
    if (auto m = Match(15, u"详细地址", w.Found({u"产地"})))
        return m;
    if (auto m = Match(16, u"包装", w.Found({u"包装"})))
        return m;
    if (auto m = Match(17, u"具体描述", w.Found({u"描述"})))
        return m;
    if (auto m = Match(18, u"电子邮件", w.Found({u"mail", u"邮件", u"电子"})))
        return m;
    QStringList address = w.Found({u"地址", u"街道", u"详细地址"});
    if (address.isEmpty() && w.Has(u"厂址") && !w.Has(u"mail"))
        address << u"厂址"_s;
    if (auto m = Match(19, u"详细地址", address))
        return m;
    return Match(20, u"主题", w.Found({u"主题", u"标题"}));
}

} // namespace sitecapture
