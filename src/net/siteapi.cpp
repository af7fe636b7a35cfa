#include "net/siteapi.h"

#include "net/vlrequest.h"

#include <QJsonObject>

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
    if (reply.ok) {
        reply.text = replyText(request->replyText);
    } else {
        reply.errorString = request->replyErrorString;
        reply.error = request->replyErrorCode();
        reply.httpStatus = request->replyHttpStatus();
        request->printReplyError();
    }
    return reply;
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
    return parse(text).object().value(QLatin1String("descr")).toString();
}

} // namespace SiteApi
