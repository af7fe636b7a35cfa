#include "core/calltable.h"
#include "net/siteapi.h"
#include "net/sitetext.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// One input is a run of site replies, separated by "\n--\n", handled the way a running client
// handles them: each goes through the reply text, the envelope test and every reading of
// "result"; a poll reply that is no envelope is merged into the one call table of the run.
namespace {

const char separator[] = "\n--\n";
const std::size_t separatorLength = sizeof(separator) - 1;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// After a merge the table holds exactly the listed ids; a call takes the status of its last
// listing as it may be shown, a call that was already known keeps everything else it had, and
// no text of a record can break a line or turn the text around it.
void checkMerge(const CallTable& before, const CallTable& after, const QJsonArray& list) {
    QHash<QString, QString> lastStatus;
    for (const QJsonValue& value : list) {
        const QJsonObject element = value.toObject();
        lastStatus.insert(element.value(QLatin1String("id")).toString(),
                          SiteText::shown(element.value(QLatin1String("status")).toString()));
    }
    require(after.size() == lastStatus.size());
    for (auto it = after.begin(); it != after.end(); ++it) {
        require(lastStatus.contains(it.key()));
        require(it->value(QLatin1String("callID")).toString() == it.key());
        require(it->value(QLatin1String("status")).toString() == lastStatus.value(it.key()));
        for (const QString& key : {QStringLiteral("cr_date"), QStringLiteral("name"),
                                   QStringLiteral("phone"), QStringLiteral("status")}) {
            require(SiteText::isPlain(it->value(key).toString()));
        }
        const auto known = before.find(it.key());
        if (known != before.end()) {
            for (const QString& key :
                 {QStringLiteral("cr_date"), QStringLiteral("name"), QStringLiteral("phone")}) {
                require(it->value(key) == known->value(key));
            }
        }
    }
}

void handleReply(CallTable& calls, const QByteArray& body) {
    const QString text = SiteApi::replyText(body);
    require(!text.contains(QChar(0)));
    SiteApi::resultText(text);
    SiteApi::resultNumber(text);
    if (SiteApi::isEnvelope(text)) {
        SiteApi::description(text);
        return;
    }
    const QJsonArray list = SiteApi::parse(text).array();
    const CallTable before = calls;
    CallRecords::merge(calls, list);
    checkMerge(before, calls, list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* begin = reinterpret_cast<const char*>(data);
    const char* const end = begin + size;
    CallTable calls;
    while (true) {
        const char* next = std::search(begin, end, separator, separator + separatorLength);
        handleReply(calls, QByteArray(begin, static_cast<int>(next - begin)));
        if (next == end) {
            break;
        }
        begin = next + separatorLength;
    }
    return 0;
}
