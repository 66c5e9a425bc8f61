#pragma once
// The real wizard window over a site database of its own in a temporary directory, taken to
// a capture page by its own steps. Shared by the end-to-end tests and the latency measurement.

#include "capture/browser_control.h"
#include "catalogue/site_database.h"
#include "wizard/browser_source.h"
#include "wizard/capture_panel.h"
#include "wizard/link_opener.h"
#include "wizard/wizard_window.h"

#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <optional>

namespace sitecapture::drive {

// Remembers what the link test would have opened.
class RecordingLinkOpener final : public LinkOpener {
public:
    void Open(const QUrl& url) override { opened << url; }
    QList<QUrl> opened;
};

// A site database made from the build's template in a fresh temporary directory.
class TemporarySiteDatabase {
public:
    explicit TemporarySiteDatabase(std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);
    const QString& Directory() const { return directory_; }
    SiteDatabase& Database() { return *database_; }

private:
    QTemporaryDir temp_;
    QString directory_;
    std::optional<SiteDatabase> database_;
};

class WizardDriver {
public:
    explicit WizardDriver(BrowserSource& browsers);
    ~WizardDriver();

    Form1& Wizard() { return *wizard_; }
    CapturePanel& Panel() { return wizard_->Panel(); }
    const CaptureSet& Captured() const { return module_.captureSet; }
    const FieldMap& Fields() const { return wizard_->Session().fieldMap; }
    QStatusBar& Status();
    // The browser, once a capture page has been shown.
    BrowserControl& Browser() { return *wizard_->Browser(); }
    SiteDatabase& Database() { return database_.Database(); }
    RecordingLinkOpener& Links() { return links_; }

    // Shows the capture page `mode` (login or publish) for `address` through the steps: the
    // site page filled in, then Next; from the login page to the publish page by Next when the
    // login was captured, otherwise back to the site page first.
    void ShowCapturePage(const QString& address, CaptureMode mode, const QString& viewAddress);

private:
    TemporarySiteDatabase database_;
    Module1 module_;
    RecordingLinkOpener links_;
    WizardServices services_;
    QPointer<Form1> wizard_;
};

} // namespace sitecapture::drive
