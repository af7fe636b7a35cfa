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
};
