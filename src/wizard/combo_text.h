#pragma once
// Setting the text of a drop-down list: the entry of that text is selected. A text the list
// does not hold (a category written by another program) is added as an entry of its own, so
// that saving the site keeps it.

#include <QComboBox>
#include <QString>

namespace sitecapture {

inline void SetComboText(QComboBox* box, const QString& text)
{
    int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

} // namespace sitecapture
