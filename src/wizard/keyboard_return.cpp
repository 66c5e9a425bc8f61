#include "wizard/keyboard_return.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace sitecapture {

bool KeyboardReturn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Hide || event->spontaneous() || !watched->isWidgetType())
        return false;
    auto* dialog = static_cast<QWidget*>(watched);
    // Only a dialog that held the keyboard: a closing dialog in the background takes nothing.
    if (dialog->windowType() != Qt::Dialog || !dialog->parentWidget() || !dialog->windowHandle() ||
        QGuiApplication::focusWindow() != dialog->windowHandle())
        return false;
    QWidget* owner = dialog->parentWidget()->window();
    if (owner->isVisible())
        owner->activateWindow();
    return false;
}

} // namespace sitecapture
