#pragma once

#include <QString>
#include <QStringList>

// The calls last announced at this workplace, kept across restarts for each registration (site
// and operator identifier), so that a restart announces only what arrived meanwhile.
class AnnouncedCalls final {
public:
    explicit AnnouncedCalls(const QString& directory);

    // The registration whose calls are read and kept from now on.
    void setRegistration(const QString& site, const QString& operatorID);

    // The identifiers in key order; none when nothing was kept or the file cannot be read.
    QStringList load() const;
    // Replaces the kept identifiers, owner-only and atomically.
    bool store(const QStringList& callIDs) const;

private:
    const QString directory;
    QString path;
};
