#pragma once
// The one way between the program and the scripts it runs in its web views.
//
// The program's scripts run in a script world of their own: they see the page's document (its
// elements, events and styles) but none of the page's own scripts' variables, and the page's
// scripts see none of theirs. That world alone holds the web channel, whose one object (a
// QObject of the view) is how the scripts report to the program: its invokable methods are the
// messages and their arguments are typed. Nothing a page's script does (writing to the console,
// setting its title, defining globals) reaches the program.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWebEngineScript>

class QObject;
class QWebEnginePage;

namespace tlx::host {

// The world the program's scripts run in (never the page's main world).
inline constexpr quint32 kProgramScriptWorld = QWebEngineScript::ApplicationWorld;

// Gives `page` a web channel carrying `object` in the program's script world, and runs there,
// in each document of the main frame as soon as it is created, Qt's channel script, then
// "bridge.js" (which connects to the channel), then each of `scripts` (resource paths, in
// order). The scripts reach the object as `tlxBridge(function (object) { ... })`.
// The channel is owned by `page`.
void InstallScriptBridge(QWebEnginePage& page, QObject& object, const QStringList& scripts);

// The text of a resource of the program; empty (and said in the log) when it is missing.
QByteArray ResourceText(const QString& path);

} // namespace tlx::host
