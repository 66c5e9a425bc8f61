#pragma once
// Traditional characters as the simplified ones the keyword rules and the vocabulary are
// spelt in, so that a Big5 page's "聯絡電話" reads as "联络电话". Only the characters that
// captions of trade forms use; one character for one, so positions stay valid.

#include <QString>
#include <QStringView>

namespace sitecapture {

QString ToSimplifiedChinese(QStringView text);

} // namespace sitecapture
