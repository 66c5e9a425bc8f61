#pragma once
// Frame5, the capture panel of the login and publish capture pages: the focused field
// (Text2, Text3), its placeholder (Combo1), the success text (Text7) and the captured
// submission (Text1, Text4). It handles the browser's events with the capture engine: every
// write to Text2, Text3 and Combo1 runs the mapping before it returns.

#include "capture/browser_control.h"
#include "capture/capture_model.h"
#include "wizard/wizard_session.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace sitecapture {

class CapturePanel : public QGroupBox, public BrowserEvents {
    Q_OBJECT
public:
    // The session and the captured values outlive the panel.
    CapturePanel(WizardSession& session, CaptureSet& captureSet, QWidget* parent = nullptr);

    // The browser whose events this panel handles; not owned.
    void SetBrowser(BrowserControl* browser) { browser_ = browser; }

    QLineEdit* Text1() const { return actionBox_; }
    QLineEdit* Text2() const { return fieldNameBox_; }
    QLineEdit* Text3() const { return fieldValueBox_; }
    QPlainTextEdit* Text4() const { return dataBox_; }
    QLineEdit* Text7() const { return successTextBox_; }
    QComboBox* Combo1() const { return placeholderBox_; }

    // Selects a Combo1 entry as the program does: the mapping runs even when the entry is
    // the one already shown.
    void SelectLabel(int index);

    // Places the controls for the window's dots per inch.
    void ApplyGeometry(double dpi);

    // BeforeNavigate2: CaptureSubmission.
    void BeforeNavigate2(const QString& url, const QByteArray& postData) override;
    // CommandStateChange: TrackActiveField.
    void CommandStateChange() override;
    // StatusTextChange: ShowBrowserStatus.
    void StatusTextChange(const QString& text) override;

signals:
    // A status text for the window's status bar.
    void StatusText(const QString& text);
    // After each browser event has been handled: for tests and measurements.
    void Navigated(const QString& url, const QByteArray& postData);
    void FieldHandled();
    void StatusReported(const QString& text);

private:
    void FieldNameChanged();
    void FieldValueChanged();
    void MapCurrentField();

    WizardSession& session_;
    CaptureSet& captureSet_;
    BrowserControl* browser_ = nullptr;
    QLabel* fieldNameCaption_;
    QLabel* fieldValueCaption_;
    QLabel* successTextCaption_;
    QLabel* actionCaption_;
    QLabel* dataCaption_;
    QLineEdit* actionBox_;
    QLineEdit* fieldNameBox_;
    QLineEdit* fieldValueBox_;
    QPlainTextEdit* dataBox_;
    QLineEdit* successTextBox_;
    QComboBox* placeholderBox_;
};

} // namespace sitecapture
