// `tamberlux insert`: the creation dialogs' insertion without a window. The entry is found by
// the name its dialog lists, fields are set by their movie parameter keys, and the object is
// prepared and placed by the same code the dialogs use, so the markup is the dialog's.

#include "cli/InsertCommand.h"

#include "catalog/Catalog.h"
#include "catalog/InsertionFlow.h"
#include "catalog/IntroTextFile.h"
#include "catalog/LibraryFolder.h"
#include "catalog/StyleTypes.h"
#include "cli/CommandArgs.h"
#include "cli/InstallFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "host/LivePlace.h"
#include "markup/TextHelpers.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

namespace tlx::app {

namespace {

namespace fs = std::filesystem;

bool IsColourText(const std::string& text) {
    if (text.size() != 7 || text[0] != '#')
        return false;
    for (std::size_t i = 1; i < 7; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// The six digits upper-cased, as the Color Selector writes colour texts.
std::string Colour(const std::map<std::string, std::string>& fields, const std::string& key,
                   const std::string& fallback) {
    const auto found = fields.find(key);
    if (found == fields.end())
        return fallback;
    if (!IsColourText(found->second))
        throw UsageError(key + " must be a colour #RRGGBB, not \"" + found->second + "\"");
    return UpperCase(found->second);
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& key,
                  const std::string& fallback) {
    const auto found = fields.find(key);
    return found == fields.end() ? fallback : found->second;
}

// The entry of a catalog named `name` as the dialog lists it.
const CatalogEntry& FindEntry(const CatalogResult& catalog, const std::string& name,
                              const std::string& what) {
    for (const CatalogEntry& entry : catalog.Entries)
        if (entry.StyleName == name)
            return entry;
    std::string names;
    for (const CatalogEntry& entry : catalog.Entries)
        names += (names.empty() ? "" : ", ") + entry.StyleName;
    if (catalog.Status != CatalogStatus::Read)
        throw UsageError("unknown " + what + " \"" + name + "\": " + catalog.File.string() +
                         " cannot be read");
    throw UsageError("unknown " + what + " \"" + name + "\"; the " + what +
                     "s are: " + (names.empty() ? "(none)" : names));
}

// The file of a companion list entry named by its catalog name; empty for an empty name.
std::string CompanionFile(const fs::path& install, std::string_view catalog,
                          const LibraryFolder& library,
                          const std::map<std::string, std::string>& fields, const std::string& key,
                          const std::string& what) {
    const auto found = fields.find(key);
    if (found == fields.end() || found->second.empty())
        return {};
    const CatalogResult result = ReadCatalog(install / catalog, kFileAndName, library);
    return FindEntry(result, found->second, what).FileName;
}

void CheckKeys(const std::map<std::string, std::string>& fields,
               const std::set<std::string>& allowed, const std::string& kind) {
    for (const auto& [key, value] : fields)
        if (!allowed.count(key)) {
            std::string list;
            for (const std::string& name : allowed)
                list += (list.empty() ? "" : ", ") + name;
            throw UsageError("unknown key " + key + " for " + kind + " (keys: " + list + ")");
        }
}

struct Request {
    fs::path page;
    std::string kind;
    std::string entry;
    std::map<std::string, std::string> fields;
    std::optional<fs::path> install;
};

Request Parse(const Args& args) {
    Request request;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (TakeInstallOption(args, i, request.install))
            continue;
        if (positional.size() < 3) {
            positional.push_back(arg);
        } else {
            const std::size_t equals = arg.find('=');
            if (equals == std::string::npos || equals == 0)
                throw UsageError("expected KEY=VALUE, not \"" + arg + "\"");
            request.fields[arg.substr(0, equals)] = arg.substr(equals + 1);
        }
    }
    if (positional.size() < 3)
        throw UsageError("usage: tamberlux insert PAGE KIND ENTRY [KEY=VALUE...] [--install DIR]");
    request.page = positional[0];
    request.kind = positional[1];
    request.entry = positional[2];
    static const std::set<std::string> kinds{"button", "heading", "intro", "art", "file"};
    if (!kinds.count(request.kind))
        throw UsageError("unknown kind \"" + request.kind +
                         "\" (button, heading, intro, art or file)");
    return request;
}

// The object for the request, and the temporary files to remove afterwards.
PreparedObject Prepare(const Request& request, const fs::path& install,
                       const LibraryFolder& library, std::vector<fs::path>& temporary) {
    const auto& f = request.fields;
    const std::string background = Colour(f, "bgcolor", "#FFFFFF");
    if (request.kind == "button") {
        CheckKeys(f, {"T1", "T2", "TC", "TU", "TW", "BS", "bgcolor"}, "button");
        const CatalogResult catalog =
            ReadCatalog(install / kButtonsCatalog, kTypeFileAndName, library);
        const CatalogEntry& entry = FindEntry(catalog, request.entry, "button");
        const std::string sound = CompanionFile(install, kSoundsCatalog, library, f, "BS", "sound");
        if (!sound.empty() && !HasSound(entry.TypeTag))
            throw UsageError("the button \"" + request.entry + "\" takes no sound");
        ButtonParameters values;
        values.T1 = Field(f, "T1", values.T1);
        values.T2 = Field(f, "T2", values.T2);
        values.TextColor = Colour(f, "TC", values.TextColor);
        values.TU = Field(f, "TU", values.TU);
        values.TW = Field(f, "TW", values.TW);
        return PrepareButton(library, entry, values, sound, background);
    }
    if (request.kind == "heading") {
        CheckKeys(f, {"T1", "TC", "TU", "TW", "BM", "bgcolor"}, "heading");
        const CatalogResult catalog =
            ReadCatalog(install / kHeadingsCatalog, kTypeFileAndName, library);
        const CatalogEntry& entry = FindEntry(catalog, request.entry, "heading");
        HeadingParameters values;
        values.T1 = Field(f, "T1", values.T1);
        values.TextColor = Colour(f, "TC", values.TextColor);
        values.TU = Field(f, "TU", values.TU);
        values.TW = Field(f, "TW", values.TW);
        values.BM = CompanionFile(install, kBackgroundsCatalog, library, f, "BM", "background");
        return PrepareHeading(library, entry, values, background);
    }
    if (request.kind == "intro") {
        CheckKeys(f, {"T1", "T2", "TC", "TM", "TE", "BM", "TS", "TU", "TW", "bgcolor"}, "intro");
        const CatalogResult catalog =
            ReadCatalog(install / kMoviesCatalog, kTypeFileAndName, library);
        const CatalogEntry& entry = FindEntry(catalog, request.entry, "intro movie");
        IntroMovieParameters values;
        values.TextColor = Colour(f, "TC", values.TextColor);
        values.TM = CompanionFile(install, kMusicCatalog, library, f, "TM", "music");
        values.TE = CompanionFile(install, kTextEffectsCatalog, library, f, "TE", "text effect");
        values.BM = CompanionFile(install, kBackgroundsCatalog, library, f, "BM", "background");
        values.TS = Field(f, "TS", values.TS);
        values.TU = Field(f, "TU", values.TU);
        values.TW = Field(f, "TW", values.TW);
        values.TF = IntroTextFileName(LocalMomentOf(std::chrono::system_clock::now()));
        const fs::path textFile = library.folder() / values.TF;
        if (!WriteIntroTextFile(textFile, Field(f, "T1", "Your Text"), Field(f, "T2", "Your Text")))
            throw UsageError("cannot write the intro text file " + textFile.string());
        temporary.push_back(textFile);
        return PrepareIntroMovie(library, entry, values, background);
    }
    if (request.kind == "art") {
        CheckKeys(f, {"bgcolor"}, "art");
        const CatalogResult catalog =
            ReadCatalog(install / kMiscFlashCatalog, kTypeFileAndName, library);
        return PrepareMiscArt(library, FindEntry(catalog, request.entry, "art item"), background);
    }
    CheckKeys(f, {"width", "height", "bgcolor"}, "file");
    const fs::path movie(request.entry);
    std::error_code ec;
    if (!fs::is_regular_file(movie, ec))
        throw UsageError("cannot read the movie " + request.entry);
    if (UpperCase(movie.filename().string()).find(".SWF") == std::string::npos)
        throw UsageError("the movie " + request.entry + " has no .swf extension");
    const auto number = [&](const std::string& key) {
        const std::string value = Field(f, key, "100");
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError(key + " must be a number of pixels, not \"" + value + "\"");
        return value;
    };
    return PrepareLocalFile(fs::absolute(movie, ec).string(), number("width"), number("height"),
                            background);
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
    const Request request = Parse(args);

    std::error_code ec;
    const fs::path page = fs::absolute(request.page, ec);
    if (ec || !fs::is_regular_file(page, ec))
        throw UsageError("cannot read the page " + request.page.string());
    const fs::path folder = page.parent_path();
    if (folder.empty() || !fs::is_directory(folder, ec))
        throw UsageError("the page " + request.page.string() + " is not in a folder");

    const InstallFolderChoice install = PrepareInstallFolder(request.install);
    if (!install.folder)
        throw UsageError(install.message.empty() ? "no install folder" : install.message);
    const LibraryFolder library = LibraryFolder::Scan(LibraryFolder::Locate(*install.folder));

    std::vector<fs::path> temporary;
    struct Cleanup {
        std::vector<fs::path>& files;
        ~Cleanup() {
            for (const fs::path& file : files) {
                std::error_code ignored;
                fs::remove(file, ignored);
            }
        }
    } cleanup{temporary};

    const auto application = host::Application::create();
    if (!application->openWeb(folder))
        throw UsageError("cannot open the folder " + folder.string() + " as a web");
    const host::PageWindowHandle window = application->openPage(page);
    if (!window)
        throw UsageError("cannot read the page " + request.page.string() + ": " +
                         application->lastError());
    const PreparedObject object = Prepare(request, *install.folder, library, temporary);

    // At the end of the body, where a browser shows it: before a comment, script or the like
    // that the page ends in without closing it. A page without such a place is left alone.
    host::HtmlDocument& document = *window->document();
    const host::PastePlace place = host::livePlaceAtEndOfBody(document.text(), "<OBJECT></OBJECT>");
    if (!place.offset)
        throw UsageError("cannot insert into " + request.page.string() + ": " + place.problem);
    document.setSelection(*place.offset, *place.offset);

    const HostEditor editor(application);
    const PlaceResult placed = PlaceObject(editor, object);
    if (placed.Status == PlaceStatus::NotInWeb)
        throw UsageError("the page " + request.page.string() + " is not saved in a web");
    if (placed.Status != PlaceStatus::Placed)
        throw UsageError("cannot insert into " + request.page.string() +
                         ": the editor found no place in its body for the object");
    if (!application->savePage(window)) {
        err << "tamberlux: cannot save " << page.string() << ": " << application->lastError()
            << "\n";
        return 1;
    }
    out << placed.Id << "\n";
    return 0;
}

} // namespace

int runInsertCommand(const Args& args, std::ostream& out, std::ostream& err) {
    try {
        return Run(args, out, err);
    } catch (const UsageError& e) {
        err << "tamberlux insert: " << e.what() << "\n";
        return 2;
    }
}

} // namespace tlx::app
