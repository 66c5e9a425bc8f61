#include "e2e_support.h"

#include "capture/browser_loader.h"
#include "wizard/browser_source.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QInputMethodEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace sitecapture;

namespace e2e {

BrowserSource& Browsers()
{
    static PluginBrowserSource source;
    return source;
}

QString FormPage(const QString& charset, const QString& formAttributes,
                 const std::vector<Row>& rows, const QString& extraBody)
{
    QString html = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">"
        "<meta name=\"keywords\" content=\"供求信息,产品,test...\">"
        "<style>body{margin:0;font:14px sans-serif} table{border-collapse:collapse}"
        " td{padding:0;height:%2px;vertical-align:middle} td.c{width:%3px}"
        " input,select{box-sizing:border-box;width:220px;height:24px;margin:0}"
        " textarea{box-sizing:border-box;width:220px;margin:0}"
        " input[type=checkbox],input[type=radio]{width:16px;height:16px}</style>"
        "</head><body><form %4><table>")
                       .arg(charset)
                       .arg(kRowHeight)
                       .arg(kCaptionWidth)
                       .arg(formAttributes);
    for (const Row& r : rows) {
        html += QStringLiteral("<tr><td class=\"c\" style=\"height:%1px\">%2</td><td>%3</td></tr>")
                    .arg(kRowHeight * r.height)
                    .arg(r.caption, r.control);
    }
    html += QStringLiteral("</table></form>%1</body></html>").arg(extraBody);
    return html;
}

QPoint ControlAt(const std::vector<Row>& rows, int i)
{
    int top = 0;
    for (int k = 0; k < i; ++k)
        top += rows[std::size_t(k)].height * kRowHeight;
    return QPoint(kCaptionWidth + 8, top + rows[std::size_t(i)].height * kRowHeight / 2);
}

void HarnessTest::SetUp()
{
    window_ = std::make_unique<sitecapture::drive::WizardDriver>(Browsers());
    Watch(window_->Panel());
    // Larger than it opens, as an operator makes it for a long form: the pages fit unscrolled.
    Form1& wizard = window_->Wizard();
    wizard.resize(1200, 960);
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard, 10000));
    // No window manager under Xvfb: nothing grants focus unless the window asks for it.
    wizard.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wizard, 10000));
}

void HarnessTest::Watch(CapturePanel& panel)
{
    QObject::connect(&panel, &CapturePanel::Navigated,
                     [this](const QString& url, const QByteArray& body) {
                         navigations_.push_back({url, body});
                     });
    QObject::connect(&panel, &CapturePanel::FieldHandled, [this] { ++handled_; });
    QObject::connect(&panel, &CapturePanel::StatusReported,
                     [this](const QString& text) { statuses_ << text; });
}

void HarnessTest::TearDown()
{
    window_.reset();
}

bool HarnessTest::WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    return WaitUntil(done, timeoutMs);
}

void HarnessTest::Open(const QString& path, CaptureMode mode)
{
    const qsizetype before = statuses_.size();
    Window().ShowCapturePage(server_.Url(path), mode, server_.Url("/view"));
    WaitForPage(before, path);
}

void HarnessTest::WaitForPage(qsizetype statusesBefore, const QString& what)
{
    ASSERT_TRUE(WaitFor([&] { return statuses_.mid(statusesBefore).contains(u"完成"_qs); }))
        << "page did not finish loading: " << what.toStdString();
    ASSERT_TRUE(WaitForBridge());
    ASSERT_TRUE(WaitForInput());
}

bool HarnessTest::WaitForInput()
{
    // A page that has just loaded may drop the first clicks: click an empty corner until
    // the page script reports the click (on the body) back.
    // The top right corner: forms stand on the left, and a scroll bar's arrows at the bottom
    // right would scroll the page instead.
    QWidget* view = PageBrowser().Widget();
    const QPoint corner(view->width() - 25, 5);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int before = handled_;
        Click(corner);
        if (WaitFor([&] { return handled_ > before; }, 500)) {
            const auto field = PageBrowser().ActiveField();
            if (field && field->tagName.compare(u"BODY", Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

bool HarnessTest::WaitForBridge(int timeoutMs)
{
    // The page script connects to the channel once its document exists; a ping sent before
    // that is not answered, so ask again until one is.
    bool answered = false;
    QElapsedTimer clock;
    clock.start();
    while (!answered && clock.elapsed() < timeoutMs) {
        auto alive = std::make_shared<bool>(true);
        PageBrowser().Ping([&answered, alive] {
            if (*alive)
                answered = true;
        });
        WaitUntil([&] { return answered; }, 500);
        *alive = false;
    }
    return answered;
}

QWidget* HarnessTest::PageWidget()
{
    QWidget* view = PageBrowser().Widget();
    return view->focusProxy() ? view->focusProxy() : view;
}

void HarnessTest::Click(QPoint at)
{
    QTest::mouseClick(PageWidget(), Qt::LeftButton, Qt::NoModifier, at);
}

void HarnessTest::Type(const QString& text)
{
    // ASCII as key strokes; Chinese as an input method commits it.
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].unicode() < 0x80) {
            QTest::keyClick(PageWidget(), text[i].toLatin1());
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].unicode() >= 0x80)
            ++end;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, end - i));
        QApplication::sendEvent(PageWidget(), &commit);
        i = end;
    }
}

void HarnessTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(PageWidget(), key, modifiers);
}

void HarnessTest::Visit(QPoint at, const QString& name)
{
    // A frame that has just loaded may not take clicks yet: click again after a while.
    bool tracked = false;
    for (int attempt = 0; attempt < 5 && !tracked; ++attempt) {
        Click(at);
        tracked = WaitFor([&] { return Text2() == name; }, 2000);
    }
    ASSERT_TRUE(tracked)
        << "field not tracked: " << name.toStdString() << " (Text2 is " << Text2().toStdString()
        << ")";
}

void HarnessTest::ChooseLabel(const QString& label)
{
    QComboBox* combo = Panel().Combo1();
    const int target = combo->findText(label);
    ASSERT_GE(target, 0) << label.toStdString();
    combo->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(combo, Qt::LeftButton); // opens the list
    QWidget* list = combo->view();
    ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }, 5000));
    const int steps = target - combo->view()->currentIndex().row();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return combo->currentText() == label; }, 5000));
}

const Navigation* HarnessTest::WaitForPost(const QString& url, int timeoutMs)
{
    const Navigation* found = nullptr;
    (void)WaitFor(
        [&] {
            for (auto it = navigations_.rbegin(); it != navigations_.rend(); ++it)
                if (it->url == url && !it->body.isEmpty()) {
                    found = &*it;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

QImage HarnessTest::Screen()
{
    // Widgets paint lazily: bring the panel up to date on the screen first.
    QWidget& wizard = window_->Wizard();
    wizard.repaint();
    QScreen* screen = wizard.screen();
    const QPoint origin = wizard.mapToGlobal(QPoint(0, 0));
    return screen->grabWindow(0, origin.x(), origin.y(), wizard.width(), wizard.height()).toImage();
}

QColor HarnessTest::PagePixel(QPoint at)
{
    QWidget* view = PageBrowser().Widget();
    const QPoint p = view->mapToGlobal(at);
    return window_->Wizard().screen()->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
}

bool HarnessTest::WaitForPixel(QPoint at, const QColor& color, int timeoutMs)
{
    return WaitUntil([&] { return PagePixel(at) == color; }, timeoutMs, 50);
}

QByteArray WithBoundaryOf(const QByteArray& ours, const Request& theirs)
{
    const QByteArray type = theirs.headers.value("content-type");
    const qsizetype at = type.indexOf("boundary=");
    const qsizetype end = ours.indexOf("\r\n");
    if (at < 0 || !ours.startsWith("--") || end < 0)
        return ours;
    QByteArray out = ours;
    out.replace(ours.mid(2, end - 2), type.mid(at + 9));
    return out;
}

} // namespace e2e
