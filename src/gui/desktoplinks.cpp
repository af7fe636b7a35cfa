#include "gui/desktoplinks.h"

#include "net/qstdout.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QTextStream>
#include <QUrl>

namespace {
// How long the desktop may take to say whether it has a program for tel: addresses.
constexpr int dialQueryMs = 3000;

const QStringList launchableSchemes{QStringLiteral("tel"),  QStringLiteral("callto"),
                                    QStringLiteral("sip"),  QStringLiteral("mailto"),
                                    QStringLiteral("http"), QStringLiteral("https")};
} // namespace

namespace DesktopLinks {

void open(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (!launchableSchemes.contains(url.scheme())) {
        qStdOut() << "Not opening \"" << url.toDisplayString()
                  << "\": only tel:, callto:, sip:, mailto:, http: and https: addresses are opened"
                  << Qt::endl;
        return;
    }
    QDesktopServices::openUrl(url);
}

bool dial(const QString& phone) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForFinished(dialQueryMs) || query.readAllStandardOutput().trimmed().isEmpty()) {
        return false;
    }
    open(QStringLiteral("tel:") + phone);
    return true;
}

} // namespace DesktopLinks
