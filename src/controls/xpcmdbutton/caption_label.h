#pragma once
// The caption element of the button: a text without a background of its own that sizes
// itself to its text, draws "&x" as an underlined access key, and hands its mouse input
// and its access key to the button that owns it.

#include <QColor>
#include <QString>
#include <QWidget>

class QMouseEvent;

namespace sitecapture {

// "&&" becomes "&", a single "&" before a character is dropped.
QString StripMnemonic(const QString& text);

class CaptionLabel : public QWidget {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    // Resizes the element to the new text and reports the change.
    void SetText(const QString& text);

    QColor TextColour() const { return colour_; }
    void SetTextColour(const QColor& colour);

    // Width of the longest line and the height of all lines in the element's font.
    QSize TextSize() const;

signals:
    void TextChanged();
    void Pressed(QMouseEvent* event);
    void Moved(QMouseEvent* event);
    void Released(QMouseEvent* event);
    void AccessKeyPressed();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FitToText();
    void UpdateAccessKey();

    QString text_;
    QColor colour_{Qt::black};
    int shortcutId_ = 0;
};

} // namespace sitecapture
