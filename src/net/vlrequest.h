#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QJsonObject>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QEventLoop;
class QFile;
class QIODevice;
class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkProxy;
class QNetworkReply;
class QUrl;
class QUrlQuery;
class ReplyInflater;

// One synchronous HTTP exchange: configure, execute (the wait runs a nested event loop), then
// read the record of the last finished reply. Failures are recorded, never thrown.
class VLRequest : public QObject, private QNetworkRequest {
    Q_OBJECT
    Q_DISABLE_COPY(VLRequest)

public:
    explicit VLRequest(QNetworkProxy* proxy);
    ~VLRequest() override;

    void setRequestUrl(QString address);
    void addQueryItem(QString key, QString value);
    bool setMethod(QString name);
    void addHeader(QByteArray name, QByteArray value);
    void addHeader(QString name, QString value);
    void setProxy(QNetworkProxy* proxy);
    // How long the site may stay silent before a request fails.
    void setTransferTimeout(int milliseconds);
    // The largest reply body (as decompressed) that is read; a longer one fails the request.
    void setMaximumReplySize(qint64 bytes);

    void exec();
    void post(QByteArray body);
    void put(QByteArray body);
    void put(QIODevice* body);
    void deleteResource();
    void download(QString address);
    void download(QString address, QString fileName);

    bool replyOK();
    QByteArray readReplyText();
    void printReplyError();
    // What went wrong, for telling the operator: Qt's network error and the HTTP status (0: none).
    int replyErrorCode() const { return replyError; }
    int replyHttpStatus() const { return httpStatus; }
    // The Content-Type header of the last reply, empty when it had none.
    QByteArray replyContentType() const;
    // Every header of the last reply, in the order it came, names as sent.
    QList<QPair<QByteArray, QByteArray>> replyHeaderPairs() const { return replyHeaders; }

    void VLsetCookieJar(QNetworkCookieJar* jar);
    QJsonObject cookieToJSON();
    bool cookieFromJSON(QJsonObject cookies);

    QByteArray replyText;
    QString replyErrorString;

private slots:
    void requestFinished(QNetworkReply* reply);
    void doDownloadProgress(qint64 avail, qint64 total);
    void doReadyRead();

private:
    // Why the request itself ended a reply early.
    enum class Abort { None, ExchangeLimit, TooLarge, Undecodable, Interrupted };

    void methodCharger(QNetworkRequest request);
    void methodCharger(QNetworkRequest request, QString fileName);
    QNetworkReply* issue(QNetworkRequest request);
    void waitFor(QNetworkReply* reply);
    void limitSize(QNetworkReply* reply);
    void takeBody(QNetworkReply* reply);
    QNetworkRequest directRequest();
    bool startExchange();
    void followRedirects(const std::optional<QString>& fileName);
    bool refuseRedirect(const QUrl& target);
    void recordAbort(const QNetworkReply* reply);
    void fail(int error, const QString& text);
    void failWithoutSending(int error, const QString& text);

    std::unique_ptr<QUrl> url;
    std::unique_ptr<QUrlQuery> query;
    std::unique_ptr<QNetworkAccessManager> manager;
    QString method;
    QEventLoop* loop;
    std::unique_ptr<QFile> downloadFile;
    QNetworkReply* downloadReply = nullptr;
    QVariant redirectTarget;
    QString replyUrl;
    int replyError = 0;
    QList<QPair<QByteArray, QByteArray>> replyHeaders;

    QDeadlineTimer exchangeDeadline;
    Abort abort = Abort::None;
    qint64 maximumReplySize;
    // The current reply's body taken so far: written to the download file, or kept here.
    qint64 drainedBytes = 0;
    QByteArray received;
    std::unique_ptr<ReplyInflater> inflater;
    // The host the exchange was addressed to; redirects may not leave it.
    QString exchangeHost;
    int httpStatus = 0;
};
