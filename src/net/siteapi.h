#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

// The rules every exchange with the site's scripts under "/vorlan/" follows.
namespace SiteApi {

using Fields = QVector<QPair<QString, QString>>;

struct Reply {
    bool ok = false;
    QString errorString;
    QString text;
    int error = 0;      // QNetworkReply::NetworkError of a failed exchange
    int httpStatus = 0; // the site's HTTP status, 0 when none came
    QString contentType;
    // The reply's headers, names as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    // The text parsed, by postForJson(); empty where it is not a JSON array or object.
    QJsonDocument json;
    // The site answered with a body that is not JSON at all (a maintenance page, a proxy's
    // text): no answer of its API, so the exchange failed.
    bool notApi = false;
};

// Posts `fields` (then "apiVer" = "1") to `siteAddress` + "/vorlan/" + `script` and waits.
// A failed exchange is written as one line to standard output.
Reply post(const QString& siteAddress, const QString& script, const Fields& fields);

// Posts as post() does, and also fails when the site answers with a non-empty body that is not
// JSON at all; the list, a take and a close read their replies this way.
Reply postForJson(const QString& siteAddress, const QString& script, const Fields& fields);

// The reply body as text: UTF-8 up to the first zero byte.
QString replyText(const QByteArray& body);
// Whether the text is empty or one JSON value; `parsed`, if given, receives the text parsed as a
// JSON document (empty unless it is an array or an object).
bool isJsonOrEmpty(const QString& text, QJsonDocument* parsed = nullptr);
// Whether the text carries the site's failure envelope ({"result" written without blanks).
bool isEnvelope(const QString& text);
// The text parsed as JSON; anything unparsable is an empty document.
QJsonDocument parse(const QString& text);
// "result" of the reply object read as a JSON string (empty if it is not one).
QString resultText(const QString& text);
// "result" of the reply object read as a whole number (0 if it is not one).
int resultNumber(const QString& text);
// "descr" of the reply object as text, as it may be shown.
QString description(const QString& text);

// Whether the error means that no connection to the site (or its proxy) could be made or kept.
bool isNoConnection(int error);

} // namespace SiteApi
