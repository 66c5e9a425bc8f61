#pragma once
// A browser without an engine, for window tests: the test sets what the page shows and
// raises the events; the fake records what the window asked of it.

#include "capture/browser_control.h"

#include <QStringList>
#include <QWidget>

#include <memory>

namespace sitecapture {

class FakeBrowser final : public BrowserControl {
public:
    explicit FakeBrowser(BrowserEvents& events) : events_(events), view_(std::make_unique<QWidget>()) {}

    QWidget* Widget() override { return view_.get(); }
    void Navigate(const QString& address) override { navigated << address; }
    QString Tag() const override { return tag_; }
    void SetTag(const QString& tag) override { tag_ = tag; }
    std::optional<FieldSnapshot> ActiveField() const override { return field; }
    void HighlightActiveField() override { ++highlights; }
    void Ping(std::function<void()> answered) override { answered(); }

    // The page: the operator focuses or edits a field, submits a form, the status changes.
    void Focus(const FieldSnapshot& f)
    {
        field = f;
        events_.CommandStateChange();
    }
    void Submit(const QString& url, const QByteArray& body) { events_.BeforeNavigate2(url, body); }
    void Status(const QString& text) { events_.StatusTextChange(text); }

    std::optional<FieldSnapshot> field;
    QStringList navigated;
    int highlights = 0;

private:
    BrowserEvents& events_;
    QString tag_ = QStringLiteral("0");
    std::unique_ptr<QWidget> view_;
};

} // namespace sitecapture
