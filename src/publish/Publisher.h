#pragma once
// Publishing a web: a copy of it in a folder that any static web host serves as it is, in
// which every page with Flash gets the player's script element (and nothing else changes),
// the player's files lie in one folder of their own, and every movie and companion a page
// names is checked to be there.
//
// The destination is either empty, or a folder this publishing wrote before from the same
// web: a manifest in it says so and lists what it wrote. Then files are brought up to date and
// files it wrote that the web no longer has are removed; nothing else there is touched.

#include "platform/Result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::publish {

// The manifest's file name in the destination.
inline constexpr std::string_view kManifestName = ".tamberlux-published";
// The note for whoever uploads the copy.
inline constexpr std::string_view kReadmeName = "README.txt";

// The path of `address` (as a page at `pagePath` with base `baseHref` gives it to the
// browser) relative to the web, "/" between names, escapes decoded; nullopt when it lies
// outside the web: another host or scheme, a path from the host's root, or one that climbs
// above the web's folder.
std::optional<std::string> ResolveInWeb(std::string_view pagePath, std::string_view baseHref,
                                        std::string_view address);

// The file a movie at `moviePath` (relative to the web) loads as its companion `name`: the
// name in the movie's own folder; nullopt when the name would leave it or names another host
// (the movie refuses those).
std::optional<std::string> CompanionPath(std::string_view moviePath, std::string_view name);

// The files that a page's Flash objects load (movies and their companions) from where the
// page stands as they would load them from where it is saved to: for a page saved under
// another name, in another folder, the files to bring along. Only addresses relative to the
// page count. Each pair comes once; one file may have two places to go ("x.swf" and
// "../a/x.swf" from a folder a/ are one file, from elsewhere two).
struct CarriedFile {
    std::filesystem::path from; // beside the page as it was
    std::filesystem::path to;   // the same address from the page as it is saved
};
std::vector<CarriedFile> FilesItsMoviesLoad(std::string_view pageText,
                                            const std::filesystem::path& from,
                                            const std::filesystem::path& to);

// What the manifest of a destination records.
struct Manifest {
    std::filesystem::path web;   // the web it was published from (canonical)
    std::set<std::string> files; // relative to the destination, "/" between names
};
std::string ManifestText(const Manifest& manifest);
// Nothing when `text` is not a manifest.
std::optional<Manifest> ParseManifest(std::string_view text);

// Whether the destination may be published into: the manifest of the earlier copy of this web
// found there (nothing for a new or empty folder), or a failure giving the reason why not.
Result<std::optional<Manifest>> CheckDestination(const std::filesystem::path& web,
                                                 const std::filesystem::path& dest);

// One address that is not in the published copy, or that was not checked.
struct AddressProblem {
    std::string page;     // relative to the web
    std::string objectId; // the Flash object's ID (empty when it has none)
    std::string address;  // as the page (or the movie, for a companion) names it
    std::string file;     // the file it needs, relative to the web (missing ones)
    std::string note;     // e.g. the letter case that differs
};

struct PublishOptions {
    std::filesystem::path web;
    std::filesystem::path dest;
    std::filesystem::path player; // the player's files (ruffle.js, its WebAssembly, licences)
    unsigned threads = 0;         // 0: one per core
    // Called now and then with the pages done so far and the number of pages (from the worker
    // threads, one call at a time).
    std::function<void(std::size_t done, std::size_t total)> progress;
    const std::atomic<bool>* cancel = nullptr; // stops the run when it becomes true
};

struct PublishResult {
    std::string refused; // why nothing was published (the destination, the web); else empty
    bool cancelled = false;
    std::size_t pages = 0;
    std::size_t flashPages = 0;
    std::size_t movies = 0; // Flash objects in the pages
    std::size_t files = 0;  // files in the copy (the player's included)
    std::uintmax_t bytes = 0;
    std::size_t removed = 0; // files of an earlier run the web no longer has
    std::vector<AddressProblem> missing;
    std::vector<AddressProblem> notChecked;
    std::vector<std::string> failures; // files that could not be read or written

    bool complete() const {
        return refused.empty() && !cancelled && missing.empty() && failures.empty();
    }
};

PublishResult Publish(const PublishOptions& options);

// The text of README.txt in the destination.
std::string_view ReadmeText();

} // namespace tlx::publish
