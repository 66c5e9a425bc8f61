// How long the operator waits for the capture panel, with the real browser plugin:
//   - the start-up cost of loading the plugin and opening the first browser,
//   - the floor: an empty message to the page script and back over the web channel,
//   - a focus change (Tab) to Combo1 showing the proposal, on a page of 1 MiB markup,
//   - the same on a page of bare links (key to handler, nothing to label),
//   - a keystroke to Text3 showing the new value, and a burst of keystrokes,
//   - the one-click fill of a 200-field publish form, to the fields mapped.
// Run under a display (xvfb-run -a). Prints medians and 95th percentiles in ms.

#include "capture/browser_loader.h"
#include "wizard_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
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
    std::printf("%-58s n=%3zu  median %7.2f ms  p95 %7.2f ms  max %7.2f ms\n", what,
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

// A publish form of `rows` rows, each with a long description beside it: 1 MiB of markup
// for 400 rows. Without the descriptions, a small page of the same form.
QString FormPage(int rows, bool descriptions)
{
    QString filler;
    while (descriptions && filler.size() < 1200)
        filler += QStringLiteral("本公司长期供应各类工业原材料，质量可靠，价格合理，欢迎新老客户来电洽谈合作。");
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"><meta name=\"keywords\" content=\"供求\"></head><body>"
        "<form method=\"post\" action=\"/save\"><table>");
    for (int i = 0; i < rows; ++i) {
        const QString caption = i % 2 ? QStringLiteral("公司名称") : QStringLiteral("联系电话");
        html += QStringLiteral("<tr><td>%1:</td><td><input name=\"f%2\" value=\"\"></td>"
                               "<td><font color=\"#666666\">%3 %2</font></td></tr>\n")
                    .arg(caption).arg(i).arg(filler);
    }
    html += QStringLiteral("</table></form></body></html>");
    return html;
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

    bool Load(const QString& file)
    {
        const int before = loads_;
        QElapsedTimer t;
        t.start();
        window_.ShowCapturePage(file, CaptureMode::PublishCapturePage, file);
        if (!WaitUntil([&] { return loads_ > before; }))
            return false;
        std::printf("%-58s %.1f ms\n", "  page load", Ms(t.nsecsElapsed()));
        return Ping();
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

    sitecapture::drive::WizardDriver& Window() { return window_; }
    int Handled() const { return handled_; }

private:
    sitecapture::drive::WizardDriver window_;
    int handled_ = 0;
    int loads_ = 0;
};

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
    std::printf("%-58s %.1f ms, +%ld MB resident\n", "  load the plugin (OpenGL, QPluginLoader, Qt WebEngine)",
                loadMs, (rss1 - rss0) / 1024);
    t.restart();
    auto bench = std::make_unique<Bench>(browsers);
    std::printf("%-58s %.1f ms, +%ld MB resident\n", "  the wizard window shown",
                Ms(t.nsecsElapsed()), (RssKb() - rss1) / 1024);

    QTemporaryDir dir;
    const int rows = 400;
    const QString big = dir.filePath(QStringLiteral("big.html"));
    const QString links = dir.filePath(QStringLiteral("links.html"));
    const QString small = dir.filePath(QStringLiteral("small.html"));
    {
        QFile f(big);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray bytes = FormPage(rows, true).toUtf8();
        f.write(bytes);
        std::printf("\nPage of %d fields, %.2f MiB of markup\n", rows, bytes.size() / 1048576.0);
        QFile g(links);
        if (!g.open(QIODevice::WriteOnly))
            return 1;
        g.write(LinksPage(kRounds + 10).toUtf8());
        QFile h(small);
        if (!h.open(QIODevice::WriteOnly))
            return 1;
        h.write(FormPage(kRounds + 10, false).toUtf8());
    }

    const long rss2 = RssKb();
    t.restart();
    if (!bench->Load(small))
        return 1;
    std::printf("%-58s %.1f ms, +%ld MB resident\n", "  first capture page (engine start, profile, view, load)",
                Ms(t.nsecsElapsed()), (RssKb() - rss2) / 1024);

    if (!bench->Load(big)) {
        std::fprintf(stderr, "the page did not load\n");
        return 1;
    }
    Print("  floor: empty message to the page script and back", bench->ChannelFloor());

    sitecapture::drive::WizardDriver& w = bench->Window();
    QLineEdit* text2 = w.Panel().Text2();
    QLineEdit* text3 = w.Panel().Text3();
    QComboBox* combo1 = w.Panel().Combo1();

    // Into the first field by keyboard, which also serialises the page once.
    QTest::mouseClick(bench->Page(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 2));
    const double first = bench->Press(Qt::Key_Tab, [&] { return text2->text() == u"f0"; });
    std::printf("%-58s %.2f ms\n", "  first focus after the load (reads the whole page once)", first);

    auto tabThrough = [&](int count, int* wrong) {
        std::vector<double> samples;
        for (int i = 1; i <= count; ++i) {
            const QString name = QStringLiteral("f%1").arg(i);
            const QString label = i % 2 ? QStringLiteral("公司名称") : QStringLiteral("电话");
            const double ms = bench->Press(Qt::Key_Tab, [&] { return text2->text() == name; });
            if (ms < 0)
                break;
            if (combo1->currentText() != label)
                ++*wrong;
            samples.push_back(ms);
        }
        return samples;
    };
    int wrong = 0;
    const std::vector<double> focus = tabThrough(kRounds, &wrong);
    Print("  Tab to Combo1 showing the proposal (1 MiB page)", focus);
    std::printf("%-58s %d of %zu\n", "  proposals other than expected", wrong, focus.size());

    std::vector<double> keys;
    QString typed;
    for (int i = 0; i < kRounds; ++i) {
        const char c = char('a' + i % 26);
        typed += QLatin1Char(c);
        const double ms = bench->Press(Qt::Key_unknown, [&] { return text3->text() == typed; }, c);
        if (ms < 0)
            break;
        keys.push_back(ms);
    }
    Print("  keystroke to Text3 showing the value (1 MiB page)", keys);

    // A burst: 60 keystrokes sent at once; how long until the panel has caught up.
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 60; ++i) {
        typed += QLatin1Char('x');
        QTest::keyClick(bench->Page(), 'x');
    }
    const qint64 sent = burst.nsecsElapsed();
    const bool caught = WaitUntil([&] { return text3->text() == typed; });
    std::printf("%-58s %s %.1f ms after the last of 60 keys\n", "  burst: panel caught up",
                caught ? "yes," : "NO,", Ms(burst.nsecsElapsed() - sent));

    std::printf("\nSmall page of the same form (%d fields, no descriptions)\n", kRounds + 10);
    if (!bench->Load(small))
        return 1;
    QTest::mouseClick(bench->Page(), Qt::LeftButton, Qt::NoModifier, QPoint(900, 2));
    if (bench->Press(Qt::Key_Tab, [&] { return text2->text() == u"f0"; }) < 0)
        return 1;
    int smallWrong = 0;
    Print("  Tab to Combo1 showing the proposal (small page)", tabThrough(kRounds, &smallWrong));
    std::printf("%-58s %d\n", "  proposals other than expected", smallWrong);

    std::printf("\nPage of links\n");
    if (!bench->Load(links))
        return 1;
    QTest::mouseClick(bench->Page(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 300));
    std::vector<double> bare;
    for (int i = 0; i < kRounds; ++i) {
        const auto before = w.Browser().ActiveField();
        const QString was = before ? before->name : QString();
        const double ms = bench->Press(Qt::Key_Tab, [&] {
            const auto field = w.Browser().ActiveField();
            return field && field->name.startsWith(u'l') && field->name != was;
        });
        if (ms < 0)
            break;
        bare.push_back(ms);
    }
    Print("  Tab to the handler on a page of links (no field, no markup)", bare);

    // The one-click fill: the page loaded afresh each round, so that every field is empty.
    const int fillFields = 200;
    const QString fillPage = dir.filePath(QStringLiteral("fill.html"));
    {
        QFile f(fillPage);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(DivFormPage(fillFields).toUtf8());
    }
    std::printf("\nPublish form of %d fields in divs\n", fillFields);
    std::vector<double> fills;
    qsizetype mapped = 0;
    for (int round = 0; round < 20; ++round) {
        if (!bench->Load(fillPage))
            return 1;
        int filled = -1;
        QObject::connect(&w.Panel(), &CapturePanel::Filled, &app, [&filled](int n) { filled = n; },
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
    std::printf("%-58s %lld of %d\n", "  fields filled and mapped", (long long)mapped, fillFields + 1);
    return 0;
}
