#pragma once
// A value label of the report page. Captured addresses and post data rarely have blanks, so
// the label breaks its lines anywhere; its text stays exactly what was captured.

#include <QLabel>

namespace sitecapture {

class ReportValueLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace sitecapture
