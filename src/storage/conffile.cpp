#include "storage/conffile.h"

#include "storage/xhelper.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace ConfFile {

QJsonObject read(XHelper& helper, bool* readable) {
    const QString text = helper.readConf();
    if (!QFileInfo::exists(helper.confPath())) {
        *readable = true;
        return QJsonObject();
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    *readable = error.error == QJsonParseError::NoError && document.isObject();
    return document.object();
}

bool update(XHelper& helper, const QJsonObject& members, bool overwriteUnreadable) {
    bool readable = false;
    QJsonObject conf = read(helper, &readable);
    if (!readable && !overwriteUnreadable) {
        return false;
    }
    for (auto member = members.begin(); member != members.end(); ++member) {
        conf.insert(member.key(), member.value());
    }
    return helper.writeConf(conf);
}

} // namespace ConfFile
