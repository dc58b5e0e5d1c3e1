#include "catalog/Catalog.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tlx {

namespace fs = std::filesystem;

SizeParts ReadSizeBlock(std::string_view sizeBlock) {
    return {TextBetween(sizeBlock, "[", "]"), TextBetween(sizeBlock, "(", ")"),
            TextBetween(sizeBlock, "<", ">"), TextBetween(sizeBlock, "!^", "^!")};
}

bool IsCategorised(std::string_view sizeBlock) {
    return sizeBlock.find('<', 1) != std::string_view::npos &&
           sizeBlock.find('>', 1) != std::string_view::npos;
}

std::string CatalogEntry::Width() const {
    return TextBetween(SizeBlock, "[", "]");
}
std::string CatalogEntry::Height() const {
    return TextBetween(SizeBlock, "(", ")");
}
std::string CatalogEntry::Category() const {
    return TextBetween(SizeBlock, "<", ">");
}
std::string CatalogEntry::Description() const {
    return TextBetween(SizeBlock, "!^", "^!");
}

namespace {

// TextBetween for markers without letters, where letter case cannot matter: the same result,
// found with plain searches (catalogs of thousands of lines are read while a dialog opens).
std::string_view Between(std::string_view source, std::string_view startMarker,
                         std::string_view endMarker) {
    const std::size_t s = source.find(startMarker);
    if (s == std::string_view::npos)
        return {};
    const std::size_t from = s + startMarker.size();
    const std::size_t e = source.find(endMarker, from);
    if (e == std::string_view::npos)
        return {};
    return source.substr(from, e - from);
}

} // namespace

CatalogEntry ParseCatalogLine(std::string_view line, std::size_t lineNumber) {
    CatalogEntry entry;
    entry.TypeTag = Between(line, "[", "]");
    entry.FileName = Between(line, "{", "}");
    entry.StyleName = Between(line, "(", ")");
    entry.SizeBlock = Between(line, "*&", "&*");
    entry.Line = std::string(line);
    entry.LineNumber = lineNumber;
    return entry;
}

std::optional<CatalogFields> RequiredFieldsFor(std::string_view catalogFileName) {
    static constexpr std::array<std::pair<std::string_view, CatalogFields>, 8> kCatalogs{{
        {kButtonsCatalog, kTypeFileAndName},
        {kSoundsCatalog, kFileAndName},
        {kHeadingsCatalog, kTypeFileAndName},
        {kBackgroundsCatalog, kFileAndName},
        {kMoviesCatalog, kTypeFileAndName},
        {kMusicCatalog, kFileAndName},
        {kTextEffectsCatalog, kFileAndName},
        {kMiscFlashCatalog, kTypeFileAndName},
    }};
    for (const auto& [file, fields] : kCatalogs)
        if (EqualsNoCase(catalogFileName, file))
            return fields;
    return std::nullopt;
}

std::string DescribeSkip(const SkippedLine& skipped) {
    switch (skipped.Reason) {
    case SkipReason::EmptyLine:
        return "empty line";
    case SkipReason::MissingFields: {
        std::string text;
        auto add = [&text](const char* part) {
            text += text.empty() ? "no " : ", no ";
            text += part;
        };
        if (skipped.Missing.Type)
            add("type between [ and ]");
        if (skipped.Missing.File)
            add("file between { and }");
        if (skipped.Missing.Name)
            add("name between ( and )");
        return text;
    }
    case SkipReason::FileNotInLibrary:
        return "file \"" + skipped.FileName + "\" is not in the library folder";
    case SkipReason::Filtered:
        return "left out by the filter";
    }
    return "skipped";
}

CatalogFilter ButtonCategoryFilter(int selectedIndex, std::string categoryText) {
    if (selectedIndex > 1)
        return [category = std::move(categoryText)](const CatalogEntry& e) {
            return e.Category() == category;
        };
    if (selectedIndex == 1)
        return [](const CatalogEntry& e) { return !IsCategorised(e.SizeBlock); };
    return [](const CatalogEntry&) { return true; };
}

CatalogFilter MiscCategoryFilter(std::string category) {
    return
        [category = std::move(category)](const CatalogEntry& e) { return e.TypeTag == category; };
}

namespace {

struct CatalogText {
    CatalogStatus status = CatalogStatus::Missing;
    fs::path file;
    std::string problem;
    std::string bytes;
};

// `path` itself when it exists, else the entry of its folder with the same name in another
// letter case, else `path` unchanged.
fs::path ResolveCatalogFile(const fs::path& path) {
    const fs::path folder = path.parent_path();
    const auto found =
        FindNoCase(folder.empty() ? fs::path(".") : folder, path.filename().string());
    if (!found)
        return path;
    return folder.empty() ? found->filename() : *found;
}

// Why an existing-or-not question about a catalog could not be answered, in words.
std::string DescribeFailure(std::error_code error) {
    if (error == std::errc::is_a_directory)
        return "it is a folder, not a file";
    if (error == std::errc::no_such_file_or_directory)
        return "its folder does not exist";
    return error.message();
}

CatalogText LoadCatalogText(const fs::path& catalogFile) {
    CatalogText text;
    text.file = ResolveCatalogFile(catalogFile);
    const FileCheck check = FileExists(text.file.string());
    if (check.isMissing()) {
        text.status = CatalogStatus::Missing;
    } else if (check.isFailed()) {
        text.status = CatalogStatus::Unreadable;
        text.problem = DescribeFailure(check.error());
    } else if (auto bytes = ReadFileBytes(text.file)) {
        text.status = CatalogStatus::Read;
        text.bytes = std::move(*bytes);
    } else {
        text.status = CatalogStatus::Unreadable;
        text.problem = "it cannot be read";
    }
    return text;
}

} // namespace

CatalogResult ReadCatalog(const fs::path& catalogFile, CatalogFields required,
                          const LibraryFolder& library, const CatalogFilter& filter) {
    CatalogText text = LoadCatalogText(catalogFile);
    CatalogResult result;
    result.Status = text.status;
    result.File = std::move(text.file);
    result.Problem = std::move(text.problem);
    if (result.Status != CatalogStatus::Read)
        return result;

    const std::vector<std::string_view> lines = SplitLines(text.bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t lineNumber = i + 1;
        if (lines[i].empty()) {
            result.Skipped.push_back({lineNumber, SkipReason::EmptyLine, {}, {}});
            continue;
        }
        CatalogEntry entry = ParseCatalogLine(lines[i], lineNumber);
        const CatalogFields missing{required.Type && entry.TypeTag.empty(),
                                    required.File && entry.FileName.empty(),
                                    required.Name && entry.StyleName.empty()};
        if (missing.any()) {
            result.Skipped.push_back({lineNumber, SkipReason::MissingFields, missing, {}});
            continue;
        }
        if (!library.contains(entry.FileName)) {
            result.Skipped.push_back(
                {lineNumber, SkipReason::FileNotInLibrary, {}, std::move(entry.FileName)});
            continue;
        }
        if (filter && !filter(entry)) {
            result.Skipped.push_back({lineNumber, SkipReason::Filtered, {}, {}});
            continue;
        }
        result.Entries.push_back(std::move(entry));
    }
    return result;
}

CatalogResult ReadCatalog(const fs::path& catalogFile, CatalogFields required,
                          const LibraryFolder& library, CatalogList& target,
                          const CatalogFilter& filter) {
    CatalogResult result = ReadCatalog(catalogFile, required, library, filter);
    target.append(result);
    return result;
}

std::vector<std::string> ReadCatalogTypeTags(const fs::path& catalogFile) {
    const CatalogText text = LoadCatalogText(catalogFile);
    std::vector<std::string> tags;
    for (std::string_view line : SplitLines(text.bytes)) {
        std::string tag = TextBetween(line, "[", "]");
        if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end())
            tags.push_back(std::move(tag));
    }
    return tags;
}

CatalogList::CatalogList(std::string pickPlaceholder, std::string hiddenPlaceholder) {
    reset(std::move(pickPlaceholder), std::move(hiddenPlaceholder));
}

void CatalogList::reset() {
    items_.clear();
    hasPlaceholder_ = false;
}

void CatalogList::reset(std::string pickPlaceholder, std::string hiddenPlaceholder) {
    items_.clear();
    hasPlaceholder_ = true;
    CatalogEntry placeholder;
    placeholder.StyleName = std::move(pickPlaceholder);
    placeholder.TypeTag = hiddenPlaceholder;
    placeholder.FileName = hiddenPlaceholder;
    placeholder.SizeBlock = std::move(hiddenPlaceholder);
    items_.push_back(std::move(placeholder));
}

void CatalogList::append(CatalogEntry entry) {
    items_.push_back(std::move(entry));
}

void CatalogList::append(const CatalogResult& result) {
    items_.insert(items_.end(), result.Entries.begin(), result.Entries.end());
}

std::vector<std::string> CatalogList::styleNames() const {
    std::vector<std::string> names;
    names.reserve(items_.size());
    for (const CatalogEntry& e : items_)
        names.push_back(e.StyleName);
    return names;
}

std::size_t CatalogList::indexOfFileName(std::string_view fileName) const {
    for (std::size_t i = items_.size(); i-- > 0;)
        if (items_[i].FileName == fileName)
            return i;
    return 0;
}

} // namespace tlx
