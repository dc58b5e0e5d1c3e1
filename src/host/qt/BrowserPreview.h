#pragma once
// File > Preview in Browser: the page as a visitor's browser shows the published web, served
// to the user's own browser from a loopback server of its own (random path prefix, the same
// checks as the rendering's server). Pages get the script element publishing adds, with the
// player's folder relative to them; the web's files are neither copied nor changed, and an
// open page is served with its unsaved text.

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

namespace tlx::host {

class WebServer;

// (No signals or slots of its own, so no meta-object.)
class BrowserPreview : public QObject {
public:
    // The text of a page open in the editor that is served at (mount, path); nothing for a
    // page that is not open.
    using OpenPageText =
        std::function<std::optional<std::string>(const QString& mount, const QString& path)>;

    BrowserPreview(OpenPageText openPageText, QObject* parent = nullptr);
    ~BrowserPreview() override;

    // The address of the page at `path` (relative, "/" between names) of `folder`, served
    // under `mount`; empty when the server cannot listen.
    QUrl addressFor(const QString& mount, const QString& folder, const QString& path);

    WebServer* server() const { return server_; }

    // A page's bytes as the browser preview serves them: with the player's script element when
    // it holds Flash objects or the detection script, unchanged otherwise.
    static std::string servedPage(const std::string& bytes, const QString& path);

private:
    WebServer* server_ = nullptr; // a child of this object
    OpenPageText openPageText_;
};

} // namespace tlx::host
