#include "publish/Publisher.h"

#include "FlashParamsScript.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace tlx::publish {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kManifestMarker = "tamberlux published web 1";

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// "http:", "mailto:", "C:" (a drive letter is a scheme to a browser too).
bool HasScheme(std::string_view address) {
    if (address.empty() || !IsAlpha(address[0]))
        return false;
    for (std::size_t i = 1; i < address.size(); ++i) {
        const char c = address[i];
        if (c == ':')
            return true;
        if (!IsAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

// An address as the browser takes it: blanks around it dropped, "\" read as "/", without its
// query and fragment.
std::string CleanAddress(std::string_view address) {
    constexpr std::string_view blanks = " \t\n\r\f";
    const std::size_t first = address.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    address = address.substr(first, address.find_last_not_of(blanks) - first + 1);
    std::string clean(address.substr(0, address.find_first_of("?#")));
    std::replace(clean.begin(), clean.end(), '\\', '/');
    return clean;
}

bool LeavesTheHost(std::string_view clean) {
    return HasScheme(clean) || clean.starts_with('/');
}

// `path` ("a/./b/../c") with its dot segments applied; nullopt when it climbs above the top.
// A trailing "/" is kept.
std::optional<std::string> Normalized(std::string_view path) {
    std::vector<std::string_view> names;
    std::size_t from = 0;
    const bool folder = path.ends_with('/') || path.ends_with("/.") || path.ends_with("/..") ||
                        path == "." || path == "..";
    while (from <= path.size()) {
        std::size_t slash = path.find('/', from);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string_view name = path.substr(from, slash - from);
        if (name == "..") {
            if (names.empty())
                return std::nullopt;
            names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        from = slash + 1;
    }
    std::string result;
    for (const std::string_view name : names) {
        if (!result.empty())
            result += '/';
        result += name;
    }
    if (folder && !result.empty())
        result += '/';
    return result;
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

// Every name's %XX escapes decoded; nullopt when a name then holds a "/" of its own.
std::optional<std::string> DecodedPath(std::string_view path) {
    std::string result;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t slash = path.find('/', from);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string name = PercentDecoded(path.substr(from, slash - from));
        if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
            return std::nullopt;
        result += name;
        if (slash < path.size())
            result += '/';
        from = slash + 1;
    }
    return result;
}

} // namespace

std::optional<std::string> ResolveInWeb(std::string_view pagePath, std::string_view baseHref,
                                        std::string_view address) {
    const std::string clean = CleanAddress(address);
    if (clean.empty() || LeavesTheHost(clean))
        return std::nullopt;
    std::string folder = FolderOf(pagePath);
    if (const std::string base = CleanAddress(baseHref); !base.empty()) {
        if (LeavesTheHost(base))
            return std::nullopt;
        const std::optional<std::string> baseFolder = Normalized(folder + base);
        if (!baseFolder)
            return std::nullopt;
        folder = FolderOf(*baseFolder);
    }
    const std::optional<std::string> path = Normalized(folder + clean);
    if (!path || path->empty() || path->ends_with('/'))
        return std::nullopt;
    return DecodedPath(*path);
}

std::optional<std::string> CompanionPath(std::string_view moviePath, std::string_view name) {
    // The library's movies load no name holding ".." or ":".
    if (name.empty() || name.find("..") != std::string_view::npos ||
        name.find(':') != std::string_view::npos || name.starts_with('/') || name.starts_with('\\'))
        return std::nullopt;
    std::string joined = FolderOf(moviePath) + std::string(name);
    std::replace(joined.begin(), joined.end(), '\\', '/');
    const std::optional<std::string> path = Normalized(joined);
    if (!path || path->empty() || path->ends_with('/'))
        return std::nullopt;
    return path;
}

std::vector<CarriedFile> FilesItsMoviesLoad(std::string_view pageText, const fs::path& from,
                                            const fs::path& to) {
    // Both pages as paths from the file system's root: an address then resolves to the same
    // file a browser would load from either place.
    const auto rooted = [](const fs::path& page) {
        return page.lexically_normal().relative_path().generic_string();
    };
    const std::string oldPage = rooted(from);
    const std::string newPage = rooted(to);
    const PageFlash flash = ScanPage(pageText);
    std::vector<CarriedFile> files;
    const auto add = [&](const std::optional<std::string>& a, const std::optional<std::string>& b) {
        if (!a || !b)
            return;
        CarriedFile file{fs::path("/") / *a, fs::path("/") / *b};
        if (std::none_of(files.begin(), files.end(), [&](const CarriedFile& f) {
                return f.from == file.from && f.to == file.to;
            }))
            files.push_back(std::move(file));
    };
    for (const FlashObjectAddresses& object : flash.objects)
        for (const std::string& movie : object.movies) {
            const auto oldMovie = ResolveInWeb(oldPage, flash.baseHref, movie);
            const auto newMovie = ResolveInWeb(newPage, flash.baseHref, movie);
            add(oldMovie, newMovie);
            if (!oldMovie || !newMovie)
                continue;
            for (const std::string& name : object.companions)
                add(CompanionPath(*oldMovie, name), CompanionPath(*newMovie, name));
        }
    return files;
}

std::string ManifestText(const Manifest& manifest) {
    std::string text(kManifestMarker);
    text += "\nweb ";
    text += manifest.web.string();
    text += '\n';
    for (const std::string& file : manifest.files) {
        text += file;
        text += '\n';
    }
    return text;
}

std::optional<Manifest> ParseManifest(std::string_view text) {
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.size() < 2 || lines[0] != kManifestMarker || !lines[1].starts_with("web ") ||
        lines[1].size() <= 4)
        return std::nullopt;
    Manifest manifest;
    manifest.web = fs::path(std::string(lines[1].substr(4)));
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view file = lines[i];
        // Only names inside the destination: a changed manifest cannot make the removal of
        // stale files reach anything else.
        const std::optional<std::string> normal = Normalized(file);
        if (file.empty() || file.starts_with('/') || !normal || *normal != file)
            return std::nullopt;
        manifest.files.insert(std::string(file));
    }
    return manifest;
}

namespace {

bool IsInside(const fs::path& inner, const fs::path& outer) {
    auto o = outer.begin();
    auto i = inner.begin();
    for (; o != outer.end(); ++o, ++i) {
        if (o->empty()) // a trailing separator
            continue;
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

Result<std::optional<Manifest>> CheckDestination(const fs::path& web, const fs::path& dest) {
    const std::optional<Manifest> none;
    std::error_code ec;
    const fs::path webPath = fs::canonical(web, ec);
    if (ec || !fs::is_directory(webPath, ec))
        return Fail("the web " + web.string() + " is not a folder that can be read");
    const fs::path destPath = fs::weakly_canonical(fs::absolute(dest, ec), ec);
    if (ec)
        return Fail("the destination " + dest.string() + " cannot be used: " + ec.message());
    if (destPath == webPath)
        return Fail("the destination is the web itself; choose a folder outside the web");
    if (IsInside(destPath, webPath))
        return Fail("the destination " + dest.string() +
                    " lies inside the web; choose a folder outside the web");
    if (IsInside(webPath, destPath))
        return Fail("the web lies inside the destination " + dest.string() +
                    "; choose a folder outside the web");
    const fs::file_status status = fs::symlink_status(destPath, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        return Fail("the destination " + dest.string() + " cannot be read: " + ec.message());
    if (!fs::exists(status))
        return none;
    if (!fs::is_directory(fs::status(destPath, ec)))
        return Fail("the destination " + dest.string() + " is not a folder");
    fs::directory_iterator entries(destPath, ec);
    if (ec)
        return Fail("the destination " + dest.string() + " cannot be read: " + ec.message());
    if (entries == fs::directory_iterator())
        return none;
    if (const Result<std::string> text = ReadFileBytes(destPath / std::string(kManifestName))) {
        std::optional<Manifest> manifest = ParseManifest(*text);
        if (manifest && manifest->web == webPath)
            return manifest;
        if (manifest)
            return Fail("the destination " + dest.string() +
                        " holds a copy published from another web (" + manifest->web.string() +
                        "); nothing was written");
    }
    return Fail("the destination " + dest.string() +
                " is neither empty nor a copy published from this web; nothing was written (choose "
                "an empty folder, or the folder this web was published into before)");
}

namespace {

bool IsPageName(std::string_view name) {
    const std::string lower = LowerCase(name);
    return lower.ends_with(".htm") || lower.ends_with(".html");
}

struct Job {
    fs::path source;  // empty for a file made here
    std::string path; // relative to the destination
    bool page = false;
    std::string made; // the bytes of a file made here
};

// The regular files below `folder` (links to files followed, links to folders not), relative,
// "/" between names, in name order. Unreadable folders are reported in `failures`.
std::vector<std::string> FilesBelow(const fs::path& folder, std::vector<std::string>& failures) {
    std::vector<std::string> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        failures.push_back(folder.string() + ": cannot read the folder: " + ec.message());
        return files;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            failures.push_back(folder.string() + ": cannot read the whole folder: " + ec.message());
            break;
        }
        std::error_code kind;
        if (!it->is_regular_file(kind))
            continue;
        const std::string name = it->path().filename().string();
        if (IsAtomicWriteTemporaryName(name))
            continue;
        files.push_back(it->path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Writes a file where none stands; a failure gives the reason, and `taken` says that a file
// (or a link) stood there already, which is left as it is.
Result<> WriteNewFile(const fs::path& path, std::string_view bytes, bool& taken) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    taken = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return Fail(std::strerror(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            ::unlink(path.c_str());
            return Fail(why);
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (::close(fd) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(path.c_str());
        return Fail(why);
    }
    return {};
}

bool SameFile(const fs::path& source, const fs::path& target) {
    std::error_code a;
    std::error_code b;
    std::error_code c;
    std::error_code d;
    return fs::is_regular_file(target, a) && fs::file_size(source, b) == fs::file_size(target, c) &&
           fs::last_write_time(source, d) == fs::last_write_time(target, c) && !a && !b && !c && !d;
}

// Checks every address of a page's Flash objects against the web's files.
class AddressCheck {
public:
    explicit AddressCheck(const std::vector<std::string>& files)
        : files_(files.begin(), files.end()) {
        for (const std::string& file : files)
            byLowerCase_.emplace(LowerCase(file), file);
    }

    void check(const std::string& page, const PageFlash& flash,
               std::vector<AddressProblem>& missing,
               std::vector<AddressProblem>& notChecked) const {
        for (const FlashObjectAddresses& object : flash.objects) {
            std::vector<std::string> seen;
            std::vector<std::string> movies;
            for (const std::string& movie : object.movies) {
                const std::optional<std::string> path = ResolveInWeb(page, flash.baseHref, movie);
                if (!path) {
                    if (!CleanAddress(movie).empty())
                        notChecked.push_back({page, object.id, movie, {}, {}});
                    continue;
                }
                if (std::find(movies.begin(), movies.end(), *path) == movies.end())
                    movies.push_back(*path);
                need(page, object.id, movie, *path, seen, missing);
            }
            for (const std::string& name : object.companions) {
                if (movies.empty()) {
                    notChecked.push_back(
                        {page, object.id, name, {}, "the movie is not in the web"});
                    continue;
                }
                for (const std::string& movie : movies) {
                    if (const std::optional<std::string> path = CompanionPath(movie, name))
                        need(page, object.id, name, *path, seen, missing);
                    else
                        notChecked.push_back({page, object.id, name, {}, {}});
                }
            }
        }
    }

private:
    void need(const std::string& page, const std::string& id, const std::string& address,
              const std::string& path, std::vector<std::string>& seen,
              std::vector<AddressProblem>& missing) const {
        if (std::find(seen.begin(), seen.end(), path) != seen.end())
            return;
        seen.push_back(path);
        if (files_.count(path))
            return;
        std::string note;
        if (const auto other = byLowerCase_.find(LowerCase(path)); other != byLowerCase_.end())
            note = "the web has " + other->second +
                   ", which web servers take for another file (letter case)";
        missing.push_back({page, id, address, path, note});
    }

    std::unordered_set<std::string> files_;
    std::multimap<std::string, std::string> byLowerCase_;
};

bool ProblemOrder(const AddressProblem& a, const AddressProblem& b) {
    return std::tie(a.page, a.objectId, a.file, a.address) <
           std::tie(b.page, b.objectId, b.file, b.address);
}

void RemoveEmptyFolders(const fs::path& dest, fs::path folder) {
    std::error_code ec;
    while (!folder.empty() && folder != dest && IsInside(folder, dest)) {
        if (!fs::is_empty(folder, ec) || ec || !fs::remove(folder, ec))
            return;
        folder = folder.parent_path();
    }
}

} // namespace

std::string_view ReadmeText() {
    return "This folder is a web published by Tamberlux: upload everything in it, as it is,\r\n"
           "to a web server (any static host will do).\r\n"
           "\r\n"
           "Its Flash movies play in today's browsers through Ruffle, in the folder\r\n"
           "tamberlux-ruffle. Browsers refuse Ruffle's WebAssembly from file: addresses, so\r\n"
           "the pages do not play their movies when opened by a double-click: serve the folder\r\n"
           "from a web server, for a test for example with\r\n"
           "    python3 -m http.server --bind 127.0.0.1 8000\r\n"
           "in this folder, then open http://127.0.0.1:8000/ in a browser.\r\n"
           "\r\n"
           "The server must send .wasm files as application/wasm (most do).\r\n"
           "The file .tamberlux-published lists what Tamberlux wrote here; it need not be\r\n"
           "uploaded. Ruffle's licences are in tamberlux-ruffle (LICENSE_MIT, LICENSE_APACHE).\r\n";
}

PublishResult Publish(const PublishOptions& options) {
    PublishResult result;
    Result<std::optional<Manifest>> checked = CheckDestination(options.web, options.dest);
    if (!checked) {
        result.refused = checked.error();
        return result;
    }
    std::optional<Manifest> previous = std::move(*checked);
    std::error_code ec;
    const fs::path web = fs::canonical(options.web, ec);
    const fs::path dest = fs::weakly_canonical(fs::absolute(options.dest, ec), ec);

    const std::vector<std::string> webFiles = FilesBelow(web, result.failures);
    const std::string playerFolder(kPlayerFolderName);
    for (const std::string& file : webFiles)
        if (EqualsNoCase(file.substr(0, file.find('/')), playerFolder) ||
            EqualsNoCase(file, kManifestName)) {
            result.refused = "the web holds " + file.substr(0, file.find('/')) +
                             ", a name the published copy keeps for itself; rename it first";
            return result;
        }
    std::vector<std::string> playerFailures;
    const std::vector<std::string> playerFiles = FilesBelow(options.player, playerFailures);
    if (!playerFailures.empty() ||
        std::find(playerFiles.begin(), playerFiles.end(), "ruffle.js") == playerFiles.end()) {
        result.refused = "the Flash player's files (Ruffle) are not in " + options.player.string();
        return result;
    }

    std::vector<Job> jobs;
    jobs.reserve(webFiles.size() + playerFiles.size() + 1);
    for (const std::string& file : webFiles)
        jobs.push_back({web / file, file, IsPageName(file), {}});
    for (const std::string& file : playerFiles)
        jobs.push_back({options.player / file, playerFolder + "/" + file, false, {}});
    jobs.push_back({{},
                    playerFolder + "/" + std::string(kFlashParamsFileName),
                    false,
                    std::string(host::kFlashParamsScript)});
    const bool webHasReadme =
        std::any_of(webFiles.begin(), webFiles.end(),
                    [](const std::string& f) { return EqualsNoCase(f, kReadmeName); });
    if (!webHasReadme)
        jobs.push_back({{}, std::string(kReadmeName), false, std::string(ReadmeText())});
    const std::size_t totalPages = static_cast<std::size_t>(
        std::count_if(jobs.begin(), jobs.end(), [](const Job& j) { return j.page; }));

    fs::create_directories(dest, ec);
    if (ec) {
        result.refused =
            "the destination " + options.dest.string() + " cannot be made: " + ec.message();
        return result;
    }

    const AddressCheck check(webFiles);
    std::mutex mutex;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> pagesDone{0};
    std::vector<char> written(jobs.size(), 0);

    const auto work = [&] {
        PublishResult local;
        std::set<std::string> madeFolders;
        for (;;) {
            if (options.cancel && options.cancel->load())
                break;
            const std::size_t index = next.fetch_add(1);
            if (index >= jobs.size())
                break;
            const Job& job = jobs[index];
            const fs::path target = dest / job.path;
            const auto fail = [&](const std::string& why) {
                local.failures.push_back(job.path + ": " + why);
            };
            const auto notOurs = [&] {
                fail("not replaced: the destination holds a file of that name that publishing "
                     "did not write");
            };
            std::error_code error;
            // Into a destination that was empty nothing is there unless somebody else put it
            // there meanwhile; then the file is made only where none stands (O_EXCL), so no
            // look is needed first.
            const bool exists = previous && fs::exists(fs::symlink_status(target, error));
            // A file there that no earlier run wrote is somebody else's.
            if (exists && !previous->files.count(job.path)) {
                notOurs();
                continue;
            }
            if (!exists) {
                const std::string folder = target.parent_path().string();
                if (!madeFolders.count(folder)) {
                    fs::create_directories(target.parent_path(), error);
                    if (error) {
                        fail("cannot make its folder: " + error.message());
                        continue;
                    }
                    madeFolders.insert(folder);
                }
            }
            // Writes `content` unless the file there holds it already; false on failure.
            const auto put = [&](std::string_view content) {
                if (exists) {
                    if (const Result<std::string> old = ReadFileBytes(target);
                        old && *old == content)
                        return true;
                }
                // A new file needs no temporary one: nothing else reads it yet. A file there is
                // replaced whole (a link standing there is replaced, never written through).
                bool taken = false;
                const Result<> stored =
                    exists ? WriteFileAtomically(target, content, LinkPolicy::Replace)
                           : WriteNewFile(target, content, taken);
                if (taken)
                    notOurs();
                else if (!stored)
                    fail("cannot be written: " + stored.error());
                return stored.ok();
            };
            if (job.page) {
                const Result<std::string> bytes = ReadFileBytes(job.source);
                bool ok = false;
                if (!bytes) {
                    fail("cannot be read");
                } else {
                    const PageFlash flash = ScanPage(*bytes);
                    ++local.pages;
                    std::string out;
                    std::string_view content = *bytes;
                    if (flash.needsPlayer()) {
                        ++local.flashPages;
                        local.movies += flash.objects.size();
                        check.check(job.path, flash, local.missing, local.notChecked);
                        out = WithPlayerScript(*bytes,
                                               PlayerScriptElement(PlayerFolderAddress(job.path)));
                        content = out;
                    }
                    ok = put(content);
                    if (ok)
                        local.bytes += content.size();
                }
                const std::size_t done = ++pagesDone;
                if (options.progress && (done % 100 == 0 || done == totalPages)) {
                    const std::lock_guard lock(mutex);
                    options.progress(done, totalPages);
                }
                if (!ok)
                    continue;
            } else if (job.source.empty()) {
                if (!put(job.made))
                    continue;
                local.bytes += job.made.size();
            } else if (!exists || !SameFile(job.source, target)) {
                fs::copy_file(
                    job.source, target,
                    exists ? fs::copy_options::overwrite_existing : fs::copy_options::none, error);
                if (error == std::errc::file_exists) {
                    notOurs();
                    continue;
                }
                if (error) {
                    fail("cannot be copied: " + error.message());
                    continue;
                }
                fs::last_write_time(target, fs::last_write_time(job.source, error), error);
                local.bytes += fs::file_size(target, error);
            } else {
                local.bytes += fs::file_size(target, error);
            }
            written[index] = 1;
        }
        const std::lock_guard lock(mutex);
        result.pages += local.pages;
        result.flashPages += local.flashPages;
        result.movies += local.movies;
        result.bytes += local.bytes;
        for (auto* list : {&local.missing, &local.notChecked}) {
            auto& into = list == &local.missing ? result.missing : result.notChecked;
            into.insert(into.end(), list->begin(), list->end());
        }
        result.failures.insert(result.failures.end(), local.failures.begin(), local.failures.end());
    };

    unsigned threads = options.threads ? options.threads : std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, 64u);
    {
        std::vector<std::jthread> pool;
        for (unsigned i = 1; i < threads; ++i)
            pool.emplace_back(work);
        work();
    }

    Manifest manifest;
    manifest.web = web;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (written[i])
            manifest.files.insert(jobs[i].path);
    result.files = manifest.files.size();
    result.cancelled = options.cancel && options.cancel->load();
    if (previous) {
        for (const std::string& old : previous->files) {
            if (manifest.files.count(old))
                continue;
            const bool stillWanted =
                std::any_of(jobs.begin(), jobs.end(), [&](const Job& j) { return j.path == old; });
            if (stillWanted) {
                // Not written this time (cancelled, or it failed): it stays ours.
                manifest.files.insert(old);
                continue;
            }
            std::error_code error;
            const fs::path stale = dest / old;
            if (fs::remove(stale, error)) {
                ++result.removed;
                RemoveEmptyFolders(dest, stale.parent_path());
            } else if (error) {
                result.failures.push_back(
                    old + ": the file the web no longer has cannot be removed: " + error.message());
                manifest.files.insert(old);
            }
        }
    }
    if (const Result<> kept =
            WriteFileAtomically(dest / std::string(kManifestName), ManifestText(manifest));
        !kept)
        result.failures.push_back(std::string(kManifestName) + ": " + kept.error());

    std::sort(result.missing.begin(), result.missing.end(), ProblemOrder);
    std::sort(result.notChecked.begin(), result.notChecked.end(), ProblemOrder);
    std::sort(result.failures.begin(), result.failures.end());
    for (const std::string& failure : result.failures)
        LogWarning("Publish", failure);
    return result;
}

} // namespace tlx::publish
