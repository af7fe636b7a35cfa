#include "vlrequest.h"

#include "net/qstdout.h"
#include "net/replyinflater.h"
#include "net/siteapi.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <limits>

namespace {

const int defaultTransferTimeoutMs = 30000;
// One exchange, its redirects included, never takes longer than this.
const int exchangeLimitMs = 120000;
const int maximumRedirects = 20;
const qint64 defaultMaximumReplySize = 64 * 1024 * 1024;
const qint64 readAheadBytes = 1024 * 1024;
const QByteArray acceptEncoding = QByteArrayLiteral("Accept-Encoding");
// Marks a request whose reply this class unpacks itself.
const auto unpackedHere = QNetworkRequest::User;
// Query fields that hold credentials: shown hidden or shortened wherever a URL is printed.
const QString hiddenField = QStringLiteral("pass");
const QStringList shortenedFields{QStringLiteral("operator"), QStringLiteral("opID")};
const int shownIdLength = 5;

QByteArray utf8UpToNul(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const int nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

QString seconds(int milliseconds) {
    return QString::number(milliseconds / 1000.0);
}

// Each manager starts a round of Qt's network-configuration polling, whose ten-second timer
// then wakes the process once after every request. Requests never choose a configuration, so
// that timer is made as long as a timer can be (unless the environment already chose one).
std::unique_ptr<QNetworkAccessManager> newManager() {
    static const bool quiet = [] {
        const char* const interval = "QT_BEARER_POLL_TIMEOUT";
        return qEnvironmentVariableIsSet(interval) ||
               qputenv(interval, QByteArray::number(std::numeric_limits<int>::max()));
    }();
    Q_UNUSED(quiet)
    return std::make_unique<QNetworkAccessManager>();
}

QString mebibytes(qint64 bytes) {
    return QString::number(bytes / (1024.0 * 1024.0));
}

// The URL as it may be printed: no password, and only the start of the operator identifier.
QString shownUrl(QUrl url) {
    QUrlQuery query(url);
    QUrlQuery shown;
    for (const auto& item : query.queryItems(QUrl::FullyDecoded)) {
        QString value = item.second;
        if (item.first == hiddenField) {
            value = QStringLiteral("***");
        } else if (shortenedFields.contains(item.first) && value.size() > shownIdLength) {
            value = value.left(shownIdLength) + QChar(0x2026);
        }
        shown.addQueryItem(item.first, value);
    }
    if (!query.isEmpty()) {
        url.setQuery(shown);
    }
    return url.toDisplayString();
}

// The network layer's error texts name the whole URL, query included, in its decoded form.
QString withoutSecrets(QString text, const QUrl& url) {
    const QString shown = shownUrl(url);
    for (const QString& form : {url.toString(), url.toDisplayString()}) {
        text.replace(form, shown);
    }
    return text;
}

// QUrlQuery keeps '+' and an existing "%XX" as they are, but form decoding on the site
// reads '+' as a blank and "%XX" as an escape: the operator's text would arrive changed.
QString formSafe(QString text) {
    return text.replace(QLatin1Char('%'), QLatin1String("%25"))
        .replace(QLatin1Char('+'), QLatin1String("%2B"));
}

// Asks for the encodings Qt asks for, but leaves the unpacking to ReplyInflater. A caller's own
// Accept-Encoding keeps the body as it came, as it does with Qt.
QNetworkRequest unpackingHere(QNetworkRequest request) {
    if (!request.hasRawHeader(acceptEncoding)) {
        request.setRawHeader(acceptEncoding, QByteArrayLiteral("gzip, deflate"));
        request.setAttribute(unpackedHere, true);
    }
    return request;
}
} // namespace

VLRequest::VLRequest(QNetworkProxy* proxy)
    : url(std::make_unique<QUrl>())
    , query(std::make_unique<QUrlQuery>())
    , manager(newManager())
    , loop(new QEventLoop(this))
    , maximumReplySize(defaultMaximumReplySize) {
    // Redirects are followed by exec() and download() themselves, under their own rules.
    manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    QNetworkRequest::setTransferTimeout(defaultTransferTimeoutMs);
    connect(manager.get(), &QNetworkAccessManager::finished, this, &VLRequest::requestFinished);
    if (proxy) {
        setProxy(proxy);
    }
}

VLRequest::~VLRequest() = default;

void VLRequest::setRequestUrl(QString address) {
    url->setUrl(address, QUrl::TolerantMode);
}

void VLRequest::addQueryItem(QString key, QString value) {
    query->addQueryItem(formSafe(key), formSafe(value));
}

bool VLRequest::setMethod(QString name) {
    if (name != QLatin1String("post") && name != QLatin1String("get") &&
        name != QLatin1String("put")) {
        return false;
    }
    method = name;
    return true;
}

void VLRequest::addHeader(QByteArray name, QByteArray value) {
    setRawHeader(name, value);
}

void VLRequest::addHeader(QString name, QString value) {
    addHeader(utf8UpToNul(name), utf8UpToNul(value));
}

void VLRequest::setProxy(QNetworkProxy* proxy) {
    if (proxy) {
        manager->setProxy(*proxy);
    }
}

void VLRequest::setTransferTimeout(int milliseconds) {
    QNetworkRequest::setTransferTimeout(milliseconds);
}

void VLRequest::setMaximumReplySize(qint64 bytes) {
    maximumReplySize = qMax<qint64>(0, bytes);
}

void VLRequest::exec() {
    url->setQuery(*query);
    setUrl(*url);
    if (!startExchange()) {
        return;
    }
    methodCharger(*this);
    followRedirects(std::nullopt);
}

void VLRequest::post(QByteArray body) {
    const QNetworkRequest request = directRequest();
    waitFor(manager->post(request, body));
}

void VLRequest::put(QByteArray body) {
    const QNetworkRequest request = directRequest();
    waitFor(manager->put(request, body));
}

void VLRequest::put(QIODevice* body) {
    const QNetworkRequest request = directRequest();
    waitFor(manager->put(request, body));
}

void VLRequest::deleteResource() {
    const QNetworkRequest request = directRequest();
    waitFor(manager->deleteResource(request));
}

void VLRequest::download(QString address) {
    setUrl(QUrl(address, QUrl::TolerantMode));
    if (!startExchange()) {
        return;
    }
    methodCharger(*this);
    followRedirects(std::nullopt);
}

void VLRequest::download(QString address, QString fileName) {
    setUrl(QUrl(address, QUrl::TolerantMode));
    if (!startExchange()) {
        return;
    }
    methodCharger(*this, fileName);
    followRedirects(fileName);
}

bool VLRequest::replyOK() {
    return replyError == QNetworkReply::NoError;
}

QByteArray VLRequest::readReplyText() {
    return replyText;
}

QByteArray VLRequest::replyContentType() const {
    for (const auto& header : replyHeaders) {
        if (header.first.compare("content-type", Qt::CaseInsensitive) == 0) {
            return header.second;
        }
    }
    return QByteArray();
}

void VLRequest::printReplyError() {
    qStdOut() << replyErrorString << Qt::endl;
}

void VLRequest::VLsetCookieJar(QNetworkCookieJar* jar) {
    manager->setCookieJar(jar);
}

QJsonObject VLRequest::cookieToJSON() {
    QJsonObject result;
    const QList<QNetworkCookie> cookies =
        manager->cookieJar()->cookiesForUrl(QUrl(replyUrl, QUrl::TolerantMode));
    for (const QNetworkCookie& cookie : cookies) {
        const QString value = SiteApi::replyText(cookie.value());
        result.insert(SiteApi::replyText(cookie.name()), value.isEmpty() ? QJsonValue() : value);
    }
    return result;
}

bool VLRequest::cookieFromJSON(QJsonObject cookies) {
    const QUrl target = replyUrl.isEmpty() ? *url : QUrl(replyUrl, QUrl::TolerantMode);
    if (target.host().isEmpty()) {
        return false;
    }
    QList<QNetworkCookie> imported;
    for (auto member = cookies.constBegin(); member != cookies.constEnd(); ++member) {
        if (!member.value().isString() && !member.value().isNull()) {
            return false;
        }
        // No domain: the jar binds the cookie to the target's host alone.
        QNetworkCookie cookie(member.key().toUtf8(), member.value().toString().toUtf8());
        cookie.setPath(QStringLiteral("/"));
        imported.append(cookie);
    }
    manager->cookieJar()->setCookiesFromUrl(imported, target);
    return true;
}

void VLRequest::requestFinished(QNetworkReply* reply) {
    if (downloadFile) {
        doReadyRead();
        downloadFile->close();
        downloadFile.reset();
    }
    takeBody(reply);
    replyHeaders = reply->rawHeaderPairs();
    // An aborted reply is closed, and what it brought is no answer.
    replyText = reply->isOpen() && abort == Abort::None ? received : QByteArray();
    received.clear();
    replyError = reply->error();
    replyErrorString = withoutSecrets(reply->errorString(), reply->url());
    httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // The last piece may pass the limit after the reply has finished, too late to abort it.
    if (replyError == QNetworkReply::OperationCanceledError || abort == Abort::TooLarge ||
        abort == Abort::Undecodable) {
        recordAbort(reply);
    }
    redirectTarget = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    replyUrl = reply->url().toString();
}

void VLRequest::doDownloadProgress(qint64 avail, qint64 total) {
    Q_UNUSED(avail)
    Q_UNUSED(total)
}

void VLRequest::doReadyRead() {
    if (downloadFile && downloadReply) {
        takeBody(downloadReply);
    }
}

void VLRequest::methodCharger(QNetworkRequest request) {
    if (QNetworkReply* reply = issue(request)) {
        waitFor(reply);
    }
}

void VLRequest::methodCharger(QNetworkRequest request, QString fileName) {
    // Opened afresh for every reply of a redirect chain, so the file ends with the last body only.
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::WriteOnly)) {
        failWithoutSending(QNetworkReply::UnknownNetworkError,
                           QStringLiteral("No request sent: cannot open \"%1\" for writing: %2")
                               .arg(fileName, file->errorString()));
        return;
    }
    downloadFile = std::move(file);
    downloadReply = issue(request);
    if (!downloadReply) {
        downloadFile.reset();
        return;
    }
    connect(downloadReply, &QNetworkReply::downloadProgress, this, &VLRequest::doDownloadProgress);
    connect(downloadReply, &QNetworkReply::readyRead, this, &VLRequest::doReadyRead);
    waitFor(downloadReply);
}

QNetworkReply* VLRequest::issue(QNetworkRequest request) {
    request = unpackingHere(request);
    if (method == QLatin1String("get")) {
        return manager->get(request);
    }
    if (method == QLatin1String("post")) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        return manager->post(request, query->query().toUtf8());
    }
    return nullptr;
}

void VLRequest::waitFor(QNetworkReply* reply) {
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, reply, [this, reply] {
        abort = Abort::ExchangeLimit;
        reply->abort();
    });
    deadline.start(static_cast<int>(qMax<qint64>(0, exchangeDeadline.remainingTime())));
    limitSize(reply);
    connect(reply, &QNetworkReply::finished, loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop->exec(QEventLoop::AllEvents);
    }
    // The loop also ends when the application quits; an unfinished reply is no answer.
    if (!reply->isFinished()) {
        abort = Abort::Interrupted;
        reply->abort();
        replyText.clear();
        recordAbort(reply);
    }
    if (reply == downloadReply) {
        downloadReply = nullptr;
    }
    delete reply;
}

void VLRequest::limitSize(QNetworkReply* reply) {
    drainedBytes = 0;
    received.clear();
    inflater.reset();
    reply->setReadBufferSize(readAheadBytes);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { takeBody(reply); });
}

// Every arrival is taken out of the reply at once and unpacked no further than the limit.
void VLRequest::takeBody(QNetworkReply* reply) {
    if (!reply->isOpen() || abort != Abort::None) {
        return;
    }
    if (!inflater) {
        const bool unpack = reply->request().attribute(unpackedHere).toBool();
        inflater = std::make_unique<ReplyInflater>(
            unpack ? reply->rawHeader(QByteArrayLiteral("Content-Encoding")) : QByteArray());
    }
    QByteArray bytes;
    const bool valid = inflater->inflate(reply->readAll(), &bytes,
                                         maximumReplySize - drainedBytes - received.size());
    if (downloadFile && reply == downloadReply) {
        drainedBytes += bytes.size();
        downloadFile->write(bytes);
    } else {
        received += bytes;
    }
    if (!valid || drainedBytes + received.size() > maximumReplySize) {
        abort = valid ? Abort::TooLarge : Abort::Undecodable;
        reply->abort();
    }
}

QNetworkRequest VLRequest::directRequest() {
    url->setQuery(*query);
    setUrl(*url);
    exchangeDeadline.setRemainingTime(exchangeLimitMs);
    abort = Abort::None;
    return unpackingHere(*this);
}

bool VLRequest::startExchange() {
    if (method != QLatin1String("get") && method != QLatin1String("post")) {
        failWithoutSending(
            QNetworkReply::ProtocolInvalidOperationError,
            method.isEmpty()
                ? QStringLiteral("No request sent: no method set (\"get\" or \"post\" is needed)")
                : QStringLiteral("No request sent: the method \"%1\" issues no request here "
                                 "(\"get\" or \"post\" is needed)")
                      .arg(method));
        return false;
    }
    exchangeDeadline.setRemainingTime(exchangeLimitMs);
    abort = Abort::None;
    exchangeHost = QNetworkRequest::url().host();
    return true;
}

void VLRequest::followRedirects(const std::optional<QString>& fileName) {
    for (int followed = 0; !redirectTarget.isNull() && replyOK(); ++followed) {
        if (followed == maximumRedirects) {
            fail(QNetworkReply::TooManyRedirectsError,
                 QStringLiteral("More than %1 redirects: the site's redirect chain was not "
                                "followed further")
                     .arg(maximumRedirects));
            return;
        }
        QUrl target = QUrl(replyUrl, QUrl::TolerantMode).resolved(redirectTarget.toUrl());
        target.setUserInfo(QString());
        target.setFragment(QString());
        if (refuseRedirect(target)) {
            return;
        }
        QNetworkRequest followUp(target);
        followUp.setTransferTimeout(transferTimeout());
        if (fileName) {
            methodCharger(followUp, *fileName);
        } else {
            methodCharger(followUp);
        }
    }
}

bool VLRequest::refuseRedirect(const QUrl& target) {
    const QString scheme = target.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        fail(QNetworkReply::ProtocolUnknownError,
             QStringLiteral("Redirect to \"%1\" refused: only http and https addresses are "
                            "followed")
                 .arg(shownUrl(target)));
        return true;
    }
    // The fields carry the site's password and the operator's identifier: only the host the
    // operator typed may receive them.
    if (target.host().compare(exchangeHost, Qt::CaseInsensitive) != 0) {
        fail(QNetworkReply::ContentAccessDenied,
             QStringLiteral("Redirect to \"%1\" refused: it leaves %2, the host the request was "
                            "addressed to; use the address the site redirects to instead")
                 .arg(shownUrl(target), exchangeHost));
        return true;
    }
    if (scheme == QLatin1String("http") &&
        QUrl(replyUrl, QUrl::TolerantMode).scheme() == QLatin1String("https")) {
        fail(QNetworkReply::InsecureRedirectError,
             QStringLiteral("Redirect from https to http refused: \"%1\"").arg(shownUrl(target)));
        return true;
    }
    return false;
}

void VLRequest::recordAbort(const QNetworkReply* reply) {
    switch (abort) {
    case Abort::TooLarge:
        fail(QNetworkReply::UnknownContentError,
             QStringLiteral("The site's reply passed the limit of %1 MiB and was not read further")
                 .arg(mebibytes(maximumReplySize)));
        return;
    case Abort::Undecodable:
        fail(QNetworkReply::UnknownContentError,
             QStringLiteral("The site's reply is not the gzip or deflate data it claims to be"));
        return;
    case Abort::Interrupted:
        fail(QNetworkReply::OperationCanceledError,
             QStringLiteral("The wait for the site was interrupted before its reply arrived"));
        return;
    case Abort::ExchangeLimit:
        fail(QNetworkReply::TimeoutError,
             QStringLiteral("The site did not finish answering within %1 seconds")
                 .arg(seconds(exchangeLimitMs)));
        return;
    case Abort::None:
        // Qt's own transfer time-out is the one other thing that cancels a reply.
        fail(QNetworkReply::TimeoutError,
             QStringLiteral("The site did not answer within %1 seconds")
                 .arg(seconds(reply->request().transferTimeout())));
        return;
    }
}

void VLRequest::fail(int error, const QString& text) {
    httpStatus = 0;
    replyError = error;
    replyErrorString = text;
}

void VLRequest::failWithoutSending(int error, const QString& text) {
    replyText.clear();
    replyHeaders.clear();
    redirectTarget.clear();
    fail(error, text);
}
