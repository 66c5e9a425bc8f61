// The duplicate check over a large site database, run each time the report page is shown.

#include "capture/capture_checks.h"

#include <benchmark/benchmark.h>

using namespace sitecapture;

namespace {

void BM_DuplicateCheck(benchmark::State& state)
{
    CheckInput in;
    in.asp = QStringLiteral("http://www.b2b-example.cn/");
    in.xxfburl = QStringLiteral("http://www.b2b-example.cn/member/post.asp");
    const qint64 n = state.range(0);
    in.stored.reserve(std::size_t(n));
    for (qint64 i = 1; i <= n; ++i) {
        // Addresses as operators type them: with and without scheme, "www." or a port.
        const QString host = QStringLiteral("site%1.example.com").arg(i);
        StoredSite s;
        s.id = i;
        s.name = QStringLiteral(u"网站%1").arg(i);
        s.asp = (i % 3 == 0 ? QStringLiteral("www.") : QStringLiteral("http://www.")) + host +
                QStringLiteral("/index.asp");
        s.xxfburl = QStringLiteral("http://") + host +
                    (i % 5 == 0 ? QStringLiteral(":8080") : QString()) +
                    QStringLiteral("/member/post.asp?type=1");
        in.stored.push_back(s);
    }
    // Two duplicates, one of them the site being edited.
    in.stored[std::size_t(n / 2)].xxfburl = QStringLiteral("HTTP://B2B-EXAMPLE.CN/post.asp");
    in.stored[std::size_t(n - 1)].asp = QStringLiteral("b2b-example.cn");
    in.editingId = n;

    std::size_t found = 0;
    for (auto _ : state) {
        const std::vector<Finding> findings = RunCaptureChecks(in);
        found = findings.size();
        benchmark::DoNotOptimize(findings.data());
    }
    if (found != 1)
        state.SkipWithError("expected one duplicate finding");
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DuplicateCheck)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
