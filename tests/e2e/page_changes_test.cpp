// The page's own script changes the document after it was read for a first field: the next
// focus proposes from the document as it is now, not as it was read.

#include "e2e_support.h"

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace e2e {
namespace {

struct Change {
    const char* name;
    const char* script;   // runs in the page once the first field has been reported, with T
    QString text;         // T: a text the page writes
    int rowsAdded;        // rows inserted above the second field
    QString label;        // what the second field is then given
};

void PrintTo(const Change& c, std::ostream* os)
{
    *os << c.name;
}

class PageChanges : public HarnessTest, public testing::WithParamInterface<Change> {};

TEST_P(PageChanges, NextFocusSeesTheDocumentAsItIs)
{
    const Change& c = GetParam();
    // A long text in a last row makes the table and its body large enough to be kept in
    // blocks of their own, so that the change is read where it happened.
    QString filler;
    while (filler.size() < 40000)
        filler += u"本站发布的供求信息由会员自行提供，请仔细核实。"_s;
    const std::vector<Row> rows{
        {u"信息标题:"_s, R"(<input name="a">)"},
        {u"<span id=\"cap\">联系人:</span>"_s, R"(<input name="b">)"},
        {QString(), R"(<div style="width:200px;height:20px;overflow:hidden">)" + filler + "</div>"},
    };
    QString text = c.text;
    text.replace(u'&', u"&amp;"_s).replace(u'"', u"&quot;"_s).replace(u'<', u"&lt;"_s);
    // The page's texts come through an attribute: the server writes them as character references.
    const QString script = QStringLiteral(
        "<div id=\"news\">最新供求</div><div id=\"text\" hidden data-t=\"%1\"></div>"
        "<script>document.addEventListener('focusin', (e) => {"
        " if (e.target.name !== 'a') return; const cap = document.getElementById('cap');"
        " const row = cap.closest('tr'); const T = document.getElementById('text').dataset.t; %2 }, true);"
        "</script>").arg(text, QString::fromLatin1(c.script));
    server_.ServeHtml("/publish.asp", "utf-8", FormPage("utf-8", R"(method="post" action="/save.asp")", rows, script));
    Open("/publish.asp", CaptureMode::PublishCapturePage);

    Visit(ControlAt(rows, 0), "a");
    EXPECT_EQ(Combo1(), u"主题"_s);
    std::vector<Row> now = rows;
    for (int i = 0; i < c.rowsAdded; ++i)
        now.insert(now.begin() + 1, Row{QString(), QString()});
    Visit(ControlAt(now, 1 + c.rowsAdded), "b");
    EXPECT_EQ(Combo1(), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, PageChanges,
    testing::Values(
        Change{"caption_text_replaced", "cap.textContent = T;", u"联系电话:"_s, 0, u"电话"_s},
        Change{"caption_markup_replaced", "cap.innerHTML = T;", u"<b>E-Mail:</b>"_s, 0, u"电子邮件"_s},
        Change{"row_inserted_above",
               "const r = row.cloneNode(true); r.querySelector('span').textContent = T;"
               " r.querySelector('input').name = 'c'; row.before(r);",
               u"公司名称:"_s, 1, u"联系人"_s},
        // The window starts at the last row start before the field, wherever it came from.
        Change{"row_start_inserted_after_the_caption", "cap.insertAdjacentHTML('afterend', T);",
               u"<table style=\"display:inline-table\"><tr><td style=\"height:auto\">邮编</td></tr></table>"_s, 0,
               u"邮编"_s},
        // An earlier marker anywhere on the page takes the window before it: none here.
        Change{"marker_written_above_the_form", "document.body.insertAdjacentHTML('afterbegin', T);",
               u"<b hidden>最新 test...</b>"_s, 0, QString()},
        Change{"change_away_from_the_form", "document.getElementById('news').textContent = T;", u"求购钢材"_s, 0,
               u"联系人"_s}),
    [](const testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

} // namespace
} // namespace e2e
