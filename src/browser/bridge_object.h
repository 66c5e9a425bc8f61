#pragma once
// The one object the page script reaches over the web channel, in the isolated world only.

#include <QJsonArray>
#include <QJsonValue>
#include <QObject>

#include <functional>

namespace sitecapture {

class BridgeObject : public QObject {
    Q_OBJECT
public:
    explicit BridgeObject(std::function<void(const QJsonValue&)> onReport)
        : onReport_(std::move(onReport))
    {
    }

    // Everything the page says comes through here and is checked before use.
    Q_INVOKABLE void report(const QJsonValue& message) { onReport_(message); }

signals:
    void highlight(int handle);
    void ping(int id);
    // The fill: the page's forms are asked for, then the values typed in ([[handle, value]...]).
    void gatherFill(int id);
    void applyFill(int id, const QJsonArray& steps);

private:
    std::function<void(const QJsonValue&)> onReport_;
};

} // namespace sitecapture
