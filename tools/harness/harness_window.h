#pragma once
// The capture harness: a browser and the capture panel, wired as the wizard's capture pages
// wire them, with an address line and a choice of capture mode. For trying pages by hand,
// and for the end-to-end tests and the latency measurement.

#include "capture/browser_control.h"
#include "wizard/capture_panel.h"
#include "capture/capture_model.h"
#include "wizard/wizard_session.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLineEdit;
class QStatusBar;

namespace sitecapture {

class HarnessWindow : public QWidget {
    Q_OBJECT
public:
    explicit HarnessWindow(BrowserFactory& browsers, QWidget* parent = nullptr);
    ~HarnessWindow() override;

    BrowserControl& Browser() { return *browser_; }
    CapturePanel& Panel() { return *panel_; }
    FieldMap& Fields() { return session_.fieldMap; }
    const CaptureSet& Captured() const { return module_.captureSet; }
    QStatusBar& Status() { return *status_; }
    QLineEdit& Address() { return *address_; }

    // Sets CaptureMode (the browser's Tag) and shows it in the mode list.
    void SetCaptureMode(CaptureMode page);
    void Open(const QString& address);

signals:
    // Every browser event, after the panel has handled it: for tests and measurements.
    void Navigating(const QString& url, const QByteArray& postData);
    void FieldHandled();
    void BrowserStatus(const QString& text);

private:
    // Hands each event to the panel, then tells whoever watches the harness.
    class Relay final : public BrowserEvents {
    public:
        explicit Relay(HarnessWindow& window) : window_(window) {}
        void BeforeNavigate2(const QString& url, const QByteArray& postData) override;
        void CommandStateChange() override;
        void StatusTextChange(const QString& text) override;

    private:
        HarnessWindow& window_;
    };

    Module1 module_;
    WizardSession session_;
    QLineEdit* address_;
    QComboBox* mode_;
    CapturePanel* panel_;
    QStatusBar* status_;
    Relay relay_{*this};
    // Destroyed before the widgets: the browser's view sits in this window.
    std::unique_ptr<BrowserControl> browser_;
};

} // namespace sitecapture
