#pragma once

#include <QObject>

namespace sitecapture {

// Without a window manager nothing gives the keyboard back when a dialog closes: the X server
// falls back to the root window and the operator's typing goes nowhere. Installed on the
// application, this hands it to the window the dialog belongs to.
class KeyboardReturn : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace sitecapture
