#pragma once
// Placeholder labels and tokens, and the mapping of form fields to them.

#include "capture/capture_model.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

namespace sitecapture {

struct Placeholder {
    const char16_t* label;
    const char16_t* token;
};

inline constexpr std::array<Placeholder, 19> PlaceholderTable{{
    {u"主题", u"/ztitle/"},
    {u"单价", u"/zprice/"},
    {u"包装", u"/zpackg/"},
    {u"规格", u"/zgggg/"},
    {u"数量", u"/zsssl/"},
    {u"城市", u"/zcity/"},
    {u"邮编", u"/zzip/"},
    {u"区号", u"/zqh/"},
    {u"电话", u"/ztelpho/"},
    {u"传真", u"/zfax/"},
    {u"区号+电话", u"/zqh//ztelpho/"},
    {u"区号+传真", u"/zqh//zfax/"},
    {u"联系人", u"/zconne/"},
    {u"关键字", u"/zkeyword/"},
    {u"电子邮件", u"/zemal/"},
    {u"公司名称", u"/zcomp/"},
    {u"详细地址", u"/zaddr/"},
    {u"网页地址", u"/zhre/"},
    {u"具体描述", u"/zcont/"},
}};

// Exact, case-sensitive; the empty label and unknown texts give nothing.
std::optional<QString> TokenForLabel(QStringView label);

// The entries of Combo1: the empty label, then the table's labels in order.
QStringList Combo1Entries();
// Index of a label among Combo1Entries(), or -1 when it is no entry.
int Combo1IndexOf(QStringView label);

// Records (name, value, token of label) for the field in Text2/Text3/Combo1.
// A field is known by its exact name; the last element stays an empty spare.
void MapCurrentField(FieldMap& map, const QString& name, const QString& value,
                     const QString& label);

} // namespace sitecapture
