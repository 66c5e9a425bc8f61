#pragma once
// A small HTTP server on 127.0.0.1 for the end-to-end tests: serves the pages given to it
// and records every request with its raw body, as the browser really sent it.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTcpServer>

#include <functional>

namespace e2e {

struct Request {
    QByteArray method;
    QByteArray target; // path and query, as sent
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QByteArray Path() const { return target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?')); }
};

// What a handler answers; `hold` leaves the request without an answer.
struct Response {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    QByteArray headers; // more header lines, each ending in CR LF
    bool hold = false;
};

class TestServer : public QObject {
    Q_OBJECT
public:
    TestServer();

    quint16 Port() const { return server_.serverPort(); }
    QString Url(const QString& path) const;

    // Serves `body` at `path` (the query is ignored). Pages not given get a small page.
    void Serve(const QByteArray& path, const QByteArray& contentType, const QByteArray& body);
    // An HTML page written as ASCII: every other character becomes a numeric entity, so the
    // bytes are the same in every charset and the declared charset alone decides.
    void ServeHtml(const QByteArray& path, const QByteArray& charset, const QString& html);
    // Answers every request for `path` (the query ignored) as the handler says.
    void Handle(const QByteArray& path, std::function<Response(const Request&)> handler);

    const QList<Request>& Requests() const { return requests_; }
    // The last request for a path (query ignored) with the method, or nullptr.
    const Request* Last(const QByteArray& method, const QByteArray& path) const;
    // Waits until such a request has come.
    const Request* WaitFor(const QByteArray& method, const QByteArray& path, int timeoutMs = 20000);

private:
    void Answer(QTcpSocket* socket, const Request& request);

    struct Resource {
        QByteArray contentType;
        QByteArray body;
    };
    QTcpServer server_;
    QHash<QByteArray, Resource> resources_;
    QHash<QByteArray, std::function<Response(const Request&)>> handlers_;
    QList<Request> requests_;
};

QString AsciiHtml(const QString& html);

// Runs the event loop until `done` holds, checking every `everyMs`; false after the
// timeout. (QTest::qWaitFor sleeps 10 ms between passes, which holds up every hop of the
// browser's messages.)
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000, int everyMs = 1);

} // namespace e2e
