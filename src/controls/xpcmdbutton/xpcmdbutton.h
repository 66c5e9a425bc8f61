#pragma once
// xpcmdbutton: the push button of both windows. Its face is painted in nine slices from a
// five-cell picture, it shows hover, pressed, disabled and marked faces, and it polls the
// pointer every 10 ms while the pointer may be over it, so that it can report MouseOut.
//
// Events are signals whose arguments are references: a handler connected directly may
// change them, and the control reads back only Button after MouseMove. Button and Shift
// are the masks of input_codes.h; X and Y are pixels of the control.

#include "caption_label.h"
#include "face_cell.h"
#include "picture_clip.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>

class QTimer;

namespace sitecapture {

class PropertyBag;

// What the window that holds a button supplies: the defaults of a new instance.
struct AmbientProperties {
    QString DisplayName; // the instance's name, the default caption
    QFont Font;          // the window's font, the default font
};

class xpcmdbutton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(qint32 State READ State WRITE SetState)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)

public:
    // The pointer position in screen pixels.
    using CursorSource = std::function<QPoint()>;

    explicit xpcmdbutton(QWidget* parent = nullptr);
    ~xpcmdbutton() override;

    // The control's own enabled flag: false only when the control itself was disabled,
    // not when the window around it is. QWidget::setEnabled runs the same steps.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // 0 rests on Normal, 1 on Marked, anything else keeps the last of the two.
    qint32 State() const { return state_; }
    void SetState(qint32 state);
    QString Caption() const { return caption_->Text(); }
    void SetCaption(const QString& caption);
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);

    // Life cycle calls of the window that holds the button.
    void InitProperties(const AmbientProperties& ambient);
    void ReadProperties(const PropertyBag& bag, const AmbientProperties& ambient);
    void WriteProperties(PropertyBag& bag, const AmbientProperties& ambient) const;
    void AccessKeyPress();

    // Paints a cell of the face picture over the whole control.
    void DrawFace(qint16 cell);
    void ShowRestingFace();
    qint16 RestCell() const { return restCell_; }
    // The face as last painted, W x H; what the control shows under its caption.
    const QImage& FaceImage() const { return face_; }
    const PictureClip& Faces() const { return faces_; }

    const CaptionLabel& CaptionElement() const { return *caption_; }
    // Where the layout step put the caption, before rounding to whole pixels.
    QPointF CaptionPosition() const { return {captionLeft_, captionTop_}; }

    // Pointer-leave check. It runs on every tick of the 10 ms timer while the timer is on.
    void SetCursorSource(CursorSource source);
    bool LeaveCheckRunning() const;
    void PointerLeaveCheck();

signals:
    void Click();
    void KeyDown(qint16& KeyCode, qint16& Shift);
    void KeyPress(qint16& KeyAscii);
    void KeyUp(qint16& KeyCode, qint16& Shift);
    void MouseOut();
    void MouseDown(qint16& Button, qint16& Shift, float& X, float& Y);
    void MouseMove(qint16& Button, qint16& Shift, float& X, float& Y);
    void MouseUp(qint16& Button, qint16& Shift, float& X, float& Y);

    // A stored property changed, so a holder that saves instances saves this one again.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void Initialize();
    void ApplyEnabled();
    void LayoutStep();
    bool Inside(float x, float y) const;
    bool DisabledByHandler();

    void OnMouseDown(qint16 button, qint16 shift, float x, float y);
    void OnMouseMove(qint16 button, qint16 shift, float x, float y);
    void OnMouseUp(qint16 button, qint16 shift, float x, float y);
    void PressStarted(const QMouseEvent& event);
    // Ends a press; raises Click when it ends a left press over the control.
    void PressEnded(const QMouseEvent& event, QPointF positionInControl);

    CaptionLabel* caption_;
    PictureClip faces_;
    QTimer* leaveTimer_;

    qint32 state_ = 0;
    QFont font_;
    qint16 restCell_ = FaceCell::Normal;
    QImage face_;
    double captionLeft_ = 0;
    double captionTop_ = 0;
    CursorSource cursor_;
    bool leftPressArmed_ = false;
    int enabledApplied_ = 0;   // counts runs of the Enabled steps
    bool shownEnabled_ = true; // the flag that the face and caption colour show
};

} // namespace sitecapture
