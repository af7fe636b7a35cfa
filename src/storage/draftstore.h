#pragma once

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

// The results typed into conversations and not yet confirmed by the site: one owner-only file
// per call, replaced atomically, so neither a closed dialog nor a restart loses one. Drafts
// belong to one registration (site and operator identifier): another registration's call of
// the same identifier never opens with them. Published to the documents as "drafts".
class DraftStore final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(DraftStore)

public:
    explicit DraftStore(const QString& directory, QObject* parent = nullptr);

    // The registration whose drafts are read and written from now on; drafts kept before
    // drafts had an owner become its own.
    void setRegistration(const QString& site, const QString& operatorID);

    Q_INVOKABLE QString text(const QString& callID) const;
    // Keeps `text` as the call's draft; an empty text removes it. False when it was not saved.
    Q_INVOKABLE bool keep(const QString& callID, const QString& text);
    Q_INVOKABLE bool has(const QString& callID) const;
    void remove(const QString& callID);

    // The site listed these calls: their drafts live on, and any draft whose call has not been
    // listed for a week is dropped. Gives the listed calls that have a draft.
    QSet<QString> noteListed(const QStringList& callIDs, const QDateTime& now);

    QString pathFor(const QString& callID) const;

private:
    QString fileNameFor(const QString& callID) const;
    void adoptUnownedDrafts();

    const QString directory;
    QString owner;
};
