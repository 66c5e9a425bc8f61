#pragma once
// The harness window against pages of the test server, driven with real input events.

#include "test_server.h"
#include "wizard_driver.h"

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPoint>
#include <QString>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace e2e {

sitecapture::BrowserSource& Browsers();

// A form laid out in a fixed grid, so that its fields sit where the test clicks: one table
// row per field, caption then control, every row kRowHeight pixels high.
struct Row {
    QString caption;
    QString control; // the control's markup
    int height = 1;  // in rows
};

inline constexpr int kRowHeight = 32;
inline constexpr int kCaptionWidth = 150;

QString FormPage(const QString& charset, const QString& formAttributes,
                 const std::vector<Row>& rows, const QString& extraBody = {});
// The middle of the control of row i (0-based) of a FormPage.
QPoint ControlAt(const std::vector<Row>& rows, int i);

struct Navigation {
    QString url;
    QByteArray body;
};

class HarnessTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    sitecapture::drive::WizardDriver& Window() { return *window_; }
    // The capture page's panel and browser of the wizard under test.
    virtual sitecapture::CapturePanel& Panel() { return window_->Panel(); }
    virtual sitecapture::BrowserControl& PageBrowser() { return window_->Browser(); }
    // Records the panel's navigations, field events and status texts.
    void Watch(sitecapture::CapturePanel& panel);
    QString Text2() { return Panel().Text2()->text(); }
    QString Text3() { return Panel().Text3()->text(); }
    QString Combo1() { return Panel().Combo1()->currentText(); }

    // Shows a page of the server on the capture page `mode`, through the wizard's steps, and
    // waits until it has loaded and its script answers.
    void Open(const QString& path, sitecapture::CaptureMode mode);
    // Waits until a page shown since `statusesBefore` status texts has loaded and its script
    // answers.
    void WaitForPage(qsizetype statusesBefore, const QString& what);
    // Waits until the page script answers a ping.
    bool WaitForBridge(int timeoutMs = 20000);
    // Waits until the page takes clicks.
    bool WaitForInput();

    // Real input to the page.
    QWidget* PageWidget();
    void Click(QPoint at);
    void Type(const QString& text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Clicks a control and waits until the panel shows the field's name.
    void Visit(QPoint at, const QString& name);
    // Selects a Combo1 entry with the keyboard, as the operator does.
    void ChooseLabel(const QString& label);

    // The window as it is on the screen (Xvfb), and one pixel of the page in it.
    QImage Screen();
    QColor PagePixel(QPoint at);
    // Waits until that pixel has the colour; looks at the screen every 50 ms.
    bool WaitForPixel(QPoint at, const QColor& color, int timeoutMs = 10000);

    // Waits until a navigation with a body has been raised, and returns the last such.
    const Navigation* WaitForPost(const QString& url, int timeoutMs = 20000);
    bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000);

    TestServer server_;
    std::unique_ptr<sitecapture::drive::WizardDriver> window_;
    std::vector<Navigation> navigations_;
    QStringList statuses_;
    int handled_ = 0; // CommandStateChange events so far
};

// Counts every address a page manages to hand to the desktop.
class DesktopCatcher : public QObject {
    Q_OBJECT
public:
    int opened = 0;
public slots:
    void Open(const QUrl&) { ++opened; }
};

// The request body with the browser's multipart boundary put in place of ours.
QByteArray WithBoundaryOf(const QByteArray& ours, const Request& theirs);

} // namespace e2e
