#include "wizard/operator_message.h"

#include "base/operator_error.h"

#include <QMessageBox>

namespace sitecapture {

void ShowOperatorMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(kProductTitle), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QString::fromLatin1(kOperatorMessageName));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace sitecapture
