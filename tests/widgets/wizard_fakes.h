#pragma once
// What the windows are given from outside, as tests give it: browsers that are FakeBrowsers,
// a link opener that only records, and a catcher that answers the modal messages the windows
// show and keeps what they said.

#include "fake_browser.h"
#include "wizard_driver.h"
#include "wizard/browser_source.h"
#include "wizard/link_opener.h"
#include "wizard/operator_message.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

namespace sitecapture::testing {

class FakeBrowserSource final : public BrowserSource {
public:
    Result<std::unique_ptr<BrowserControl>> CreateBrowser(BrowserEvents& events) override
    {
        ++created;
        if (failWith)
            return *failWith;
        auto browser = std::make_unique<FakeBrowser>(events);
        last = browser.get();
        return std::unique_ptr<BrowserControl>(std::move(browser));
    }

    int created = 0;
    FakeBrowser* last = nullptr; // owned by the window that asked for it
    std::optional<OperatorError> failWith;
};

using RecordingLinkOpener = drive::RecordingLinkOpener;

// One message box as the operator saw it.
struct ShownMessage {
    QString objectName;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// While it lives, every modal message box is recorded and closed with its OK button as soon
// as the event loop of its exec() runs.
class MessageCatcher {
public:
    MessageCatcher()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            shown.push_back({box->objectName(), box->windowTitle(), box->text(), box->standardButtons()});
            all.push_back(shown.back());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        });
        timer_.start();
    }

    // The texts shown since the last call, in order.
    QStringList Take()
    {
        QStringList texts;
        for (const ShownMessage& m : shown)
            texts << m.text;
        shown.clear();
        return texts;
    }

    std::vector<ShownMessage> shown;
    std::vector<ShownMessage> all; // never cleared

private:
    QTimer timer_;
};

} // namespace sitecapture::testing
