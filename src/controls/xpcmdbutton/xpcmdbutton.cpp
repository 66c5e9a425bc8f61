#include "xpcmdbutton.h"

#include "input_codes.h"
#include "nine_slice.h"
#include "property_bag.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

using namespace Qt::StringLiterals;

namespace sitecapture {

namespace {

const QColor kCaptionEnabled(0x00, 0x00, 0x00);
const QColor kCaptionDisabled(0xA1, 0xA1, 0x92);
constexpr int kLeaveCheckMs = 10;

QFont FontOf(const QVariant& value, const QFont& fallback)
{
    return value.canConvert<QFont>() ? value.value<QFont>() : fallback;
}

} // namespace

xpcmdbutton::xpcmdbutton(QWidget* parent)
    : QWidget(parent),
      caption_(new CaptionLabel(this)),
      leaveTimer_(new QTimer(this)),
      font_(QWidget::font()),
      cursor_([] { return QCursor::pos(); })
{
    faces_.Load(u":/xpcmdbutton/face.bmp"_s, 1, kFaceCellCount);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    caption_->SetText(u"xpcmdbutton"_s);
    leaveTimer_->setInterval(kLeaveCheckMs);
    connect(leaveTimer_, &QTimer::timeout, this, &xpcmdbutton::PointerLeaveCheck);

    connect(caption_, &CaptionLabel::TextChanged, this, &xpcmdbutton::LayoutStep);
    connect(caption_, &CaptionLabel::AccessKeyPressed, this, &xpcmdbutton::AccessKeyPress);
    connect(caption_, &CaptionLabel::Pressed, this, [this](QMouseEvent* e) {
        PressStarted(*e);
        OnMouseDown(MouseButtonMask(e->button()), ShiftMask(e->modifiers()),
                    float(e->position().x()), float(e->position().y()));
    });
    connect(caption_, &CaptionLabel::Moved, this, [this](QMouseEvent* e) {
        // The caption reports its own top left corner, not the pointer.
        OnMouseMove(MouseButtonMask(e->buttons()), ShiftMask(e->modifiers()),
                    float(captionLeft_), float(captionTop_));
    });
    connect(caption_, &CaptionLabel::Released, this, [this](QMouseEvent* e) {
        OnMouseUp(MouseButtonMask(e->button()), ShiftMask(e->modifiers()),
                  float(e->position().x()), float(e->position().y()));
        PressEnded(*e, caption_->mapToParent(e->position()));
    });

    Initialize();
}

xpcmdbutton::~xpcmdbutton() = default;

void xpcmdbutton::Initialize()
{
    ShowRestingFace();
}

// ---- properties ----

bool xpcmdbutton::Enabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void xpcmdbutton::SetEnabled(bool enabled)
{
    const int before = enabledApplied_;
    setEnabled(enabled); // changeEvent runs the steps when the flag changes
    if (enabledApplied_ == before)
        ApplyEnabled();
}

void xpcmdbutton::ApplyEnabled()
{
    ++enabledApplied_;
    shownEnabled_ = Enabled();
    emit PropertyChanged(u"Enabled"_s);
    ShowRestingFace();
    caption_->SetTextColour(Enabled() ? kCaptionEnabled : kCaptionDisabled);
}

void xpcmdbutton::changeEvent(QEvent* event)
{
    // Also reached through QWidget::setEnabled. A window disabling itself does not
    // change the control's own flag and leaves the face alone.
    if (event->type() == QEvent::EnabledChange && Enabled() != shownEnabled_)
        ApplyEnabled();
    QWidget::changeEvent(event);
}

void xpcmdbutton::SetState(qint32 state)
{
    state_ = state;
    emit PropertyChanged(u"State"_s);
    ShowRestingFace();
}

void xpcmdbutton::SetCaption(const QString& caption)
{
    caption_->SetText(caption); // the caption's change runs the layout step
    emit PropertyChanged(u"Caption"_s);
}

void xpcmdbutton::SetFont(const QFont& font)
{
    font_ = font;
    setFont(font_);
    caption_->setFont(font_);
    LayoutStep();
    emit PropertyChanged(u"Font"_s);
}

// ---- life cycle ----

void xpcmdbutton::InitProperties(const AmbientProperties& ambient)
{
    SetEnabled(true);
    SetCaption(ambient.DisplayName);
    SetFont(ambient.Font);
}

void xpcmdbutton::ReadProperties(const PropertyBag& bag, const AmbientProperties& ambient)
{
    state_ = bag.ReadProperty(u"State"_s, qint32(0)).toInt();
    SetEnabled(bag.ReadProperty(u"Enabled"_s, true).toBool());
    SetCaption(bag.ReadProperty(u"Caption"_s, ambient.DisplayName).toString());
    SetFont(FontOf(bag.ReadProperty(u"Font"_s, ambient.Font), ambient.Font));
}

void xpcmdbutton::WriteProperties(PropertyBag& bag, const AmbientProperties& ambient) const
{
    bag.WriteProperty(u"State"_s, state_, qint32(0));
    bag.WriteProperty(u"Enabled"_s, Enabled(), true);
    bag.WriteProperty(u"Caption"_s, Caption(), ambient.DisplayName);
    bag.WriteProperty(u"Font"_s, font_, ambient.Font);
}

void xpcmdbutton::AccessKeyPress()
{
    emit Click();
}

void xpcmdbutton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ShowRestingFace();
}

void xpcmdbutton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutStep();
}

// ---- painting ----

void xpcmdbutton::ShowRestingFace()
{
    if (state_ == 1)
        restCell_ = FaceCell::Marked;
    else if (state_ == 0)
        restCell_ = FaceCell::Normal;
    DrawFace(Enabled() ? restCell_ : FaceCell::Disabled);
}

void xpcmdbutton::DrawFace(qint16 cell)
{
    const QImage picture = faces_.GraphicCell(cell);
    if (picture.isNull())
        return;
    if (face_.size() != size())
        face_ = QImage(size(), QImage::Format_RGB32);
    PaintNineSlices(face_, picture, kFaceBorder);
    update();
}

void xpcmdbutton::LayoutStep()
{
    ShowRestingFace();
    captionTop_ = (height() - caption_->height()) / 2.0;
    captionLeft_ = (width() - caption_->width()) / 2.0;
    caption_->move(int(std::floor(captionLeft_)), int(std::floor(captionTop_)));
}

void xpcmdbutton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, face_);
}

// ---- mouse ----

bool xpcmdbutton::Inside(float x, float y) const
{
    return x >= 0 && y >= 0 && x <= width() && y <= height();
}

void xpcmdbutton::OnMouseDown(qint16 button, qint16 shift, float x, float y)
{
    emit MouseDown(button, shift, x, y);
    if (DisabledByHandler())
        return;
    DrawFace(FaceCell::Pressed);
}

void xpcmdbutton::OnMouseMove(qint16 button, qint16 shift, float x, float y)
{
    leaveTimer_->start();
    if (!Inside(x, y))
        return;
    emit MouseMove(button, shift, x, y);
    if (DisabledByHandler())
        return;
    DrawFace(button == 1 ? FaceCell::Pressed : FaceCell::Hover);
}

// A handler may disable the button it was called for (the list window does so on a mouse
// move); the button then rests on Disabled instead of showing Hover or Pressed.
bool xpcmdbutton::DisabledByHandler()
{
    if (Enabled())
        return false;
    ShowRestingFace();
    return true;
}

void xpcmdbutton::OnMouseUp(qint16 button, qint16 shift, float x, float y)
{
    emit MouseUp(button, shift, x, y);
    ShowRestingFace();
}

void xpcmdbutton::PressStarted(const QMouseEvent& event)
{
    if (event.button() == Qt::LeftButton)
        leftPressArmed_ = true;
}

void xpcmdbutton::PressEnded(const QMouseEvent& event, QPointF positionInControl)
{
    if (event.button() != Qt::LeftButton)
        return;
    const bool click = leftPressArmed_ && Inside(float(positionInControl.x()), float(positionInControl.y()));
    leftPressArmed_ = false;
    if (click)
        emit Click();
}

void xpcmdbutton::mousePressEvent(QMouseEvent* event)
{
    PressStarted(*event);
    OnMouseDown(MouseButtonMask(event->button()), ShiftMask(event->modifiers()),
                float(event->position().x()), float(event->position().y()));
}

void xpcmdbutton::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(MouseButtonMask(event->buttons()), ShiftMask(event->modifiers()),
                float(event->position().x()), float(event->position().y()));
}

void xpcmdbutton::mouseReleaseEvent(QMouseEvent* event)
{
    OnMouseUp(MouseButtonMask(event->button()), ShiftMask(event->modifiers()),
              float(event->position().x()), float(event->position().y()));
    PressEnded(*event, event->position());
}

void xpcmdbutton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click raises nothing; only its release is reported.
    event->accept();
}

// ---- pointer leave ----

void xpcmdbutton::SetCursorSource(CursorSource source)
{
    cursor_ = std::move(source);
}

bool xpcmdbutton::LeaveCheckRunning() const
{
    return leaveTimer_->isActive();
}

void xpcmdbutton::PointerLeaveCheck()
{
    const QPoint p = mapFromGlobal(cursor_());
    if (p.x() >= 0 && p.y() >= 0 && p.x() <= width() && p.y() <= height())
        return;
    leaveTimer_->stop();
    emit MouseOut();
    ShowRestingFace();
}

// ---- keyboard ----

void xpcmdbutton::keyPressEvent(QKeyEvent* event)
{
    qint16 keyCode = VirtualKeyCode(event->key());
    qint16 shift = ShiftMask(event->modifiers());
    emit KeyDown(keyCode, shift);
    for (const QChar c : event->text()) {
        qint16 keyAscii = qint16(c.unicode());
        emit KeyPress(keyAscii);
    }
    event->accept();
}

void xpcmdbutton::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its key down, as the key codes' home system reports it, but
    // comes up once.
    if (!event->isAutoRepeat()) {
        qint16 keyCode = VirtualKeyCode(event->key());
        qint16 shift = ShiftMask(event->modifiers());
        emit KeyUp(keyCode, shift);
    }
    event->accept();
}

} // namespace sitecapture
