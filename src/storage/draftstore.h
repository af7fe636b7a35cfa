#pragma once

#include <QObject>
#include <QString>

// The results typed into conversations and not yet confirmed by the site: one owner-only file
// per call, replaced atomically, so neither a closed dialog nor a restart loses one.
// Published to the documents as "drafts".
class DraftStore final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(DraftStore)

public:
    explicit DraftStore(const QString& directory, QObject* parent = nullptr);

    Q_INVOKABLE QString text(const QString& callID) const;
    // Keeps `text` as the call's draft; an empty text removes it.
    Q_INVOKABLE bool keep(const QString& callID, const QString& text);
    Q_INVOKABLE bool has(const QString& callID) const;
    void remove(const QString& callID);

    QString pathFor(const QString& callID) const;

private:
    const QString directory;
};
