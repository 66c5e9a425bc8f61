#pragma once
// The capture panel of the login and publish capture pages: the focused field (Text2,
// Text3), its placeholder (Combo1), the success text (Text7) and the captured submission
// (Text1, Text4). It handles the browser's events with the capture engine, wired as the
// wizard wires them: every write to Text2, Text3 and Combo1 runs the mapping before it
// returns.

#include "capture/browser_control.h"
#include "capture/capture_model.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace sitecapture {

class CapturePanel : public QWidget, public BrowserEvents {
    Q_OBJECT
public:
    // The map and the captured values belong to the window; they outlive the panel.
    CapturePanel(FieldMap& fieldMap, CaptureSet& captureSet, QWidget* parent = nullptr);

    // The browser whose events this panel handles; not owned.
    void SetBrowser(BrowserControl* browser) { browser_ = browser; }

    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    QLineEdit* Text3() const { return text3_; }
    QPlainTextEdit* Text4() const { return text4_; }
    QLineEdit* Text7() const { return text7_; }
    QComboBox* Combo1() const { return combo1_; }

    // BeforeNavigate2: CaptureSubmission.
    void BeforeNavigate2(const QString& url, const QByteArray& postData) override;
    // CommandStateChange: TrackActiveField.
    void CommandStateChange() override;
    // StatusTextChange: ShowBrowserStatus.
    void StatusTextChange(const QString& text) override;

signals:
    // A status text for the window's status bar.
    void StatusText(const QString& text);

private:
    int CaptureMode() const;
    void FieldNameChanged();
    void FieldValueChanged();
    void MapCurrentField();

    FieldMap& fieldMap_;
    CaptureSet& captureSet_;
    BrowserControl* browser_ = nullptr;
    QLineEdit* text1_;
    QLineEdit* text2_;
    QLineEdit* text3_;
    QPlainTextEdit* text4_;
    QLineEdit* text7_;
    QComboBox* combo1_;
};

} // namespace sitecapture
