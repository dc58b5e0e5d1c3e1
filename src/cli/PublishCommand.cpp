// `tamberlux publish WEB DEST [--install DIR]`: a copy of the web that plays its Flash movies
// in today's browsers, ready for a static web host.

#include "catalog/LibraryFolder.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "cli/InstallFolder.h"
#include "platform/FileUtil.h"
#include "platform/ShippedData.h"
#include "publish/Publisher.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace tlx::app {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage = "Usage: tamberlux publish WEB DEST [--install DIR]\n";

struct Request {
    fs::path web;
    fs::path dest;
    std::optional<fs::path> install;
};

Request Parse(const Args& args) {
    Request request;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (TakeInstallOption(args, i, request.install))
            continue;
        if (arg.starts_with("-") && arg.size() > 1) {
            throw UsageError("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        throw UsageError("expected a web and a destination folder");
    request.web = positional[0];
    request.dest = positional[1];
    return request;
}

std::string Where(const publish::AddressProblem& problem) {
    return problem.page + ": " + (problem.objectId.empty() ? "(no ID)" : problem.objectId);
}

} // namespace

int runPublishCommand(const Args& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            out << kUsage
                << "  Writes a copy of the web WEB into DEST (an empty folder, or one this "
                   "command\n"
                   "  published WEB into before) in which the Flash movies play in today's\n"
                   "  browsers, and lists every movie or companion a page names that is not in\n"
                   "  it. Exit 0 when all is there, 1 when something is missing, 2 on a usage\n"
                   "  error. Serve DEST from a web server: browsers refuse the player's\n"
                   "  WebAssembly from file: addresses.\n";
            return 0;
        }
    Request request;
    try {
        request = Parse(args);
    } catch (const UsageError& e) {
        err << "tamberlux publish: " << e.what() << "\n" << kUsage;
        return 2;
    }

    // The library of the install folder tells where a missing library movie can be had.
    std::optional<fs::path> library;
    const std::optional<fs::path> install = request.install ? request.install : UserInstallFolder();
    std::error_code ec;
    if (request.install && !fs::is_directory(*request.install, ec)) {
        err << "tamberlux publish: the install folder " << request.install->string()
            << " is not a folder\n";
        return 2;
    }
    if (install && fs::is_directory(*install, ec))
        library = LibraryFolder::Locate(*install);

    publish::PublishOptions options;
    options.web = request.web;
    options.dest = request.dest;
    options.player = ThisProgramsShippedData().ruffle;
    options.progress = [&out](std::size_t done, std::size_t total) {
        out << "published " << done << " of " << total << " pages\n" << std::flush;
    };
    const publish::PublishResult result = publish::Publish(options);
    if (!result.refused.empty()) {
        err << "tamberlux publish: " << result.refused << "\n";
        return 2;
    }
    for (const publish::AddressProblem& problem : result.missing) {
        out << "missing: " << Where(problem) << ": " << problem.file;
        if (problem.address != problem.file)
            out << " (named \"" << problem.address << "\")";
        if (!problem.note.empty())
            out << "; " << problem.note;
        else if (library) {
            const std::string name = fs::path(problem.file).filename().string();
            if (FindNoCase(*library, name))
                out << "; the library has it (" << (*library / name).string() << ")";
        }
        out << "\n";
    }
    for (const publish::AddressProblem& problem : result.notChecked)
        out << "not checked: " << Where(problem) << ": " << problem.address
            << (problem.note.empty() ? std::string(" (not in the web)") : " (" + problem.note + ")")
            << "\n";
    for (const std::string& failure : result.failures)
        err << "tamberlux publish: " << failure << "\n";
    out << "pages: " << result.pages << ", pages with Flash: " << result.flashPages
        << ", movies: " << result.movies << ", files: " << result.files
        << ", bytes: " << result.bytes << ", missing: " << result.missing.size()
        << ", not checked: " << result.notChecked.size();
    if (result.removed > 0)
        out << ", removed: " << result.removed;
    if (!result.failures.empty())
        out << ", not written: " << result.failures.size();
    out << "\n";
    return result.complete() ? 0 : 1;
}

} // namespace tlx::app
