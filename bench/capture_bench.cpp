// Speed of the capture text functions on large bodies and pages.

#include "capture/label_window.h"
#include "capture/submission_capture.h"
#include "capture/url_decode.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <cstdlib>
#include <random>

using namespace sitecapture;

namespace {

// Typical GBK form data: name=value pairs whose values are mostly %XX%XX characters,
// with some ASCII and '+' for blanks.
QString GbkFormBody(qsizetype bytes)
{
    std::mt19937 rng(42);
    QString s;
    s.reserve(bytes + 64);
    int field = 0;
    while (s.size() < bytes) {
        s += QStringLiteral("field%1=").arg(field++);
        const int chars = 4 + int(rng() % 40);
        for (int i = 0; i < chars; ++i) {
            const unsigned r = rng() % 10;
            if (r < 7)
                s += QStringLiteral("%%1%%2").arg(0xB0 + rng() % 0x40, 2, 16, QChar('0'))
                         .arg(0xA1 + rng() % 0x5E, 2, 16, QChar('0')).toUpper();
            else if (r < 9)
                s += QChar(u'a' + char16_t(rng() % 26));
            else
                s += u'+';
        }
        s += u'&';
    }
    s.truncate(bytes);
    return s;
}

void BM_UrlDecode(benchmark::State& state)
{
    const QString body = GbkFormBody(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(UrlDecode(body));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UrlDecode)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMicrosecond);

// The body of a file named by SITECAPTURE_BENCH_BODY, for side-by-side runs with other decoders.
void BM_UrlDecodeFile(benchmark::State& state)
{
    const char* path = std::getenv("SITECAPTURE_BENCH_BODY");
    QFile f(path ? QString::fromLocal8Bit(path) : QString());
    if (!path || !f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("SITECAPTURE_BENCH_BODY names no readable file");
        return;
    }
    const QString body = QString::fromLatin1(f.readAll());
    for (auto _ : state)
        benchmark::DoNotOptimize(UrlDecode(body));
    state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_UrlDecodeFile)->Unit(benchmark::kMicrosecond);

// A table-layout page of the given size with the marked field in its last rows.
QString LargePage(qsizetype bytes)
{
    const QString row = QStringLiteral(
        "<TR><TD class=l>&nbsp;<FONT color=red>*</FONT>产品名称：</TD>"
        "<TD><INPUT name=f%1 value=\"abc\" size=30> <SELECT name=s><OPTION>a</OPTION></SELECT></TD></TR>\n");
    QString page = QStringLiteral("<TABLE><TBODY>");
    page.reserve(bytes + 512);
    for (int i = 0; page.size() < bytes - 400; ++i)
        page += row.arg(i);
    page += QStringLiteral("<TR><TD>联系电话:</TD><TD><INPUT name=tel value=test...></TD></TR>"
                           "</TBODY></TABLE>");
    return page;
}

void BM_LabelWindow(benchmark::State& state)
{
    const QString page = LargePage(state.range(0));
    for (auto _ : state) {
        const QString w = LabelWindow(page);
        benchmark::DoNotOptimize(ProposePlaceholder(w));
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_LabelWindow)->Arg(256 << 10)->Arg(2 << 20)->Unit(benchmark::kMicrosecond);

void BM_TemplatePostData(benchmark::State& state)
{
    const QString body = UrlDecode(GbkFormBody(state.range(0)));
    // 200 fields spread over the body, each mapped with its current value
    FieldMap map;
    const QStringList pairs = body.split(u'&');
    const qsizetype step = std::max<qsizetype>(1, pairs.size() / 200);
    for (qsizetype i = 0; i < pairs.size() && map.MappedCount() < 200; i += step) {
        const qsizetype eq = pairs[i].indexOf(u'=');
        if (eq <= 0)
            continue;
        map.AddEntry(pairs[i].left(eq).toUpper(), pairs[i].mid(eq + 1), QStringLiteral("/ztitle/"));
    }
    QString result;
    for (auto _ : state) {
        result = TemplatePostData(body, map);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * body.size());
    state.counters["fields"] = double(map.MappedCount());
    state.counters["replaced"] = double(result.count(QStringLiteral("/ztitle/")));
}
BENCHMARK(BM_TemplatePostData)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

} // namespace
