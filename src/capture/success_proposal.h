#pragma once
// The success text proposed from a site's answer to a submission: the text by which the
// posting product tells a successful post from a refused one.

#include <QString>
#include <QStringView>

#include <optional>

namespace sitecapture {

// The shortest sentence of the answer's markup (its text, and the texts its scripts show,
// as in alert("发布成功")) that reads as success and not as failure, and that the page the
// form was on (`formPage`, may be empty) does not hold: a text every page shows tells
// nothing. It stands in the answer as it is. Nothing when no sentence reads so.
std::optional<QString> ProposeSuccessText(QStringView answer, QStringView formPage = {});

} // namespace sitecapture
