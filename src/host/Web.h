#pragma once
// A web is a folder on disk holding the pages of a site. Its folders and files are handed out
// as handles over paths: a handle says nothing is there (nullptr, false) when the disk
// disagrees, and never throws.
//
// Names given to Folders() and Files() are single names inside the folder ("images", not
// "a/b", "." or ".."), matched exactly as the file system does.

#include "hostapi/HostEditor.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tlx::host {

class Application;

class File : public HostFile {
public:
    File(std::filesystem::path path, std::weak_ptr<Application> application);

    std::string Name() const override;
    std::string Url() const override;
    bool Delete() override;
    // Opens the file as a page window of the application; done when this returns.
    bool Open() override;
    bool IsOpen() const override;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::weak_ptr<Application> application_;
};

class Folder : public HostFolder {
public:
    Folder(std::filesystem::path path, std::weak_ptr<Application> application);

    std::string Url() const override;
    std::string LocalPath() const override;
    FolderPtr Folders(std::string_view name) const override;
    FilePtr Files(std::string_view name) const override;
    // Copies `localPath` into this folder under its own name. An existing file of that name is
    // replaced only when `overwrite` is true, and atomically: a failed copy leaves it as it
    // was. Adding a file to the folder it is already in changes nothing and gives that file.
    FilePtr AddFile(const std::string& localPath, bool overwrite) override;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::weak_ptr<Application> application_;
};

class Web : public HostWeb {
public:
    // No web: Url() empty, RootFolder() nullptr.
    Web() = default;
    // The web in the folder `root` (an absolute path as the file system resolves it).
    Web(std::filesystem::path root, std::weak_ptr<Application> application);

    std::string Url() const override;
    FolderPtr RootFolder() const override;

    bool isOpen() const { return !root_.empty(); }
    const std::filesystem::path& root() const { return root_; }
    // Whether `path` (absolute, resolved) lies inside the web's folder.
    bool contains(const std::filesystem::path& path) const;

private:
    std::filesystem::path root_;
    std::weak_ptr<Application> application_;
};

// Whether `name` is one plain name of a file or folder (not empty, ".", ".." nor holding "/").
bool isPlainName(std::string_view name);

} // namespace tlx::host
