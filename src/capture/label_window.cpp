#include "capture/label_window.h"

#include "capture/text_fold.h"

#include <initializer_list>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

// Cuts w at the second-to-last `tag`, dropping w's last character, when the tag occurs twice.
void CutAtPreviousTag(QString& w, QStringView tag)
{
    const FoldedText f(w);
    const qsizetype last = f.LastIndexOf(tag);
    if (last <= 0)
        return;
    const qsizetype previous = f.LastIndexOf(tag, last - 1);
    if (previous < 0)
        return;
    w = w.mid(previous, w.size() - previous - 1);
}

} // namespace

QString LabelWindow(QStringView html)
{
    const FoldedText page(html);
    const qsizetype pos = page.IndexOf(kFieldMarker);
    if (pos < 0)
        return {};
    // The row start must end before the marker and must not be the very first character.
    const qsizetype tr = pos >= 3 ? page.LastIndexOf(u"<tr", pos - 3) : -1;
    if (tr <= 0)
        return {};

    QString w = html.sliced(tr, pos - tr).toString();
    w = RemoveAllText(w, u" ");
    w = RemoveAllText(w, u"&nbsp;");
    w = RemoveAllText(w, u"</font>");
    CutAtPreviousTag(w, u"<SELECT");
    CutAtPreviousTag(w, u"<input");

    const qsizetype colon = FoldedText(w).LastIndexOf(u":<");
    if (colon >= 10)
        w = w.mid(colon - 10, 10);
    return w;
}

std::optional<QString> ProposePlaceholder(QStringView window)
{
    if (window.isEmpty())
        return std::nullopt;
    const FoldedText w(window);
    auto any = [&w](std::initializer_list<const char16_t*> keys) {
        for (const char16_t* k : keys)
            if (w.Contains(k))
                return true;
        return false;
    };
    auto has = [&w](const char16_t* key) { return w.Contains(key); };

    const bool companyWords = any({u"中文", u"企业", u"单位"}) || (has(u"公司") && !has(u"地址"));
    if (any({u"公司/单位", u"网站名称"}) || (companyWords && any({u"名", u"称"})))
        return u"公司名称"_s;
    if (any({u"法人", u"姓名", u"联系人", u"经理", u"厂长", u"名字"}))
        return u"联系人"_s;
    if (any({u"邮政编码", u"邮编"}))
        return u"邮编"_s;
    if (has(u"区号"))
        return u"区号"_s;
    if (has(u"传真"))
        return u"传真"_s;
    if (has(u"电话") && !has(u"移动"))
        return u"电话"_s;
    if (any({u"手机", u"移动"}))
        return u"手机"_s;
    if (has(u"城市"))
        return u"城市"_s;
    if (any({u"网", u"站", u"页", u"接"}))
        return u"网页地址"_s;
    if (has(u"货地"))
        return u"详细地址"_s;
    if (has(u"数量"))
        return u"数量"_s;
    if (has(u"价"))
        return u"单价"_s;
    if (has(u"规格"))
        return u"规格"_s;
    if (any({u"关键", u"物资名称", u"产品名称", u"品名", u"主要产品", u"营范围"}))
        return u"关键字"_s;
    if (has(u"产地"))
        return u"详细地址"_s;
    if (has(u"包装"))
        return u"包装"_s;
    if (has(u"描述"))
        return u"具体描述"_s;
    if (any({u"mail", u"邮件", u"电子"}))
        return u"电子邮件"_s;
    if (any({u"地址", u"街道", u"详细地址"}) || (has(u"厂址") && !has(u"mail")))
        return u"详细地址"_s;
    if (any({u"主题", u"标题"}))
        return u"主题"_s;
    return std::nullopt;
}

} // namespace sitecapture
