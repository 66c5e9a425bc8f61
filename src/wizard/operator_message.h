#pragma once
// The one way a message reaches the operator: a modal box with the product title and OK.

#include <QString>

class QWidget;

namespace sitecapture {

inline constexpr char kOperatorMessageName[] = "OperatorMessage";

// Returns when the operator has pressed OK (or closed the box).
void ShowOperatorMessage(QWidget* parent, const QString& text);

} // namespace sitecapture
