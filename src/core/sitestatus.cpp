#include "core/sitestatus.h"

#include "net/sitetext.h"

#include <QLocale>
#include <QNetworkReply>

namespace {
// Long enough to be read after the click that caused it, short enough not to linger all day.
constexpr int noticeLifetimeMs = 60000;

QString moment(const QDateTime& when) {
    const QLocale locale;
    return when.date() == QDate::currentDate() ? locale.toString(when.time(), QLocale::ShortFormat)
                                               : locale.toString(when, QLocale::ShortFormat);
}

} // namespace

SiteStatus::SiteStatus(QObject* parent)
    : QObject(parent) {
    noticeExpiry.setSingleShot(true);
    noticeExpiry.setInterval(noticeLifetimeMs);
    connect(&noticeExpiry, &QTimer::timeout, this, [this] { setNotice(QString()); });
}

QString SiteStatus::summary() const {
    if (busy()) {
        return tr("Getting data from the site…");
    }
    const QString how = delivery();
    const QString now = state();
    if (how.isEmpty() || now.isEmpty()) {
        return now + how;
    }
    return now + QStringLiteral(" · ") + how;
}

QString SiteStatus::delivery() const {
    switch (channel) {
    case Channel::Live:
        return tr("Changes arrive instantly");
    case Channel::Down:
        return tr("Instant arrival is down since %1; changes arrive at each minute's poll")
            .arg(moment(channelDownSince));
    case Channel::Absent:
        break;
    }
    return QString();
}

QString SiteStatus::state() const {
    if (failing.isValid()) {
        switch (failingHow) {
        case Failure::Refused:
            return tr("The site refuses the list since %1: %2").arg(moment(failing), failureText);
        case Failure::NotApi:
            return tr("The site answers wrongly since %1: %2").arg(moment(failing), failureText);
        case Failure::Unreachable:
            break;
        }
        return tr("Site unreachable since %1: %2").arg(moment(failing), failureText);
    }
    if (updated.isValid()) {
        return tr("Up to date at %1").arg(moment(updated));
    }
    return QString();
}

void SiteStatus::requestStarted() {
    ++requestsUnderWay;
    emit changed();
}

void SiteStatus::requestEnded() {
    --requestsUnderWay;
    emit changed();
}

void SiteStatus::listReceived(int pendingCalls) {
    updated = QDateTime::currentDateTime();
    failing = QDateTime();
    failureText.clear();
    failingHow = Failure::Unreachable;
    pending = pendingCalls;
    emit changed();
}

void SiteStatus::eventReceived(int pendingCalls) {
    pending = pendingCalls;
    emit changed();
}

void SiteStatus::channelLive() {
    channel = Channel::Live;
    channelDownSince = QDateTime();
    emit changed();
}

void SiteStatus::channelDown() {
    if (channel == Channel::Down) {
        return;
    }
    channel = Channel::Down;
    channelDownSince = QDateTime::currentDateTime();
    emit changed();
}

void SiteStatus::channelAbsent() {
    if (channel == Channel::Absent) {
        return;
    }
    channel = Channel::Absent;
    channelDownSince = QDateTime();
    emit changed();
}

void SiteStatus::listRefused(const QString& description) {
    fail(SiteText::isolated(description), Failure::Refused);
}

void SiteStatus::exchangeFailed(const SiteApi::Reply& reply) {
    fail(reasonOf(reply), reply.notApi ? Failure::NotApi : Failure::Unreachable);
}

void SiteStatus::fail(const QString& reason, Failure how) {
    if (!failing.isValid()) {
        failing = QDateTime::currentDateTime();
    }
    failureText = reason;
    failingHow = how;
    emit changed();
}

void SiteStatus::actionStarted() {
    setNotice(QString());
}

void SiteStatus::actionUnreachable(Action action, const SiteApi::Reply& reply) {
    exchangeFailed(reply);
    setNotice((action == Action::Take ? tr("Could not reach the site to take the request (%1). "
                                           "Try again.")
                                      : tr("Could not reach the site (%1). Try again."))
                  .arg(reasonOf(reply)));
}

void SiteStatus::actionRefused(Action action, const QString& description) {
    setNotice(
        (action == Action::Take ? tr("The site did not hand over the request: %1")
                                : tr("The site refused the result: %1"))
            .arg(description.isEmpty() ? tr("no reason given") : SiteText::isolated(description)));
}

void SiteStatus::setNotice(const QString& text) {
    if (text.isEmpty()) {
        noticeExpiry.stop();
    } else {
        noticeExpiry.start();
    }
    if (text == noticeText) {
        return;
    }
    noticeText = text;
    emit changed();
}

QString SiteStatus::reasonOf(const SiteApi::Reply& reply) {
    if (reply.notApi) {
        return tr("the site answered something that is not its API (HTTP %1, %2)")
            .arg(QString::number(reply.httpStatus),
                 reply.contentType.isEmpty() ? tr("no content type") : reply.contentType);
    }
    if (reply.error == QNetworkReply::TimeoutError ||
        reply.error == QNetworkReply::OperationCanceledError) {
        return tr("timed out");
    }
    if (reply.httpStatus >= 400) {
        return tr("HTTP status %1").arg(reply.httpStatus);
    }
    if (SiteApi::isNoConnection(reply.error)) {
        return tr("no connection: %1").arg(reply.errorString);
    }
    return reply.errorString;
}
