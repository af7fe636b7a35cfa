#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QQueue>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

// An HTTP/1.1 server on 127.0.0.1 in the test's own thread. It records every request exactly as
// received and answers with scripted replies; it runs in whatever event loop is spinning,
// a nested one included. Every reply closes its connection.
class TestHttpServer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(TestHttpServer)

public:
    struct Request {
        QByteArray method;
        QByteArray target; // the request target exactly as sent
        QByteArray path;   // the target without its query
        QByteArray query;  // the raw query as sent, without '?'
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body; // chunked request bodies are decoded

        // The first header of that name, compared case-insensitively; empty when missing.
        QByteArray header(const QByteArray& name) const;
        // The body and the query parsed as form data ('+' and %XX decoded, then UTF-8).
        QList<QPair<QString, QString>> formFields() const;
        QList<QPair<QString, QString>> queryFields() const;
    };

    struct Response {
        int status = 200;
        QByteArray reason; // empty: the usual phrase for the status
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool chunked = false;      // Transfer-Encoding: chunked, the body in several chunks
        int delayMs = 0;           // wait this long before answering
        bool stall = false;        // accept, read, never answer
        bool closeMidBody = false; // send the head and half the body, then drop the connection
        int trickleMs = 0;         // send the body one byte at a time, this many ms apart
        bool holdOpen = false;     // send the head and body, then keep the connection for push()

        static Response json(const QByteArray& body, int status = 200);
        static Response redirect(int status, const QByteArray& location);
        static Response text(const QByteArray& body, int status = 200);
    };

    using Handler = std::function<Response(const Request&)>;

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    bool listen();       // 127.0.0.1, a free port
    bool listenSecure(); // the same over TLS, with the test certificate for 127.0.0.1
    quint16 port() const;
    QString baseUrl() const;                   // "http://127.0.0.1:<port>" or "https://..."
    QString url(const QByteArray& path) const; // baseUrl() followed by path

    void route(const QByteArray& path, const Response& response);   // the standing reply
    void enqueue(const QByteArray& path, const Response& response); // one-shot, before the standing
    void setHandler(Handler handler);                               // overrides routing entirely

    QList<Request> requests() const;
    int requestCount() const;
    void clearRequests();
    bool waitForRequests(int count, int timeoutMs = 5000); // spins an event loop

    void closeConnections(); // drops every open connection, stalled ones included
    // Writes to every connection held open by a holdOpen reply; gives how many it reached.
    int push(const QByteArray& bytes);
    // Ends every held connection as a server does that finishes a reply.
    void endHeld();

    // Makes this process's TLS clients trust the test certificate.
    static void trustTestCertificate();

signals:
    void requestReceived();

private:
    bool startListening(QTcpServer* listener, bool tls);
    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    Response responseFor(const Request& request);
    void answer(QTcpSocket* socket, const Request& request, const Response& response);
    void trickle(QTcpSocket* socket, const QByteArray& bytes, int intervalMs);

    QTcpServer* server = nullptr;
    bool secure = false;
    QHash<QTcpSocket*, QByteArray> buffers;
    QHash<QByteArray, Response> routes;
    QHash<QByteArray, QQueue<Response>> queues;
    Handler handler;
    QList<Request> received;
    QList<QPointer<QTcpSocket>> held;
};

Q_DECLARE_METATYPE(TestHttpServer::Request)
Q_DECLARE_METATYPE(TestHttpServer::Response)
