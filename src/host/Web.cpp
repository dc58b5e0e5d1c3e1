#include "host/Web.h"

#include "host/Application.h"
#include "host/FileUrl.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <exception>

namespace tlx::host {

namespace fs = std::filesystem;

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// ---- File ---------------------------------------------------------------------------------

File::File(fs::path path, std::weak_ptr<Application> application)
    : path_(std::move(path)), application_(std::move(application)) {}

std::string File::Name() const {
    return path_.filename().string();
}

std::string File::Url() const {
    return fileUrlFromPath(path_);
}

bool File::Delete() {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path_, ec)) &&
        !fs::is_symlink(fs::symlink_status(path_, ec)))
        return false;
    return fs::remove(path_, ec) && !ec;
}

bool File::Open() {
    const auto application = application_.lock();
    return application && application->openPage(path_) != nullptr;
}

bool File::IsOpen() const {
    const auto application = application_.lock();
    return application && application->findPageWindow(path_) != nullptr;
}

// ---- Folder -------------------------------------------------------------------------------

Folder::Folder(fs::path path, std::weak_ptr<Application> application)
    : path_(std::move(path)), application_(std::move(application)) {}

std::string Folder::Url() const {
    return fileUrlFromPath(path_);
}

std::string Folder::LocalPath() const {
    return path_.string();
}

FolderPtr Folder::Folders(std::string_view name) const {
    try {
        if (!isPlainName(name))
            return nullptr;
        const fs::path sub = path_ / fs::path(std::string(name));
        std::error_code ec;
        if (!fs::is_directory(sub, ec))
            return nullptr;
        return std::make_shared<Folder>(sub, application_);
    } catch (const std::exception&) {
        LogCurrentException("Folder::Folders");
        return nullptr;
    }
}

FilePtr Folder::Files(std::string_view name) const {
    try {
        if (!isPlainName(name))
            return nullptr;
        const fs::path file = path_ / fs::path(std::string(name));
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            return nullptr;
        return std::make_shared<File>(file, application_);
    } catch (const std::exception&) {
        LogCurrentException("Folder::Files");
        return nullptr;
    }
}

FilePtr Folder::AddFile(const std::string& localPath, bool overwrite) {
    try {
        const fs::path source(localPath);
        std::error_code ec;
        if (!fs::is_regular_file(source, ec))
            return nullptr;
        const fs::path name = source.filename();
        if (!isPlainName(name.string()) || !fs::is_directory(path_, ec))
            return nullptr;
        const fs::path target = path_ / name;
        if (fs::exists(fs::symlink_status(target, ec))) {
            // Copying a file onto itself would only put it at risk.
            if (fs::equivalent(source, target, ec))
                return std::make_shared<File>(target, application_);
            if (!overwrite || !fs::is_regular_file(target, ec))
                return nullptr;
        }
        const auto bytes = ReadFileBytes(source);
        if (!bytes || !WriteFileAtomically(target, *bytes))
            return nullptr;
        return std::make_shared<File>(target, application_);
    } catch (const std::exception&) {
        LogCurrentException("Folder::AddFile");
        return nullptr;
    }
}

// ---- Web ----------------------------------------------------------------------------------

Web::Web(fs::path root, std::weak_ptr<Application> application)
    : root_(std::move(root)), application_(std::move(application)) {}

std::string Web::Url() const {
    return root_.empty() ? std::string() : fileUrlFromPath(root_);
}

FolderPtr Web::RootFolder() const {
    if (root_.empty())
        return nullptr;
    try {
        return std::make_shared<Folder>(root_, application_);
    } catch (const std::exception&) {
        LogCurrentException("Web::RootFolder");
        return nullptr;
    }
}

bool Web::contains(const fs::path& path) const {
    if (root_.empty() || path.empty())
        return false;
    const fs::path relative = path.lexically_normal().lexically_relative(root_);
    if (relative.empty() || relative == ".")
        return false;
    return *relative.begin() != "..";
}

} // namespace tlx::host
