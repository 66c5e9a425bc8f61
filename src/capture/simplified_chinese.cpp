#include "capture/simplified_chinese.h"

#include <algorithm>
#include <iterator>

namespace sitecapture {
namespace {

struct Pair {
    char16_t traditional;
    char16_t simplified;
};

// Sorted by the traditional character.
constexpr Pair kPairs[] = {
    {u'佈', u'布'}, {u'來', u'来'}, {u'係', u'系'}, {u'們', u'们'}, {u'備', u'备'}, {u'傳', u'传'}, {u'價', u'价'}, {u'優', u'优'},
    {u'內', u'内'}, {u'冊', u'册'}, {u'別', u'别'}, {u'動', u'动'}, {u'務', u'务'}, {u'區', u'区'}, {u'員', u'员'}, {u'單', u'单'},
    {u'國', u'国'}, {u'圍', u'围'}, {u'圖', u'图'}, {u'報', u'报'}, {u'場', u'场'}, {u'實', u'实'}, {u'寫', u'写'}, {u'尋', u'寻'},
    {u'層', u'层'}, {u'屬', u'属'}, {u'帳', u'帐'}, {u'幣', u'币'}, {u'庫', u'库'}, {u'廠', u'厂'}, {u'廣', u'广'}, {u'張', u'张'},
    {u'態', u'态'}, {u'應', u'应'}, {u'戶', u'户'}, {u'採', u'采'}, {u'擇', u'择'}, {u'據', u'据'}, {u'數', u'数'}, {u'時', u'时'},
    {u'暱', u'昵'}, {u'書', u'书'}, {u'會', u'会'}, {u'東', u'东'}, {u'業', u'业'}, {u'樓', u'楼'}, {u'標', u'标'}, {u'機', u'机'},
    {u'檢', u'检'}, {u'為', u'为'}, {u'營', u'营'}, {u'獲', u'获'}, {u'產', u'产'}, {u'發', u'发'}, {u'碼', u'码'}, {u'種', u'种'},
    {u'稱', u'称'}, {u'積', u'积'}, {u'範', u'范'}, {u'簡', u'简'}, {u'籤', u'签'}, {u'細', u'细'}, {u'紹', u'绍'}, {u'結', u'结'},
    {u'絡', u'络'}, {u'經', u'经'}, {u'網', u'网'}, {u'編', u'编'}, {u'縣', u'县'}, {u'總', u'总'}, {u'繫', u'系'}, {u'聯', u'联'},
    {u'職', u'职'}, {u'舖', u'铺'}, {u'處', u'处'}, {u'號', u'号'}, {u'裝', u'装'}, {u'規', u'规'}, {u'訂', u'订'}, {u'計', u'计'},
    {u'訊', u'讯'}, {u'記', u'记'}, {u'設', u'设'}, {u'註', u'注'}, {u'詞', u'词'}, {u'詢', u'询'}, {u'話', u'话'}, {u'詳', u'详'},
    {u'認', u'认'}, {u'說', u'说'}, {u'請', u'请'}, {u'證', u'证'}, {u'負', u'负'}, {u'貨', u'货'}, {u'責', u'责'}, {u'費', u'费'},
    {u'資', u'资'}, {u'質', u'质'}, {u'賬', u'账'}, {u'購', u'购'}, {u'輸', u'输'}, {u'連', u'连'}, {u'遞', u'递'}, {u'選', u'选'},
    {u'郵', u'邮'}, {u'鄉', u'乡'}, {u'銀', u'银'}, {u'銷', u'销'}, {u'鋪', u'铺'}, {u'錄', u'录'}, {u'錢', u'钱'}, {u'鍵', u'键'},
    {u'鎮', u'镇'}, {u'長', u'长'}, {u'門', u'门'}, {u'閉', u'闭'}, {u'開', u'开'}, {u'間', u'间'}, {u'關', u'关'}, {u'際', u'际'},
    {u'電', u'电'}, {u'頁', u'页'}, {u'項', u'项'}, {u'須', u'须'}, {u'頭', u'头'}, {u'題', u'题'}, {u'額', u'额'}, {u'類', u'类'},
    {u'驗', u'验'}, {u'點', u'点'},
};

static_assert(std::is_sorted(std::begin(kPairs), std::end(kPairs),
                             [](const Pair& a, const Pair& b) { return a.traditional < b.traditional; }));

} // namespace

QString ToSimplifiedChinese(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x4E00)
            continue;
        const Pair* it = std::lower_bound(std::begin(kPairs), std::end(kPairs), u,
                                          [](const Pair& p, char16_t v) { return p.traditional < v; });
        if (it != std::end(kPairs) && it->traditional == u)
            c = QChar(it->simplified);
    }
    return out;
}

} // namespace sitecapture
