#pragma once
// A button in a shown top-level window, driven by synthetic input: mouse events sent to the
// button or to its caption, a pointer position that the leave check reads instead of the
// real cursor, and timer ticks delivered by hand. Every event the button raises is logged.

#include "controls/xpcmdbutton/caption_label.h"
#include "controls/xpcmdbutton/nine_slice.h"
#include "controls/xpcmdbutton/xpcmdbutton.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace sitecapture;

inline QString Arg(float v)
{
    return QString::number(double(v));
}

class ButtonHarness {
public:
    static constexpr QRgb kBackground = 0xFFFF00FF;

    explicit ButtonHarness(QSize size, const QString& caption = {})
    {
        window.setFixedSize(size.width() + 40, size.height() + 40);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(kBackground));
        window.setPalette(palette);
        window.setAutoFillBackground(true);

        button = new xpcmdbutton(&window);
        button->setGeometry(20, 20, size.width(), size.height());
        button->SetCaption(caption);
        button->SetCursorSource([this] { return pointerGlobal; });
        Record();
        window.show();
        log.clear();
    }

    // ---- input ----
    void Send(QWidget* target, QEvent::Type type, QPointF pos, Qt::MouseButton button,
              Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
        QCoreApplication::sendEvent(target, &event);
    }
    void Move(QPointF pos, Qt::MouseButtons held = Qt::NoButton)
    {
        Send(button, QEvent::MouseMove, pos, Qt::NoButton, held);
    }
    void Press(QPointF pos, Qt::MouseButton which = Qt::LeftButton)
    {
        Send(button, QEvent::MouseButtonPress, pos, which, which);
    }
    void Release(QPointF pos, Qt::MouseButton which = Qt::LeftButton)
    {
        Send(button, QEvent::MouseButtonRelease, pos, which, Qt::NoButton);
    }
    void DoubleClick(QPointF pos)
    {
        Send(button, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    }
    CaptionLabel* Caption() { return button->findChild<CaptionLabel*>(); }
    void MoveOnCaption(QPointF pos, Qt::MouseButtons held = Qt::NoButton)
    {
        Send(Caption(), QEvent::MouseMove, pos, Qt::NoButton, held);
    }
    void PressOnCaption(QPointF pos)
    {
        Send(Caption(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    }
    void ReleaseOnCaption(QPointF pos)
    {
        Send(Caption(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    }
    void DoubleClickOnCaption(QPointF pos)
    {
        Send(Caption(), QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    }

    // The pointer, in pixels of the button; read by the leave check.
    void PointerAt(QPoint local) { pointerGlobal = button->mapToGlobal(local); }
    // One timer tick, delivered only while the timer runs, as the real timer would.
    bool Tick()
    {
        if (!button->LeaveCheckRunning())
            return false;
        button->PointerLeaveCheck();
        return true;
    }

    // ---- what the button shows ----
    // The cell whose nine slices the retained face shows, -1 when none matches.
    int ShownCell() const
    {
        const QImage& face = button->FaceImage();
        for (int cell = 0; cell < button->Faces().CellCount(); ++cell) {
            QImage expected(face.size(), QImage::Format_RGB32);
            PaintNineSlices(expected, button->Faces().GraphicCell(cell), 3);
            if (expected == face)
                return cell;
        }
        return -1;
    }
    // The button as the window shows it, caption included.
    QImage Screen()
    {
        return window.grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    QWidget window;
    xpcmdbutton* button = nullptr;
    QPoint pointerGlobal{-1000, -1000};
    std::vector<std::string> log;

    // Handlers that may change the arguments, run after the event is logged.
    std::function<void(qint16&, qint16&, float&, float&)> onMouseDown, onMouseMove, onMouseUp;
    std::function<void()> onClick, onMouseOut;

private:
    void Add(const QString& line) { log.push_back(line.toStdString()); }

    void Record()
    {
        using B = xpcmdbutton;
        auto mouse = [this](const char* name, auto& hook) {
            return [this, name, &hook](qint16& b, qint16& s, float& x, float& y) {
                Add(QStringLiteral("%1 %2 %3 %4 %5").arg(name).arg(b).arg(s).arg(Arg(x), Arg(y)));
                if (hook)
                    hook(b, s, x, y);
            };
        };
        QObject::connect(button, &B::Click, button, [this] {
            Add(QStringLiteral("Click"));
            if (onClick)
                onClick();
        });
        QObject::connect(button, &B::MouseOut, button, [this] {
            Add(QStringLiteral("MouseOut"));
            if (onMouseOut)
                onMouseOut();
        });
        QObject::connect(button, &B::MouseDown, button, mouse("MouseDown", onMouseDown));
        QObject::connect(button, &B::MouseMove, button, mouse("MouseMove", onMouseMove));
        QObject::connect(button, &B::MouseUp, button, mouse("MouseUp", onMouseUp));
        QObject::connect(button, &B::KeyDown, button, [this](qint16& code, qint16& shift) {
            Add(QStringLiteral("KeyDown %1 %2").arg(code).arg(shift));
        });
        QObject::connect(button, &B::KeyPress, button, [this](qint16& ascii) {
            Add(QStringLiteral("KeyPress %1").arg(ascii));
        });
        QObject::connect(button, &B::KeyUp, button, [this](qint16& code, qint16& shift) {
            Add(QStringLiteral("KeyUp %1 %2").arg(code).arg(shift));
        });
    }
};
