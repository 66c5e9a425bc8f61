#pragma once
// The two commands of the capture pages that the windows did not have before, at the right end of the
// status bar so that no control of the pages moves: the one-click fill of the test offer
// (publish page only) and the taking of a suggested label. Each has a key that works while
// the page has the keyboard.

#include "capture/capture_model.h"

#include <QWidget>

class QAction;
class QToolButton;

namespace sitecapture {

class CapturePanel;

class FillButtons : public QWidget {
    Q_OBJECT
public:
    FillButtons(CapturePanel& panel, QWidget* parent);

    // Shows the commands that belong to the page: the fill on the publish page, the taking
    // of a suggestion on both capture pages, none elsewhere.
    void ShowForPage(CaptureMode captureMode);

    QToolButton* FillButton() const { return fillButton_; }
    QToolButton* AdoptButton() const { return adoptButton_; }

private:
    void ShowSuggestion(const QString& label);

    QAction* fill_;
    QAction* adopt_;
    QToolButton* fillButton_;
    QToolButton* adoptButton_;
};

} // namespace sitecapture
