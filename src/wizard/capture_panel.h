#pragma once
// Frame5, the capture panel of the login and publish capture pages: the focused field
// (Text2, Text3), its placeholder (Combo1), the success text (Text7) and the captured
// submission (Text1, Text4). It handles the browser's events with the capture engine: every
// write to Text2, Text3 and Combo1 runs the mapping before it returns.

#include "capture/browser_control.h"
#include "capture/capture_model.h"
#include "capture/second_opinion.h"
#include "capture/success_proposal.h"
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

    // The test offer filled into the page in one go, each filled field mapped as if the
    // operator had visited it and chosen its label.
    void FillTestOffer();
    // The label suggested for the field shown, taken as if the operator chose it.
    void AdoptSuggestion();
    // The key named in the status text of a suggestion.
    void SetAdoptKey(const QString& key) { adoptKey_ = key; }

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
    // The label a focus change suggests without selecting it; empty: none.
    void SuggestionChanged(const QString& label);
    // A fill has been mapped; and the success text proposed from a site's answer.
    void Filled(int fields);
    void SuccessTextProposed(const QString& text);

private:
    void FieldNameChanged();
    void FieldValueChanged();
    void MapCurrentField();
    void ShowProposal(const Proposal& p);
    void ProposeSuccess(const QString& answer);

    WizardSession& session_;
    CaptureSet& captureSet_;
    BrowserControl* browser_ = nullptr;
    std::optional<QString> suggestion_;
    QString adoptKey_;
    AnswerWatch answer_;
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
