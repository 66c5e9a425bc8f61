#pragma once
// The success text proposed from a site's answer to a submission: the text by which the
// posting product tells a successful post from a refused one.

#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

namespace sitecapture {

// When to read the site's answer to a captured submission: once the page after it has
// started loading and then finished. Hovering a link says "完成" too, so the start counts.
class AnswerWatch {
public:
    // A submission was captured from the page whose markup this is.
    void Submitted(QString formPage)
    {
        formPage_ = std::move(formPage);
        state_ = State::Submitted;
    }
    // A status text of the browser; true once: when the answer has loaded.
    bool Status(QStringView text);
    const QString& FormPage() const { return formPage_; }

private:
    enum class State { Idle, Submitted, Loading };
    State state_ = State::Idle;
    QString formPage_;
};

// The shortest sentence of the answer's markup (its text, and the texts its scripts show,
// as in alert("发布成功")) that reads as success and not as failure, and that the page the
// form was on (`formPage`, may be empty) does not hold: a text every page shows tells
// nothing. It stands in the answer as it is. Nothing when no sentence reads so.
std::optional<QString> ProposeSuccessText(QStringView answer, QStringView formPage = {});

} // namespace sitecapture
