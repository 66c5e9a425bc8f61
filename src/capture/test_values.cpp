#include "capture/test_values.h"

#include "capture/capture_model.h"
#include "capture/form_encoding.h"
#include "capture/submission_capture.h"

#include <array>
#include <optional>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

// A value in three parts: the key tells the fields apart and is kept when the value must
// be shorter; the head goes first, then the tail.
struct Parts {
    QString head;
    QString key;
    QString tail;
};

enum Script { Simplified, Traditional, Ascii };

QString Padded(int n, int width)
{
    return u"%1"_s.arg(n, width, 10, QChar(u'0'));
}

// One of a list by n, the list's round counted after it once the list is used up.
QString Nth(const std::array<const char16_t*, 10>& list, int n)
{
    const QString one = QString::fromUtf16(list[std::size_t((n - 1) % 10)]);
    return n <= 10 ? one : one + QString::number(n);
}

QString PersonName(Script s, int n)
{
    static constexpr std::array<const char16_t*, 10> family[] = {
        {u"王", u"李", u"张", u"刘", u"陈", u"杨", u"赵", u"黄", u"周", u"吴"},
        {u"王", u"李", u"張", u"劉", u"陳", u"楊", u"趙", u"黃", u"周", u"吳"},
        {u"Wang ", u"Li ", u"Zhang ", u"Liu ", u"Chen ", u"Yang ", u"Zhao ", u"Huang ", u"Zhou ", u"Wu "}};
    static constexpr std::array<const char16_t*, 10> given[] = {
        {u"小明", u"晓红", u"建国", u"伟", u"静", u"帆", u"磊", u"敏", u"杰", u"娟"},
        {u"小明", u"曉紅", u"建國", u"偉", u"靜", u"帆", u"磊", u"敏", u"傑", u"娟"},
        {u"Xiaoming", u"Xiaohong", u"Jianguo", u"Wei", u"Jing", u"Fan", u"Lei", u"Min", u"Jie", u"Juan"}};
    const int k = n - 1;
    QString name = QString::fromUtf16(family[s][std::size_t(k % 10)]) +
                   QString::fromUtf16(given[s][std::size_t((k / 10) % 10)]);
    if (n > 100)
        name += QString::number(n);
    return name;
}

QString City(Script s, int n)
{
    static constexpr std::array<const char16_t*, 10> cities[] = {
        {u"杭州", u"宁波", u"温州", u"苏州", u"无锡", u"南京", u"合肥", u"济南", u"青岛", u"郑州"},
        {u"臺北", u"高雄", u"臺中", u"臺南", u"新竹", u"基隆", u"嘉義", u"桃園", u"宜蘭", u"花蓮"},
        {u"Hangzhou", u"Ningbo", u"Wenzhou", u"Suzhou", u"Wuxi", u"Nanjing", u"Hefei", u"Jinan",
         u"Qingdao", u"Zhengzhou"}};
    return Nth(cities[s], n);
}

// The value of a label in one script; nothing for no label.
std::optional<Parts> ValueParts(QStringView label, Script s, int n)
{
    const QString k = QString::number(n);
    auto pick = [s](const char16_t* simplified, const char16_t* traditional, const char16_t* ascii) {
        return QString::fromUtf16(s == Simplified ? simplified : s == Traditional ? traditional : ascii);
    };
    if (label == u"主题")
        return Parts{pick(u"测试供应不锈钢无缝钢管", u"測試供應不鏽鋼無縫鋼管", u"Test offer seamless steel pipe no "),
                     k, pick(u"号", u"號", u"")};
    if (label == u"单价")
        return Parts{{}, k, u"80"_s};
    if (label == u"包装")
        return Parts{pick(u"纸箱包装", u"紙箱包裝", u"Carton pack "), k, pick(u"型", u"型", u"")};
    if (label == u"规格")
        return Parts{pick(u"外径", u"外徑", u"OD "), k, pick(u"0毫米", u"0毫米", u"0 mm")};
    if (label == u"数量")
        return Parts{{}, k, u"000"_s};
    if (label == u"城市")
        return Parts{{}, City(s, n), {}};
    if (label == u"邮编")
        return Parts{u"31"_s, Padded(n, 4), {}};
    if (label == u"区号")
        return Parts{u"0"_s, QString::number(570 + n), {}};
    if (label == u"电话")
        return Parts{u"1380013"_s, Padded(n, 4), {}};
    if (label == u"传真")
        return Parts{u"8770"_s, Padded(n, 4), {}};
    if (label == u"区号+电话")
        return Parts{u"0571-8660"_s, Padded(n, 4), {}};
    if (label == u"区号+传真")
        return Parts{u"0571-8880"_s, Padded(n, 4), {}};
    if (label == u"联系人")
        return Parts{{}, PersonName(s, n), {}};
    if (label == u"关键字")
        return Parts{pick(u"不锈钢管,无缝钢管", u"不鏽鋼管,無縫鋼管", u"steel pipe,seamless pipe "), k, {}};
    if (label == u"电子邮件")
        return Parts{u"sales"_s, k, u"@example.com"_s};
    if (label == u"公司名称")
        return Parts{pick(u"杭州第", u"臺北第", u"Test Trading No "), k,
                     pick(u"测试贸易有限公司", u"測試貿易有限公司", u" Co Ltd")};
    if (label == u"详细地址")
        return Parts{pick(u"浙江省杭州市西湖区文三路", u"臺北市中正區重慶南路", u"Wensan Road No "), k,
                     pick(u"号", u"號", u" Hangzhou")};
    if (label == u"网页地址")
        return Parts{u"http://shop"_s, k, u".example.com/"_s};
    if (label == u"具体描述")
        return Parts{pick(u"这是一条测试信息，请勿处理。本公司长期供应不锈钢无缝钢管，质量可靠，价格合理。欢迎来电咨询，编号",
                          u"這是一條測試資訊，請勿處理。本公司長期供應不鏽鋼無縫鋼管，品質可靠，價格合理。歡迎來電諮詢，編號",
                          u"This is a test offer, please ignore it. We supply seamless steel pipes of good "
                          u"quality at fair prices. Reference "),
                     k, pick(u"。", u"。", u".")};
    return std::nullopt;
}

// Whether the value stands as its token in the template of a body sent in the charset: the
// capture reads UTF-8 and Big5 bodies as GBK, so Chinese typed there would stay verbatim.
bool Templated(const QString& value, const FormCharset& charset)
{
    FormEntry entry;
    entry.name = u"f"_s;
    entry.value = value;
    FieldMap map;
    map.AddEntry(entry.name, value, u"/z/"_s);
    CaptureSet set;
    CaptureSubmission(CaptureMode::PublishCapturePage, {},
                      EncodeFormBody({entry}, FormEnctype::UrlEncoded, charset), map, set);
    return set.publishData == u"f=/z/";
}

QString Fitted(const Parts& p, int maxLength)
{
    const QString whole = p.head + p.key + p.tail;
    if (maxLength <= 0 || whole.size() <= maxLength)
        return whole;
    if (p.key.size() >= maxLength)
        return p.key.left(maxLength);
    const qsizetype room = maxLength - p.key.size();
    if (p.tail.size() >= room)
        return p.key + p.tail.left(room);
    return p.head.left(room - p.tail.size()) + p.key + p.tail;
}

} // namespace

QString TestValue(QStringView label, QStringView charset, int n, int maxLength)
{
    return TestValue(label, FormCharset(charset), n, maxLength);
}

QString TestValue(QStringView label, const FormCharset& form, int n, int maxLength)
{
    if (n < 1)
        n = 1;
    for (Script s : {Simplified, Traditional, Ascii}) {
        const std::optional<Parts> parts = ValueParts(label, s, n);
        if (!parts)
            return {};
        const QString value = Fitted(*parts, maxLength);
        if (s == Ascii || Templated(value, form))
            return value;
    }
    return {};
}

} // namespace sitecapture
