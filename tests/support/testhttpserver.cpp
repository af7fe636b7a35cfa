#include "testhttpserver.h"

#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>

namespace {

using Headers = QList<QPair<QByteArray, QByteArray>>;
using Fields = QList<QPair<QString, QString>>;

QByteArray headerValue(const Headers& headers, const QByteArray& name) {
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return {};
}

bool hasHeader(const Headers& headers, const QByteArray& name) {
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Fields parseForm(const QByteArray& encoded) {
    Fields fields;
    if (encoded.isEmpty())
        return fields;
    const auto decode = [](QByteArray part) {
        return QString::fromUtf8(QByteArray::fromPercentEncoding(part.replace('+', ' ')));
    };
    for (const QByteArray& pair : encoded.split('&')) {
        const int equals = pair.indexOf('=');
        fields.append(equals < 0
                          ? qMakePair(decode(pair), QString())
                          : qMakePair(decode(pair.left(equals)), decode(pair.mid(equals + 1))));
    }
    return fields;
}

QByteArray reasonFor(int status) {
    switch (status) {
    case 200:
        return QByteArrayLiteral("OK");
    case 201:
        return QByteArrayLiteral("Created");
    case 204:
        return QByteArrayLiteral("No Content");
    case 301:
        return QByteArrayLiteral("Moved Permanently");
    case 302:
        return QByteArrayLiteral("Found");
    case 303:
        return QByteArrayLiteral("See Other");
    case 307:
        return QByteArrayLiteral("Temporary Redirect");
    case 308:
        return QByteArrayLiteral("Permanent Redirect");
    case 400:
        return QByteArrayLiteral("Bad Request");
    case 401:
        return QByteArrayLiteral("Unauthorized");
    case 403:
        return QByteArrayLiteral("Forbidden");
    case 404:
        return QByteArrayLiteral("Not Found");
    case 405:
        return QByteArrayLiteral("Method Not Allowed");
    case 500:
        return QByteArrayLiteral("Internal Server Error");
    case 503:
        return QByteArrayLiteral("Service Unavailable");
    default:
        return QByteArrayLiteral("Status");
    }
}

// Splits into several chunks so that clients really reassemble them.
QByteArray chunkedBody(const QByteArray& body) {
    const int chunkSize = qMax(1, (body.size() + 2) / 3);
    QByteArray encoded;
    for (int at = 0; at < body.size(); at += chunkSize) {
        const QByteArray chunk = body.mid(at, chunkSize);
        encoded += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return encoded + "0\r\n\r\n";
}

// The decoded body and the bytes it took, or nothing while the chunks are incomplete.
std::optional<QPair<QByteArray, int>> dechunk(const QByteArray& data, int from) {
    QByteArray body;
    int at = from;
    for (;;) {
        const int lineEnd = data.indexOf("\r\n", at);
        if (lineEnd < 0)
            return std::nullopt;
        bool ok = false;
        const int size = data.mid(at, lineEnd - at).split(';').first().trimmed().toInt(&ok, 16);
        if (!ok)
            return qMakePair(body, data.size() - from);
        at = lineEnd + 2;
        if (size == 0) {
            const int trailerEnd = data.indexOf("\r\n", at);
            if (trailerEnd < 0)
                return std::nullopt;
            return qMakePair(body, trailerEnd + 2 - from);
        }
        if (data.size() < at + size + 2)
            return std::nullopt;
        body += data.mid(at, size);
        at += size + 2;
    }
}

QByteArray tlsFile(const char* name) {
    QFile file(QStringLiteral(TESTHTTPSERVER_TLS_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QSslCertificate& testCertificate() {
    static const QSslCertificate certificate(tlsFile("testhttpserver.crt"), QSsl::Pem);
    return certificate;
}

const QSslKey& testKey() {
    static const QSslKey key(tlsFile("testhttpserver.key"), QSsl::Rsa, QSsl::Pem);
    return key;
}

class TlsListener : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(testCertificate());
        socket->setPrivateKey(testKey());
        socket->startServerEncryption();
        addPendingConnection(socket);
    }
};

} // namespace

QByteArray TestHttpServer::Request::header(const QByteArray& name) const {
    return headerValue(headers, name);
}

QList<QPair<QString, QString>> TestHttpServer::Request::formFields() const {
    return parseForm(body);
}

QList<QPair<QString, QString>> TestHttpServer::Request::queryFields() const {
    return parseForm(query);
}

TestHttpServer::Response TestHttpServer::Response::json(const QByteArray& body, int status) {
    Response response = text(body, status);
    response.headers = {{QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")}};
    return response;
}

TestHttpServer::Response TestHttpServer::Response::redirect(int status,
                                                            const QByteArray& location) {
    Response response;
    response.status = status;
    response.headers = {{QByteArrayLiteral("Location"), location}};
    return response;
}

TestHttpServer::Response TestHttpServer::Response::text(const QByteArray& body, int status) {
    Response response;
    response.status = status;
    response.headers = {
        {QByteArrayLiteral("Content-Type"), QByteArrayLiteral("text/plain; charset=utf-8")}};
    response.body = body;
    return response;
}

TestHttpServer::TestHttpServer(QObject* parent)
    : QObject(parent) {}

TestHttpServer::~TestHttpServer() {
    closeConnections();
}

bool TestHttpServer::listen() {
    return startListening(new QTcpServer(this), false);
}

bool TestHttpServer::listenSecure() {
    return !testCertificate().isNull() && !testKey().isNull() &&
           startListening(new TlsListener(this), true);
}

quint16 TestHttpServer::port() const {
    return server ? server->serverPort() : 0;
}

QString TestHttpServer::baseUrl() const {
    return (secure ? QStringLiteral("https://127.0.0.1:") : QStringLiteral("http://127.0.0.1:")) +
           QString::number(port());
}

QString TestHttpServer::url(const QByteArray& path) const {
    return baseUrl() + QString::fromUtf8(path);
}

void TestHttpServer::route(const QByteArray& path, const Response& response) {
    routes.insert(path, response);
}

void TestHttpServer::enqueue(const QByteArray& path, const Response& response) {
    queues[path].enqueue(response);
}

void TestHttpServer::setHandler(Handler handler) {
    this->handler = std::move(handler);
}

QList<TestHttpServer::Request> TestHttpServer::requests() const {
    return received;
}

int TestHttpServer::requestCount() const {
    return received.size();
}

void TestHttpServer::clearRequests() {
    received.clear();
}

bool TestHttpServer::waitForRequests(int count, int timeoutMs) {
    if (received.size() >= count)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &TestHttpServer::requestReceived, &loop, [&] {
        if (received.size() >= count)
            loop.quit();
    });
    timer.start(timeoutMs);
    loop.exec();
    return received.size() >= count;
}

void TestHttpServer::closeConnections() {
    const QList<QTcpSocket*> sockets = findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets)
        socket->abort();
}

int TestHttpServer::push(const QByteArray& bytes) {
    int reached = 0;
    for (const QPointer<QTcpSocket>& socket : held) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState) {
            socket->write(bytes);
            ++reached;
        }
    }
    return reached;
}

void TestHttpServer::endHeld() {
    for (const QPointer<QTcpSocket>& socket : qAsConst(held)) {
        if (socket) {
            socket->disconnectFromHost();
        }
    }
    held.clear();
}

void TestHttpServer::trustTestCertificate() {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(testCertificate());
    QSslConfiguration::setDefaultConfiguration(configuration);
}

bool TestHttpServer::startListening(QTcpServer* listener, bool tls) {
    delete server;
    server = listener;
    secure = tls;
    connect(server, &QTcpServer::newConnection, this, &TestHttpServer::acceptConnections);
    return server->listen(QHostAddress::LocalHost);
}

void TestHttpServer::acceptConnections() {
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        socket->setParent(this);
        buffers.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::readRequest(QTcpSocket* socket) {
    auto buffer = buffers.find(socket);
    if (buffer == buffers.end()) {
        socket->readAll();
        return;
    }
    *buffer += socket->readAll();
    const QByteArray& data = *buffer;
    const int headEnd = data.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;

    Request request;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    const int question = request.target.indexOf('?');
    request.path = question < 0 ? request.target : request.target.left(question);
    request.query = question < 0 ? QByteArray() : request.target.mid(question + 1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const int colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }

    const int bodyStart = headEnd + 4;
    if (request.header("Transfer-Encoding").toLower().contains("chunked")) {
        const auto decoded = dechunk(data, bodyStart);
        if (!decoded)
            return;
        request.body = decoded->first;
    } else {
        const int length = request.header("Content-Length").toInt();
        if (data.size() < bodyStart + length)
            return;
        request.body = data.mid(bodyStart, length);
    }
    buffers.erase(buffer);

    received.append(request);
    const Response response = responseFor(request);
    emit requestReceived();
    if (response.delayMs > 0) {
        QTimer::singleShot(response.delayMs, socket, [this, socket, request, response] {
            answer(socket, request, response);
        });
    } else {
        answer(socket, request, response);
    }
}

TestHttpServer::Response TestHttpServer::responseFor(const Request& request) {
    if (handler)
        return handler(request);
    auto queue = queues.find(request.path);
    if (queue != queues.end() && !queue->isEmpty())
        return queue->dequeue();
    const auto standing = routes.constFind(request.path);
    if (standing != routes.constEnd())
        return *standing;
    return Response::text(QByteArrayLiteral("Not found: ") + request.path, 404);
}

void TestHttpServer::answer(QTcpSocket* socket, const Request& request, const Response& response) {
    if (response.stall || socket->state() != QAbstractSocket::ConnectedState)
        return;
    const QByteArray body = response.chunked ? chunkedBody(response.body) : response.body;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      (response.reason.isEmpty() ? reasonFor(response.status) : response.reason) +
                      "\r\n";
    for (const auto& header : response.headers)
        head += header.first + ": " + header.second + "\r\n";
    if (response.chunked && !hasHeader(response.headers, "Transfer-Encoding"))
        head += "Transfer-Encoding: chunked\r\n";
    if (!response.chunked && !response.holdOpen && !hasHeader(response.headers, "Content-Length"))
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!hasHeader(response.headers, "Connection"))
        head += "Connection: close\r\n";
    head += "\r\n";

    const QByteArray payload = request.method == "HEAD" ? QByteArray() : body;
    if (response.holdOpen) {
        socket->write(head + payload);
        held.append(socket);
    } else if (response.closeMidBody) {
        socket->write(head + payload.left(payload.size() / 2));
        socket->disconnectFromHost();
    } else if (response.trickleMs > 0) {
        socket->write(head);
        trickle(socket, payload, response.trickleMs);
    } else {
        socket->write(head + payload);
        socket->disconnectFromHost();
    }
}

void TestHttpServer::trickle(QTcpSocket* socket, const QByteArray& bytes, int intervalMs) {
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, sent] {
        if (*sent >= bytes.size()) {
            timer->stop();
            socket->disconnectFromHost();
            return;
        }
        socket->write(bytes.mid((*sent)++, 1));
    });
    timer->start(intervalMs);
}
