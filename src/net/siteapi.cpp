#include "net/siteapi.h"

#include "net/qstdout.h"
#include "net/sitetext.h"
#include "net/vlrequest.h"

#include <QJsonObject>
#include <QNetworkReply>
#include <QTextStream>
#include <QUrl>

#include <memory>

namespace SiteApi {

Reply post(const QString& siteAddress, const QString& script, const Fields& fields) {
    auto request = std::make_unique<VLRequest>(nullptr);
    request->setRequestUrl(siteAddress + QStringLiteral("/vorlan/") + script);
    request->setMethod(QStringLiteral("post"));
    for (const auto& field : fields) {
        request->addQueryItem(field.first, field.second);
    }
    request->addQueryItem(QStringLiteral("apiVer"), QStringLiteral("1"));
    request->exec();

    Reply reply;
    reply.ok = request->replyOK();
    reply.httpStatus = request->replyHttpStatus();
    reply.contentType = QString::fromLatin1(request->replyContentType());
    reply.headers = request->replyHeaderPairs();
    if (reply.ok) {
        reply.text = replyText(request->replyText);
    } else {
        reply.errorString = request->replyErrorString;
        reply.error = request->replyErrorCode();
        request->printReplyError();
    }
    return reply;
}

Reply postForJson(const QString& siteAddress, const QString& script, const Fields& fields) {
    Reply reply = post(siteAddress, script, fields);
    if (reply.ok && !isJsonOrEmpty(reply.text, &reply.json)) {
        reply.ok = false;
        reply.notApi = true;
        reply.errorString =
            QStringLiteral("%1 answered something that is not the site's API (HTTP %2, %3)")
                .arg(QUrl(siteAddress + QStringLiteral("/vorlan/") + script, QUrl::TolerantMode)
                         .toDisplayString(QUrl::RemoveUserInfo),
                     QString::number(reply.httpStatus),
                     reply.contentType.isEmpty() ? QStringLiteral("no content type")
                                                 : reply.contentType);
        qStdOut() << reply.errorString << Qt::endl;
    }
    return reply;
}

bool isJsonOrEmpty(const QString& text, QJsonDocument* parsed) {
    if (text.trimmed().isEmpty()) {
        return true;
    }
    const QByteArray bytes = text.toUtf8();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (parsed) {
        *parsed = document;
    }
    // Nesting deeper than the parser goes is JSON all the same, read as an empty document.
    const auto isJson = [&error] {
        return error.error == QJsonParseError::NoError ||
               error.error == QJsonParseError::DeepNesting;
    };
    if (isJson()) {
        return true;
    }
    // A bare number, string, true, false or null is JSON too; Qt reads them inside a list only.
    QJsonDocument::fromJson('[' + bytes + ']', &error);
    return isJson();
}

QString replyText(const QByteArray& body) {
    const int zero = body.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? body : body.left(zero));
}

bool isEnvelope(const QString& text) {
    return text.contains(QLatin1String("{\"result"));
}

QJsonDocument parse(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8());
}

QString resultText(const QString& text) {
    return parse(text).object().value(QLatin1String("result")).toString();
}

int resultNumber(const QString& text) {
    return parse(text).object().value(QLatin1String("result")).toInt(0);
}

QString description(const QString& text) {
    return SiteText::shown(parse(text).object().value(QLatin1String("descr")).toString());
}

bool isNoConnection(int error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

} // namespace SiteApi
