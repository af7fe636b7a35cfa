#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

class XHelper;

// The workplace's registration with the site, kept as members of vorlan.conf:
// "server" (the site address as typed), "operatorID" and "workplace" (the description).
class Workplace final {
public:
    static Workplace load(XHelper& helper);

    bool isRegistered() const;
    // Whether vorlan.conf exists but does not hold a JSON object; it is then left untouched.
    bool isConfUnreadable() const { return confUnreadable; }
    QString server() const;
    QString operatorID() const;
    QString name() const;

    // The `workplace` object published to the main-window document.
    QVariantMap contextObject() const;

    // Stores a successful registration, keeping the file's other members.
    static bool store(XHelper& helper, const QString& server, const QString& operatorID,
                      const QString& name);

private:
    QJsonObject conf;
    bool confUnreadable = false;
};
