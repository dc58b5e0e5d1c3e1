#include "host/qt/BrowserPreview.h"

#include "host/qt/WebServer.h"
#include "platform/FileUtil.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"

#include <filesystem>

namespace tlx::host {

namespace {

bool IsPage(const QString& path) {
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

} // namespace

BrowserPreview::BrowserPreview(OpenPageText openPageText, QObject* parent)
    : QObject(parent), server_(new WebServer(this)), openPageText_(std::move(openPageText)) {
    // Pages get the published script element instead of the rendering's.
    server_->setInjectRuffle(false);
    server_->setOverride([this](const QString& mount,
                                const QString& path) -> std::optional<QByteArray> {
        if (mount == WebServer::kRuffle || !IsPage(path))
            return std::nullopt;
        std::optional<std::string> bytes =
            openPageText_ ? openPageText_(mount, path) : std::nullopt;
        if (!bytes) {
            const QString file =
                WebServer::resolveFile(server_->mountFolder(mount), path.split(QLatin1Char('/')));
            if (file.isEmpty())
                return std::nullopt;
            Result<std::string> read = ReadFileBytes(std::filesystem::path(file.toStdString()));
            if (!read)
                return std::nullopt;
            bytes = std::move(*read);
        }
        const std::string served = servedPage(*bytes, path);
        return QByteArray(served.data(), static_cast<qsizetype>(served.size()));
    });
}

BrowserPreview::~BrowserPreview() {
    server_->setOverride({});
}

QUrl BrowserPreview::addressFor(const QString& mount, const QString& folder, const QString& path) {
    if (!server_->start())
        return QUrl();
    server_->setMountFolder(mount, folder);
    return server_->urlFor(mount, path);
}

std::string BrowserPreview::servedPage(const std::string& bytes, const QString& path) {
    if (!publish::ScanPage(bytes).needsPlayer())
        return bytes;
    // The server keeps the player one folder above the page's mount: /prefix/ruffle/ beside
    // /prefix/<mount>/.
    const std::string element = publish::PlayerScriptElement(
        publish::PlayerFolderAddress(path.toStdString(), 1, WebServer::kRuffle.toStdString()));
    return publish::WithPlayerScript(bytes, element);
}

} // namespace tlx::host
