// How long the operator waits for the capture panel, with the real browser plugin:
//   - the start-up cost of loading the plugin and opening the first browser,
//   - per page, the floor: an empty message to the page script and back over the web channel,
//   - a focus change (Tab) to Combo1 showing the proposal, on publish forms of 1 MiB and
//     10 MiB markup, at the top of the form and near its end,
//   - a keystroke to Text3 showing the new value, and a burst of 60 keystrokes,
//   - the same focus changes on a 1 MiB page whose own script rewrites a ticker 10 times a
//     second, one focus change after each rewrite,
//   - the page loads beside a bare engine view without the tool's scripts
//     (sitecapture_bare_page, in a process of its own),
//   - a small form and a page of bare links,
//   - the one-click fill of a 200-field publish form, to the fields mapped.
// Run under a display (xvfb-run -a). Prints medians and 95th percentiles in ms. Arguments
// pick sections (loads, 1mib, 10mib, ticker, small, links, fill); none: all.

#include "capture/browser_loader.h"
#include "wizard_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace sitecapture;

namespace {

constexpr int kRounds = 200;
constexpr int kLoads = 9;

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

struct Figures {
    double median = 0;
    double p95 = 0;
    double max = 0;
};

Figures Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return {};
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)], v.back()};
}

void Print(const char* what, const std::vector<double>& samples)
{
    const Figures f = Summarise(samples);
    std::printf("%-62s n=%3zu  median %7.2f ms  p95 %7.2f ms  max %7.2f ms\n", what,
                samples.size(), f.median, f.p95, f.max);
}

long RssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Runs the event loop until `done` holds, checked whenever `sender` emits `signal`;
// false after `timeoutMs`. (QTest::qWaitFor sleeps 10 ms between passes: no good here.)
template <class Sender, class Signal>
bool WaitOn(Sender* sender, Signal signal, const std::function<bool()>& done, int timeoutMs = 20000)
{
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// For conditions without a signal: checked every millisecond.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QTimer poll;
    poll.start(1);
    return WaitOn(&poll, &QTimer::timeout, done, timeoutMs);
}

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A publish form of `rows` rows, each with a long description beside it (about 3.7 KiB of
// markup a row); without the descriptions, a small page of the same form. F2 moves the
// focus to the field 101 rows before the end. `extra` goes at the top of the body.
QString FormPage(int rows, bool descriptions, const QString& extra = {})
{
    QString filler;
    while (descriptions && filler.size() < 1200)
        filler += QStringLiteral("本公司长期供应各类工业原材料，质量可靠，价格合理，欢迎新老客户来电洽谈合作。");
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"><meta name=\"keywords\" content=\"供求\"></head><body>%1"
        "<form method=\"post\" action=\"/save\"><table>").arg(extra);
    for (int i = 0; i < rows; ++i) {
        const QString caption = i % 2 ? QStringLiteral("公司名称") : QStringLiteral("联系电话");
        html += QStringLiteral("<tr><td>%1:</td><td><input name=\"f%2\" value=\"\"></td>"
                               "<td><font color=\"#666666\">%3 %2</font></td></tr>\n")
                    .arg(caption).arg(i).arg(filler);
    }
    html += QStringLiteral(
        "</table></form><script>document.addEventListener('keydown', (e) => {"
        " if (e.key === 'F2') { const f = document.getElementsByTagName('input');"
        " f[Math.max(0, f.length - 101)].focus(); } });</script></body></html>");
    return html;
}

// Rows for a page of at least `mib` MiB.
int RowsFor(double mib)
{
    const double rowBytes = double(FormPage(101, true).toUtf8().size() - FormPage(1, true).toUtf8().size()) / 100;
    return int(mib * 1048576 / rowBytes) + 1;
}

// A news ticker above the form, its text replaced by the page's own script 10 times a second.
QString Ticker()
{
    return QStringLiteral(
        "<div id=\"ticker\">最新供求信息</div><script>let n = 0; setInterval(() => {"
        " document.getElementById('ticker').textContent = '最新供求信息 ' + (++n) +"
        " ' 求购钢材 500 吨，价格面议'; }, 100);</script>");
}

// A publish form of `fields` fields laid out in divs, the caption before each field, as the
// second opinion reads them; a tenth are left to the operator (a code, a validity).
QString DivFormPage(int fields)
{
    static const char16_t* const captions[] = {u"信息标题", u"联系人", u"联系电话", u"手机号码", u"电子邮箱",
                                               u"最小起订量", u"供货总量", u"有效期", u"验证码", u"公司地址"};
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><form method=\"post\" action=\"/save\">");
    for (int i = 0; i < fields; ++i)
        html += QStringLiteral("<div class=\"row\"><span>%1：</span><input name=\"f%2\"></div>\n")
                    .arg(QString::fromUtf16(captions[i % 10])).arg(i);
    return html + QStringLiteral("<textarea name=\"desc\"></textarea></form></body></html>");
}

QString LinksPage(int links)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>");
    for (int i = 0; i < links; ++i)
        html += QStringLiteral("<a name=\"l%1\" href=\"#l%1\">link %1</a> ").arg(i);
    return html + QStringLiteral("</body></html>");
}

bool Write(const QString& path, const QString& html, double* mib = nullptr)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = html.toUtf8();
    if (mib)
        *mib = bytes.size() / 1048576.0;
    return f.write(bytes) == bytes.size();
}

// The yardstick's process: one load a request.
class BarePage {
public:
    bool Start()
    {
        process_.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sitecapture_bare_page")));
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        return process_.waitForStarted() && Line() == "ready";
    }

    ~BarePage()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }

    double Load(const QString& file)
    {
        process_.write(file.toUtf8() + '\n');
        bool ok = false;
        const double ms = QString::fromUtf8(Line()).toDouble(&ok);
        return ok ? ms : -1;
    }

private:
    QByteArray Line()
    {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(30000))
                return {};
        return process_.readLine().trimmed();
    }

    QProcess process_;
};

class Bench {
public:
    explicit Bench(BrowserSource& browsers) : window_(browsers)
    {
        QObject::connect(&Panel(), &CapturePanel::FieldHandled, [this] { ++handled_; });
        QObject::connect(&Panel(), &CapturePanel::StatusReported, [this](const QString& s) {
            if (s == QString::fromUtf16(kStatusDone))
                ++loads_;
        });
        Form1& wizard = window_.Wizard();
        wizard.resize(1200, 800);
        wizard.show();
        (void)QTest::qWaitForWindowExposed(&wizard);
        wizard.activateWindow();
        (void)QTest::qWaitForWindowActive(&wizard);
    }

    CapturePanel& Panel() { return window_.Panel(); }
    QLineEdit* Text2() { return window_.Panel().Text2(); }
    QLineEdit* Text3() { return window_.Panel().Text3(); }
    QComboBox* Combo1() { return window_.Panel().Combo1(); }

    // The first page through the wizard's steps; the milliseconds until it has loaded.
    double Open(const QString& file)
    {
        return Timed([&] { window_.ShowCapturePage(file, CaptureMode::PublishCapturePage, file); });
    }

    // The next page in the same browser, as a link would load it.
    double Load(const QString& file)
    {
        return Timed([&] { window_.Browser().Navigate(file); });
    }

    bool Ping()
    {
        bool answered = false;
        for (int attempt = 0; attempt < 40 && !answered; ++attempt) {
            auto alive = std::make_shared<bool>(true);
            window_.Browser().Ping([&answered, alive] {
                if (*alive)
                    answered = true;
            });
            (void)WaitUntil([&] { return answered; }, 500);
            *alive = false;
        }
        return answered;
    }

    std::vector<double> ChannelFloor()
    {
        std::vector<double> samples;
        for (int i = 0; i < kRounds; ++i) {
            bool answered = false;
            QEventLoop loop;
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            QElapsedTimer t;
            t.start();
            window_.Browser().Ping([&] {
                answered = true;
                loop.quit();
            });
            loop.exec();
            if (!answered)
                break;
            samples.push_back(Ms(t.nsecsElapsed()));
        }
        return samples;
    }

    QWidget* Page() { return window_.Browser().Widget()->focusProxy(); }

    // Presses a key and times until `done` holds after a run of the field handler.
    double Press(Qt::Key key, const std::function<bool()>& done, char text = 0)
    {
        QElapsedTimer t;
        t.start();
        if (text)
            QTest::keyClick(Page(), text);
        else
            QTest::keyClick(Page(), key);
        if (!WaitOn(&Panel(), &CapturePanel::FieldHandled, done, 5000))
            return -1;
        return Ms(t.nsecsElapsed());
    }

    // Into the page's first field by keyboard.
    double FirstFocus()
    {
        QTest::mouseClick(Page(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 2));
        return Press(Qt::Key_Tab, [&] { return Text2()->text() == u"f0"; });
    }

    // Tab from field `from` through `count` fields, `pauseMs` before each; counts the
    // proposals other than the caption's.
    std::vector<double> TabThrough(int from, int count, int* wrong, int pauseMs = 0)
    {
        std::vector<double> samples;
        for (int i = from + 1; i <= from + count; ++i) {
            if (pauseMs)
                Pause(pauseMs);
            const QString name = QStringLiteral("f%1").arg(i);
            const QString label = i % 2 ? QStringLiteral("公司名称") : QStringLiteral("电话");
            const double ms = Press(Qt::Key_Tab, [&] { return Text2()->text() == name; });
            if (ms < 0)
                break;
            if (Combo1()->currentText() != label)
                ++*wrong;
            samples.push_back(ms);
        }
        return samples;
    }

    std::vector<double> Keystrokes(int count)
    {
        std::vector<double> samples;
        QString typed = Text3()->text();
        for (int i = 0; i < count; ++i) {
            const char c = char('a' + i % 26);
            typed += QLatin1Char(c);
            const double ms = Press(Qt::Key_unknown, [&] { return Text3()->text() == typed; }, c);
            if (ms < 0)
                break;
            samples.push_back(ms);
        }
        return samples;
    }

    // 60 keystrokes sent at once: how long after the last one the panel shows them all.
    void Burst(const char* what)
    {
        QString typed = Text3()->text();
        QElapsedTimer burst;
        burst.start();
        for (int i = 0; i < 60; ++i) {
            typed += QLatin1Char('x');
            QTest::keyClick(Page(), 'x');
        }
        const qint64 sent = burst.nsecsElapsed();
        const bool caught = WaitUntil([&] { return Text3()->text() == typed; });
        std::printf("%-62s %s %.1f ms after the last of 60 keys (sent in %.1f ms)\n", what,
                    caught ? "yes," : "NO,", Ms(burst.nsecsElapsed() - sent), Ms(sent));
    }

    sitecapture::drive::WizardDriver& Window() { return window_; }

private:
    double Timed(const std::function<void()>& load)
    {
        const int before = loads_;
        QElapsedTimer t;
        t.start();
        load();
        if (!WaitUntil([&] { return loads_ > before; }))
            return -1;
        const double ms = Ms(t.nsecsElapsed());
        return Ping() ? ms : -1;
    }

    sitecapture::drive::WizardDriver window_;
    int handled_ = 0;
    int loads_ = 0;
};

// Loads with the tool and in the bare view, taken in turns; medians.
bool CompareLoads(Bench& bench, BarePage& bare, const QString& file, const char* what)
{
    std::vector<double> tool;
    std::vector<double> plain;
    for (int i = 0; i < kLoads; ++i) {
        const double a = bench.Load(file);
        const double b = bare.Load(file);
        if (a < 0 || b < 0)
            return false;
        tool.push_back(a);
        plain.push_back(b);
    }
    const double t = Summarise(tool).median;
    const double p = Summarise(plain).median;
    std::printf("%-62s with the tool %.1f ms, bare view %.1f ms: %.2fx (median of %d)\n", what, t, p,
                t / p, kLoads);
    return true;
}

// Focus changes and keystrokes on a large form; false when the page would not load.
bool MeasureForm(Bench& bench, const QString& file, const char* size)
{
    if (bench.Load(file) < 0 || !bench.Ping())
        return false;
    const QString label = QStringLiteral("(%1 page)").arg(QString::fromLatin1(size));
    auto line = [&](const char* what) { return (QString::fromLatin1(what) + u' ' + label).toLatin1(); };
    Print(line("  floor: empty message to the page script and back"), bench.ChannelFloor());
    std::printf("%-62s %.2f ms\n", line("  first focus after the load").constData(), bench.FirstFocus());

    int wrong = 0;
    const std::vector<double> focus = bench.TabThrough(0, kRounds, &wrong);
    Print(line("  Tab to Combo1 showing the proposal"), focus);
    Print(line("  keystroke to Text3 showing the value"), bench.Keystrokes(kRounds));
    bench.Burst(line("  burst: panel caught up"));

    // Near the end of the form: F2 (the page's own script) moves the focus there.
    QTest::keyClick(bench.Page(), Qt::Key_F2);
    if (!WaitOn(&bench.Panel(), &CapturePanel::FieldHandled,
                [&] { return bench.Text2()->text() != u"f200"; }, 5000))
        return false;
    const int at = bench.Text2()->text().mid(1).toInt();
    const std::vector<double> late = bench.TabThrough(at, 100, &wrong);
    Print(line("  Tab near the end of the form"), late);
    Print(line("  keystroke near the end of the form"), bench.Keystrokes(100));
    std::printf("%-62s %d of %zu\n", line("  proposals other than expected").constData(), wrong,
                focus.size() + late.size());
    return true;
}

bool MeasureTicker(Bench& bench, const QString& file, double mib)
{
    std::printf("\nThe 1 MiB form (%.2f MiB) with a ticker its script rewrites 10 times a second\n", mib);
    if (bench.Load(file) < 0)
        return false;
    Print("  floor: empty message to the page script and back (ticker)", bench.ChannelFloor());
    std::printf("%-62s %.2f ms\n", "  first focus after the load (ticker)", bench.FirstFocus());
    int wrong = 0;
    // One focus change after each rewrite of the ticker.
    Print("  Tab to Combo1, 110 ms after the last (ticker)", bench.TabThrough(0, 100, &wrong, 110));
    std::vector<double> keys;
    for (int i = 0; i < 50; ++i) {
        Pause(110);
        const std::vector<double> one = bench.Keystrokes(1);
        keys.insert(keys.end(), one.begin(), one.end());
    }
    Print("  keystroke to Text3, 110 ms after the last (ticker)", keys);
    std::printf("%-62s %d\n", "  proposals other than expected (ticker)", wrong);
    return true;
}

bool MeasureSmall(Bench& bench, const QString& file)
{
    std::printf("\nSmall page of the same form (%d fields, no descriptions)\n", kRounds + 10);
    if (bench.Load(file) < 0 || bench.FirstFocus() < 0)
        return false;
    int wrong = 0;
    Print("  Tab to Combo1 showing the proposal (small page)", bench.TabThrough(0, kRounds, &wrong));
    std::printf("%-62s %d\n", "  proposals other than expected", wrong);
    return true;
}

bool MeasureLinks(Bench& bench, const QString& file)
{
    std::printf("\nPage of links\n");
    if (bench.Load(file) < 0)
        return false;
    BrowserControl& browser = bench.Window().Browser();
    QTest::mouseClick(bench.Page(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 300));
    std::vector<double> samples;
    for (int i = 0; i < kRounds; ++i) {
        const auto before = browser.ActiveField();
        const QString was = before ? before->name : QString();
        const double ms = bench.Press(Qt::Key_Tab, [&] {
            const auto field = browser.ActiveField();
            return field && field->name.startsWith(u'l') && field->name != was;
        });
        if (ms < 0)
            break;
        samples.push_back(ms);
    }
    Print("  Tab to the handler on a page of links (no field, no markup)", samples);
    return true;
}

// The one-click fill: the page loaded afresh each round, so that every field is empty.
bool MeasureFill(Bench& bench, const QString& file, int fields)
{
    std::printf("\nPublish form of %d fields in divs\n", fields);
    sitecapture::drive::WizardDriver& w = bench.Window();
    std::vector<double> fills;
    qsizetype mapped = 0;
    for (int round = 0; round < 20; ++round) {
        if (bench.Load(file) < 0)
            return false;
        int filled = -1;
        QObject::connect(&w.Panel(), &CapturePanel::Filled, &w.Panel(), [&filled](int n) { filled = n; },
                         Qt::SingleShotConnection);
        QElapsedTimer fill;
        fill.start();
        w.Panel().FillTestOffer();
        if (!WaitOn(&w.Panel(), &CapturePanel::Filled, [&] { return filled >= 0; }))
            break;
        fills.push_back(Ms(fill.nsecsElapsed()));
        mapped = w.Fields().MappedCount();
    }
    Print("  one-click fill to the fields mapped (200 fields)", fills);
    std::printf("%-62s %lld of %d\n", "  fields filled and mapped", (long long)mapped, fields + 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    // Without a GPU the view's OpenGL path runs in software on the user-interface thread and
    // holds every event up by a frame (~25 ms here); Qt Quick's own software renderer does not.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    const QStringList picked = app.arguments().mid(1);
    const auto run = [&picked](const char* section) {
        return picked.isEmpty() || picked.contains(QString::fromLatin1(section));
    };

    const long rss0 = RssKb();
    QElapsedTimer t;
    t.start();
    PluginBrowserSource browsers;
    Result<BrowserFactory*> loaded = browsers.Load();
    const double loadMs = Ms(t.nsecsElapsed());
    if (!loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error().message));
        return 1;
    }
    const long rss1 = RssKb();
    std::printf("Start-up\n");
    std::printf("%-62s %.1f ms, +%ld MB resident\n", "  load the plugin (OpenGL, QPluginLoader, Qt WebEngine)",
                loadMs, (rss1 - rss0) / 1024);
    t.restart();
    auto bench = std::make_unique<Bench>(browsers);
    std::printf("%-62s %.1f ms, +%ld MB resident\n", "  the wizard window shown",
                Ms(t.nsecsElapsed()), (RssKb() - rss1) / 1024);

    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.html"));
    const QString huge = dir.filePath(QStringLiteral("huge.html"));
    const QString ticker = dir.filePath(QStringLiteral("ticker.html"));
    const QString links = dir.filePath(QStringLiteral("links.html"));
    const QString small = dir.filePath(QStringLiteral("small.html"));
    const int bigRows = RowsFor(1);
    const int hugeRows = RowsFor(10);
    double bigMib = 0;
    double hugeMib = 0;
    double tickerMib = 0;
    if (!Write(big, FormPage(bigRows, true), &bigMib) || !Write(huge, FormPage(hugeRows, true), &hugeMib)
        || !Write(ticker, FormPage(bigRows, true, Ticker()), &tickerMib)
        || !Write(links, LinksPage(kRounds + 10)) || !Write(small, FormPage(kRounds + 10, false)))
        return 1;

    const long rss2 = RssKb();
    const double first = bench->Open(small);
    if (first < 0)
        return 1;
    std::printf("%-62s %.1f ms, +%ld MB resident\n", "  first capture page (engine start, profile, view, load)",
                first, (RssKb() - rss2) / 1024);

    if (run("loads")) {
        std::printf("\nPage loads, with the tool's scripts and in a bare engine view\n");
        BarePage bare;
        if (!bare.Start()) {
            std::fprintf(stderr, "sitecapture_bare_page did not start\n");
            return 1;
        }
        if (!CompareLoads(*bench, bare, big, "  1 MiB form") || !CompareLoads(*bench, bare, huge, "  10 MiB form")
            || !CompareLoads(*bench, bare, ticker, "  1 MiB form with a ticker")) {
            std::fprintf(stderr, "a page did not load\n");
            return 1;
        }
    }

    if (run("1mib")) {
        std::printf("\nPublish form of %d fields, %.2f MiB of markup\n", bigRows, bigMib);
        if (!MeasureForm(*bench, big, "1 MiB"))
            return 1;
    }
    if (run("10mib")) {
        std::printf("\nPublish form of %d fields, %.2f MiB of markup\n", hugeRows, hugeMib);
        if (!MeasureForm(*bench, huge, "10 MiB"))
            return 1;
    }
    if (run("ticker"))
        if (!MeasureTicker(*bench, ticker, tickerMib))
            return 1;
    if (run("small"))
        if (!MeasureSmall(*bench, small))
            return 1;
    if (run("links"))
        if (!MeasureLinks(*bench, links))
            return 1;
    if (run("fill")) {
        const QString fill = dir.filePath(QStringLiteral("fill.html"));
        if (!Write(fill, DivFormPage(200)) || !MeasureFill(*bench, fill, 200))
            return 1;
    }
    return 0;
}

