// `tamberlux check` and `tamberlux fix`: the save-time check and the scan and fix over page
// files, without a window.

#include "cli/Commands.h"
#include "host/Application.h"
#include "host/FileUrl.h"
#include "host/HtmlDocument.h"
#include "markup/FlashFix.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx::app {

namespace {

namespace fs = std::filesystem;

// Reports problems with files on `err` and remembers that there were some.
class Problems {
public:
    explicit Problems(std::ostream& err) : err_(err) {}
    void report(const fs::path& path, const std::string& what) {
        err_ << "tamberlux: " << path.string() << ": " << what << "\n";
        any_ = true;
    }
    bool any() const { return any_; }

private:
    std::ostream& err_;
    bool any_ = false;
};

bool IsPageName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".htm" || extension == ".html";
}

// The pages named by the arguments: files as given (whatever their names), and in folders
// every *.htm and *.html file, subfolders included (symbolic links to folders are not
// followed). Each page once, in a stable order.
class PageCollector {
public:
    explicit PageCollector(Problems& problems) : problems_(problems) {}

    void add(const std::string& argument) {
        const fs::path path(argument);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (ec || !fs::exists(status)) {
            problems_.report(path,
                             "cannot read: " + (ec ? ec.message() : "no such file or folder"));
            return;
        }
        if (fs::is_directory(status))
            walk(path);
        else if (fs::is_regular_file(status))
            addPage(path);
        else
            problems_.report(path, "cannot read: not a file or folder");
    }

    const std::vector<fs::path>& pages() const { return pages_; }

private:
    void addPage(const fs::path& path) {
        std::error_code ec;
        const fs::path key = fs::weakly_canonical(path, ec);
        if (seen_.insert(ec ? path : key).second)
            pages_.push_back(path);
    }

    void walk(const fs::path& folder) {
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec) {
            problems_.report(folder, "cannot read the folder: " + ec.message());
            return;
        }
        std::vector<fs::path> files;
        std::vector<fs::path> folders;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            std::error_code kindError;
            if (entry.is_directory(kindError) && !entry.is_symlink(kindError)) {
                folders.push_back(entry.path());
                continue;
            }
            if (!IsPageName(entry.path()) || entry.is_directory(kindError))
                continue;
            std::error_code fileError;
            if (entry.is_regular_file(fileError))
                files.push_back(entry.path());
            else
                problems_.report(entry.path(),
                                 "cannot read: " + (fileError ? fileError.message()
                                                              : "not a regular file (a broken "
                                                                "link?)"));
        }
        if (ec)
            problems_.report(folder, "cannot read the whole folder: " + ec.message());
        std::sort(files.begin(), files.end());
        std::sort(folders.begin(), folders.end());
        for (const fs::path& file : files)
            addPage(file);
        for (const fs::path& sub : folders)
            walk(sub);
    }

    Problems& problems_;
    std::vector<fs::path> pages_;
    std::set<fs::path> seen_;
};

// The page's bytes, or nullopt with the reason in `error`.
std::optional<std::string> ReadPage(const fs::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

std::string AbsoluteUrl(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return host::fileUrlFromPath(ec ? path : absolute);
}

// The Flash objects of a page that look altered by another editor: those the fix rewrites
// (the add-in's own), and the others, which it leaves as they are (sound events, local files,
// other makers' objects).
struct AlteredObjects {
    std::size_t rewritable = 0;
    std::size_t others = 0;
};

AlteredObjects CountAlteredObjects(const std::string& bytes, const fs::path& path) {
    const auto document = host::HtmlDocument::create(bytes, AbsoluteUrl(path));
    AlteredObjects altered;
    for (const ElementPtr& element : document->all().tags("OBJECT"))
        if (NeedsFix(*element))
            ++(IsOwnedObject(*element) ? altered.rewritable : altered.others);
    return altered;
}

std::string Objects(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " Flash object" : " Flash objects");
}

bool HasUsage(const Args& args, const char* command, std::ostream& out, std::ostream& err,
              int& exitCode) {
    const bool help = std::any_of(args.begin(), args.end(),
                                  [](const std::string& a) { return a == "--help" || a == "-h"; });
    if (!help && !args.empty())
        return false;
    (help ? out : err) << "Usage: tamberlux " << command << " PATH...\n"
                       << "  PATH is a page, or a folder whose *.htm and *.html pages are taken, "
                          "subfolders included.\n";
    exitCode = help ? 0 : 2;
    return true;
}

// True when the file must not be written: the user took its write permission away.
bool IsReadOnly(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false; // the save reports what is wrong
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Writes the fixed page; empty on success, else why not, without the page's name (the report
// gives it).
std::string SavePage(const fs::path& page, const std::string& text) {
    const Result<> written = WriteFileAtomically(page, text);
    if (written)
        return {};
    std::string problem = written.error();
    const std::string prefix = page.string() + ": ";
    if (problem.starts_with(prefix))
        problem.erase(0, prefix.size());
    return "cannot write: " + problem;
}

// Reads every page the arguments name and calls `altered(page, objects)` for each page in which
// some Flash object looks altered; pages that cannot be read are reported. Returns how many
// pages were looked at.
std::size_t
ForEachAlteredPage(const Args& args, Problems& problems,
                   const std::function<void(const fs::path&, const AlteredObjects&)>& altered) {
    PageCollector collector(problems);
    for (const std::string& argument : args)
        collector.add(argument);
    for (const fs::path& page : collector.pages()) {
        std::string error;
        const std::optional<std::string> bytes = ReadPage(page, error);
        if (!bytes) {
            problems.report(page, "cannot read: " + error);
            continue;
        }
        if (const AlteredObjects objects = CountAlteredObjects(*bytes, page);
            objects.rewritable + objects.others > 0)
            altered(page, objects);
    }
    return collector.pages().size();
}

constexpr std::string_view kLeftAlone =
    "sound events, local files and other makers' objects, which fix leaves as they are";

} // namespace

int runCheckCommand(const Args& args, std::ostream& out, std::ostream& err) {
    int usageExit = 0;
    if (HasUsage(args, "check", out, err, usageExit))
        return usageExit;
    try {
        Problems problems(err);
        std::size_t listed = 0;
        const std::size_t pages = ForEachAlteredPage(
            args, problems, [&](const fs::path& page, const AlteredObjects& altered) {
                // A page needs a fix when the fix would rewrite something in it.
                out << page.string() << ": ";
                if (altered.rewritable > 0) {
                    out << Objects(altered.rewritable)
                        << (altered.rewritable == 1 ? " looks altered" : " look altered");
                    ++listed;
                    if (altered.others > 0)
                        out << "; " << altered.others << " other"
                            << (altered.others == 1 ? "" : "s") << " too (" << kLeftAlone << ")";
                } else {
                    out << "no fix needed; " << Objects(altered.others)
                        << (altered.others == 1 ? " looks" : " look") << " altered (" << kLeftAlone
                        << ")";
                }
                out << "\n";
            });
        out << "pages needing a fix: " << listed << " of " << pages << "\n";
        if (problems.any())
            return 2;
        return listed > 0 ? 1 : 0;
    } catch (const std::exception& e) {
        err << "tamberlux: check stopped: " << e.what() << "\n";
        return 2;
    }
}

int runFixCommand(const Args& args, std::ostream& out, std::ostream& err) {
    int usageExit = 0;
    if (HasUsage(args, "fix", out, err, usageExit))
        return usageExit;
    try {
        Problems problems(err);
        const std::shared_ptr<host::Application> application = host::Application::create();
        const HostEditor editor(application);
        std::size_t written = 0;
        // Only a page the save-time check would fix is opened at all.
        const std::size_t pages =
            ForEachAlteredPage(args, problems, [&](const fs::path& page, const AlteredObjects&) {
                const host::PageWindowHandle window = application->openPage(page);
                if (!window) {
                    problems.report(page, "cannot open: " + application->lastError());
                    return;
                }
                const FixResult result = FixFlashObjects(editor);
                if (result.failed) {
                    problems.report(page, "the Flash objects could not be rewritten; the file was "
                                          "left as it was");
                } else if (result.rewritten == 0) {
                    out << page.string() << ": nothing to rewrite (the Flash objects that look "
                        << "altered are " << kLeftAlone << ")\n"
                        << std::flush;
                } else if (IsReadOnly(page)) {
                    problems.report(page, "the file is read-only; " + Objects(result.rewritten) +
                                              " not rewritten, the file was left as it was");
                } else if (const std::string problem = SavePage(page, window->document()->text());
                           !problem.empty()) {
                    problems.report(page, problem + "; the file was left as it was");
                } else {
                    // One line per page as soon as it is written: a run stopped part way
                    // leaves a true account of what it wrote.
                    out << page.string() << ": " << Objects(result.rewritten) << " rewritten\n"
                        << std::flush;
                    ++written;
                }
                application->closePage(window, false);
            });
        out << "pages rewritten: " << written << " of " << pages << "\n";
        return problems.any() ? 2 : 0;
    } catch (const std::exception& e) {
        err << "tamberlux: fix stopped: " << e.what() << "\n";
        return 2;
    }
}

} // namespace tlx::app
