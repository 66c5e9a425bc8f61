#include "wizard/report_value_label.h"

#include <QPainter>
#include <QTextOption>

namespace sitecapture {

void ReportValueLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.setClipRect(contentsRect());
    painter.drawText(QRectF(contentsRect()), text(), option);
}

} // namespace sitecapture
