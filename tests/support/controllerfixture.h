#pragma once

#include "controllerseam.h"
#include "gui/gui.h"
#include "testhttpserver.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <memory>

// A controller started the way the program starts it, against a loopback site, with a
// main-window document (the recording one unless told otherwise) whose calls the test reads.
class ControllerFixture {
public:
    // Records every function the controller invokes on it; its getters and isVisible answer
    // from the context property "testSettings".
    static QByteArray recordingDocument();

    // A new site on loopback; nothing is started.
    bool listenSite();
    // The settings default to the site's address, the operator "{op-1}" and a shown window;
    // the context property "workplace" carries the first two, as the program publishes them.
    void start(const QVariantMap& settings = {}, const QByteArray& document = recordingDocument());
    // The controller first (it takes its timer and tray icon along), then the site.
    void tearDown();

    QStringList log() const;
    void clearLog();
    // The records appended to the caller list since it was last cleared; none if never drawn.
    QList<QJsonObject> shownRecords() const;
    QList<TestHttpServer::Request> requestsTo(const QByteArray& path) const;
    ControllerSeam inside() const { return ControllerSeam(*gui); }

    std::unique_ptr<TestHttpServer> site;
    std::unique_ptr<GUI> gui;
    QObject* document = nullptr;
};
