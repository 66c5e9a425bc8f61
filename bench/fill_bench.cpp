// The second opinion and the fill plan over a publish form of many fields, as one click
// runs them: each field's label window cut from the page's markup, then the proposal.

#include "capture/fill_plan.h"
#include "capture/label_window.h"
#include "capture/page_markup.h"
#include "capture/second_opinion.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace {

// Fields of real publish forms: a caption in a div row (which the rules cannot read), a
// name, a placeholder now and then.
struct Sample {
    const char16_t* caption;
    const char16_t* name;
    const char16_t* placeholder;
};
constexpr std::array<Sample, 10> kSamples{{
    {u"信息标题", u"title", u"请输入标题，不超过30字"},
    {u"联系人", u"linkman", u""},
    {u"联系电话", u"tel", u""},
    {u"手机号码", u"mobile", u"请输入11位手机号码"},
    {u"电子邮箱", u"email", u""},
    {u"最小起订量", u"minorder", u""},
    {u"供货总量", u"f_total", u""},
    {u"有效期", u"days", u""},
    {u"验证码", u"yzm", u""},
    {u"公司地址", u"addr", u""},
}};

struct Page {
    PageMarkup markup{QStringList{}};
    std::vector<FieldEvidence> fields;
};

// A div-layout form of `count` fields; the markup split at the inputs' values, as the page
// script sends it.
Page DivForm(int count)
{
    QStringList segments;
    QString segment = u"<div class=top>发布供求信息</div><form method=post action=post.asp>"_s;
    Page page;
    for (int i = 0; i < count; ++i) {
        const Sample& s = kSamples[std::size_t(i % int(kSamples.size()))];
        const QString name = QString::fromUtf16(s.name) + QString::number(i);
        segment += u"<div class=row><span class=cap>%1：</span><div class=box><input type=text name=%2 "
                   u"placeholder=\"%3\" value=\""_s.arg(QString::fromUtf16(s.caption), name,
                                                        QString::fromUtf16(s.placeholder));
        segments << segment;
        segment = u"\"></div></div>\n"_s;
        FieldEvidence f;
        f.tag = u"INPUT"_s;
        f.name = name;
        f.type = u"text"_s;
        f.placeholder = QString::fromUtf16(s.placeholder);
        f.before = QString::fromUtf16(s.caption) + u'：';
        page.fields.push_back(f);
    }
    segments << segment + u"</form>"_s;
    page.markup = PageMarkup(segments);
    return page;
}

void BM_SecondOpinion(benchmark::State& state)
{
    const Page page = DivForm(int(state.range(0)));
    for (auto _ : state) {
        for (std::size_t i = 0; i < page.fields.size(); ++i) {
            const QString window = LabelWindow(page.markup.MarkupForField(qsizetype(i)));
            benchmark::DoNotOptimize(ProposeLabel(window, page.fields[i]));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SecondOpinion)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_PlanFill(benchmark::State& state)
{
    const Page page = DivForm(int(state.range(0)));
    for (auto _ : state) {
        FillForm form;
        form.fields.reserve(page.fields.size());
        for (std::size_t i = 0; i < page.fields.size(); ++i) {
            FillField f;
            f.evidence = page.fields[i];
            f.labelWindow = LabelWindow(page.markup.MarkupForField(qsizetype(i)));
            form.fields.push_back(std::move(f));
        }
        const FillPlan plan = PlanFill(form, u"GBK");
        benchmark::DoNotOptimize(plan.steps.data());
        state.counters["filled"] = double(plan.steps.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlanFill)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace
