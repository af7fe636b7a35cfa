#pragma once

#include <QJsonObject>
#include <QObject>

// The per-user directory ~/.vorlan and the JSON configuration file in it.
class XHelper : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(XHelper)

public:
    explicit XHelper(QObject* parent = nullptr);

    QString homeDir();
    QString getHomeDir();
    bool writeConf(QJsonObject conf);
    QString readConf();

    QString confPath();
    // Why ~/.vorlan (or the file of it at `path`) must not be trusted: a symbolic link, owned
    // by someone else, or writable by group or others. Empty when it may be read.
    QString distrust(const QString& path = QString());
};
