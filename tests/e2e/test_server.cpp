#include "test_server.h"

#include <QTcpSocket>
#include <QEventLoop>
#include <QTimer>

namespace e2e {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int everyMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(everyMs);
    loop.exec();
    return done();
}

QString AsciiHtml(const QString& html)
{
    QString out;
    out.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c.unicode() < 0x80) {
            out.append(c);
        } else if (c.isHighSurrogate() && i + 1 < html.size()) {
            out += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(c, html[i + 1]));
            ++i;
        } else {
            out += QStringLiteral("&#%1;").arg(c.unicode());
        }
    }
    return out;
}

TestServer::TestServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto* buffer = new QByteArray;
            connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
                if (headerEnd < 0)
                    return;
                Request r;
                const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
                const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
                r.method = first.value(0);
                r.target = first.value(1);
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines[i].indexOf(':');
                    if (colon > 0)
                        r.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                         lines[i].mid(colon + 1).trimmed());
                }
                const qsizetype length = r.headers.value("content-length", "0").toLongLong();
                if (buffer->size() < headerEnd + 4 + length)
                    return;
                r.body = buffer->mid(headerEnd + 4, length);
                buffer->clear();
                requests_.append(r);
                Answer(socket, r);
            });
        }
    });
}

QString TestServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

void TestServer::Serve(const QByteArray& path, const QByteArray& contentType, const QByteArray& body)
{
    resources_.insert(path, Resource{contentType, body});
}

void TestServer::ServeHtml(const QByteArray& path, const QByteArray& charset, const QString& html)
{
    Serve(path, "text/html; charset=" + charset, AsciiHtml(html).toLatin1());
}

void TestServer::Handle(const QByteArray& path, std::function<Response(const Request&)> handler)
{
    handlers_.insert(path, std::move(handler));
}

const Request* TestServer::Last(const QByteArray& method, const QByteArray& path) const
{
    for (qsizetype i = requests_.size() - 1; i >= 0; --i)
        if (requests_[i].method == method && requests_[i].Path() == path)
            return &requests_[i];
    return nullptr;
}

const Request* TestServer::WaitFor(const QByteArray& method, const QByteArray& path, int timeoutMs)
{
    WaitUntil([&] { return Last(method, path) != nullptr; }, timeoutMs);
    return Last(method, path);
}

void TestServer::Answer(QTcpSocket* socket, const Request& request)
{
    if (const auto handler = handlers_.find(request.Path()); handler != handlers_.end()) {
        const Response r = (*handler)(request);
        if (r.hold)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(r.status) + " Answer\r\nContent-Type: " + r.contentType
                      + "\r\nContent-Length: " + QByteArray::number(r.body.size()) + "\r\n" + r.headers
                      + "Cache-Control: no-store\r\nConnection: close\r\n\r\n" + r.body);
        socket->disconnectFromHost();
        return;
    }
    Resource res = resources_.value(request.Path());
    if (res.body.isEmpty()) {
        res.contentType = "text/html; charset=utf-8";
        res.body = "<html><head><title>ok</title></head><body><p>ok</p></body></html>";
    }
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + res.contentType
                  + "\r\nContent-Length: " + QByteArray::number(res.body.size())
                  + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + res.body);
    socket->disconnectFromHost();
}

} // namespace e2e
