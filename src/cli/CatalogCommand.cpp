// tamberlux catalog FILE: the entries a catalog file gives, as a dialog would read it, with the
// library folder "FlashMovies" beside the catalog. Accepted entries go to standard output, one
// line each with the tab-separated fields type, file, name, width, height, category and
// description (a tab or backslash inside a field written as \t or \\); skipped lines go to
// standard error with their line number and the reason.

#include "catalog/Catalog.h"
#include "catalog/LibraryFolder.h"
#include "cli/Commands.h"

#include <exception>
#include <filesystem>
#include <string_view>

namespace tlx::app {

namespace {

void WriteField(std::ostream& out, std::string_view field) {
    for (char c : field) {
        if (c == '\t')
            out << "\\t";
        else if (c == '\\')
            out << "\\\\";
        else
            out << c;
    }
}

void WriteEntry(std::ostream& out, const CatalogEntry& e) {
    const SizeParts size = ReadSizeBlock(e.SizeBlock);
    const std::string_view fields[] = {e.TypeTag,   e.FileName,    e.StyleName,     size.Width,
                                       size.Height, size.Category, size.Description};
    bool first = true;
    for (std::string_view field : fields) {
        if (!first)
            out << '\t';
        first = false;
        WriteField(out, field);
    }
    out << '\n';
}

int ListCatalog(const std::string& fileArgument, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    const fs::path file(fileArgument);
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const LibraryFolder library = LibraryFolder::Scan(LibraryFolder::Locate(folder));
    const CatalogFields required =
        RequiredFieldsFor(file.filename().string()).value_or(kFileAndName);

    const CatalogResult result = ReadCatalog(file, required, library);
    if (result.Status == CatalogStatus::Missing) {
        err << "tamberlux: cannot read the catalog " << fileArgument << ": no such file\n";
        return 2;
    }
    if (result.Status == CatalogStatus::Unreadable) {
        err << "tamberlux: cannot read the catalog " << fileArgument << ": " << result.Problem
            << "\n";
        return 2;
    }
    if (!library.listed())
        err << "tamberlux: no library folder " << library.folder().string()
            << " beside the catalog; every named file counts as missing\n";
    for (const CatalogEntry& entry : result.Entries)
        WriteEntry(out, entry);
    for (const SkippedLine& skipped : result.Skipped)
        err << fileArgument << ":" << skipped.LineNumber << ": skipped: " << DescribeSkip(skipped)
            << "\n";
    out.flush();
    return 0;
}

} // namespace

int runCatalogCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "Usage: tamberlux catalog FILE\n"
               "  lists the entries of a catalog file; its movies are looked up in the\n"
               "  FlashMovies folder beside it\n";
        return 2;
    }
    try {
        return ListCatalog(args[0], out, err);
    } catch (const std::exception& e) {
        err << "tamberlux: cannot read the catalog " << args[0] << ": " << e.what() << "\n";
        return 2;
    }
}

} // namespace tlx::app
