#include "caption_label.h"

#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace sitecapture {

QString StripMnemonic(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

CaptionLabel::CaptionLabel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    FitToText();
}

void CaptionLabel::SetText(const QString& text)
{
    text_ = text;
    UpdateAccessKey();
    FitToText();
    update();
    emit TextChanged();
}

void CaptionLabel::SetTextColour(const QColor& colour)
{
    colour_ = colour;
    update();
}

QSize CaptionLabel::TextSize() const
{
    const QFontMetrics metrics(font());
    const QStringList lines = StripMnemonic(text_).split(u'\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int height = metrics.height() + int(lines.size() - 1) * metrics.lineSpacing();
    return {width, height};
}

void CaptionLabel::FitToText()
{
    resize(TextSize());
}

void CaptionLabel::UpdateAccessKey()
{
    if (shortcutId_ != 0) {
        releaseShortcut(shortcutId_);
        shortcutId_ = 0;
    }
    const QKeySequence key = QKeySequence::mnemonic(text_);
    if (!key.isEmpty())
        shortcutId_ = grabShortcut(key);
}

bool CaptionLabel::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        emit AccessKeyPressed();
        return true;
    }
    return QWidget::event(event);
}

void CaptionLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        FitToText();
    QWidget::changeEvent(event);
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(colour_);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text_);
}

void CaptionLabel::mousePressEvent(QMouseEvent* event)
{
    emit Pressed(event);
}

void CaptionLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit Moved(event);
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event)
{
    emit Released(event);
}

void CaptionLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is neither a press nor a click of the button.
    event->accept();
}

} // namespace sitecapture
