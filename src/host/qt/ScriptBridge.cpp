#include "host/qt/ScriptBridge.h"

#include "platform/Log.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>

namespace tlx::host {

QByteArray ResourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LogError("ScriptBridge",
                 "the resource " + path.toStdString() + " is missing from the program");
        return QByteArray();
    }
    return file.readAll();
}

void InstallScriptBridge(QWebEnginePage& page, QObject& object, const QStringList& scripts) {
    auto* channel = new QWebChannel(&page);
    channel->registerObject(QStringLiteral("bridge"), &object);
    page.setWebChannel(channel, kProgramScriptWorld);

    // One script, so that its parts run in order and before anything of the page.
    QByteArray source = ResourceText(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    source += '\n';
    source += ResourceText(QStringLiteral(":/tlx/bridge.js"));
    for (const QString& script : scripts) {
        source += '\n';
        source += ResourceText(script);
    }
    QWebEngineScript injected;
    injected.setName(QStringLiteral("tlx-bridge"));
    injected.setWorldId(kProgramScriptWorld);
    injected.setInjectionPoint(QWebEngineScript::DocumentCreation);
    injected.setRunsOnSubFrames(false);
    injected.setSourceCode(QString::fromUtf8(source));
    page.scripts().insert(injected);
}

} // namespace tlx::host
