#include "markup/TextHelpers.h"

#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tlx {

char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = ToUpperAscii(c);
    return upper;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (from > haystack.size())
        return std::string_view::npos;
    if (needle.empty())
        return from;
    if (needle.size() > haystack.size())
        return std::string_view::npos;
    const char first = ToUpperAscii(needle.front());
    const char firstLower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first + 32) : first;
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t i = from; i <= last; ++i) {
        const char c = haystack[i];
        if (c != first && c != firstLower)
            continue;
        std::size_t k = 1;
        while (k < needle.size() && ToUpperAscii(haystack[i + k]) == ToUpperAscii(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    return FindNoCase(haystack, needle) != std::string_view::npos;
}

std::string ReplaceText(std::string_view source, std::string_view find,
                        std::string_view replacement) {
    if (find.empty())
        return std::string(source);
    std::string result;
    result.reserve(source.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = FindNoCase(source, find, pos);
        if (hit == std::string_view::npos)
            break;
        result.append(source.substr(pos, hit - pos));
        result.append(replacement);
        pos = hit + find.size();
    }
    result.append(source.substr(pos));
    return result;
}

std::string TextBetween(std::string_view source, std::string_view startMarker,
                        std::string_view endMarker) {
    const std::size_t s = FindNoCase(source, startMarker);
    if (s == std::string_view::npos)
        return {};
    const std::size_t from = s + startMarker.size();
    const std::size_t e = FindNoCase(source, endMarker, from);
    if (e == std::string_view::npos)
        return {};
    return std::string(source.substr(from, e - from));
}

bool IsAlphanumeric(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!ok)
            return false;
    }
    return true;
}

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FileCheck FileExists(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return FileCheck::failed(std::make_error_code(std::errc::invalid_argument));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error != ENOENT)
            return FileCheck::failed(std::error_code(error, std::generic_category()));
        // Not there: a plain "missing" only when the folder that should hold it exists.
        const std::size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : path.substr(0, slash);
        if (IsDirectory(folder))
            return FileCheck::missing();
        return FileCheck::failed(std::error_code(ENOENT, std::generic_category()));
    }
    struct stat info {};
    const bool statOk = ::fstat(fd, &info) == 0;
    const int statError = errno;
    ::close(fd);
    if (!statOk)
        return FileCheck::failed(std::error_code(statError, std::generic_category()));
    if (S_ISDIR(info.st_mode))
        return FileCheck::failed(std::make_error_code(std::errc::is_a_directory));
    return FileCheck::exists();
}

std::string ReadWholeFile(const std::string& path) {
    if (!FileExists(path).isExisting())
        return {};
    // Only a plain file is read: a named pipe or a device where a data file was expected would
    // make the read wait for ever or never end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return ReadFileBytes(path).value_or(std::string());
}

std::size_t TextFileUses(std::string_view markup, std::string_view fileName) {
    const std::string key = "TF=" + std::string(fileName);
    std::size_t count = 0;
    for (std::size_t at = markup.find(key); at != std::string_view::npos;
         at = markup.find(key, at + key.size()))
        ++count;
    return count;
}

bool TextFileNamedByOtherPages(const std::string& webFolder, const std::string& exceptPage,
                               std::string_view fileName) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path except = fs::weakly_canonical(exceptPage, error);
    fs::recursive_directory_iterator it(webFolder, fs::directory_options::skip_permission_denied,
                                        error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::string extension = path.extension().string();
        for (char& c : extension)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((extension != ".htm" && extension != ".html") || !it->is_regular_file(error))
            continue;
        std::error_code same;
        if (fs::weakly_canonical(path, same) == except)
            continue;
        if (TextFileUses(ReadWholeFile(path.string()), fileName) > 0)
            return true;
    }
    if (error) {
        LogWarning("TextFileNamedByOtherPages",
                   "cannot look through " + webFolder + ": " + error.message());
        return true;
    }
    return false;
}

namespace {

// Whether a page open in the editor other than `page` names the text file in its current text,
// saved or not (one the user pasted the intro into, say).
bool NamedByAnotherOpenPage(const HostEditor& editor, const PageWindowPtr& page,
                            std::string_view fileName) {
    const HostApplication* application = editor.Application();
    if (!application)
        return false;
    for (const PageWindowPtr& other : application->PageWindows()) {
        const DocumentPtr document = other && other != page ? other->Document() : nullptr;
        const ElementPtr body = document ? document->body() : nullptr;
        if (body && TextFileUses(body->outerHTML(), fileName) > 0)
            return true;
    }
    return false;
}

} // namespace

void DeleteReplacedTextFiles(AddinContext& context, const PageWindowPtr& page) {
    const DocumentPtr document = page ? page->Document() : nullptr;
    if (!document || context.TextFilesToDelete.empty())
        return;
    const std::string href = document->locationHref();
    const ElementPtr body = document->body();
    const std::string markup = body ? body->outerHTML() : std::string();
    const WebPtr web = context.Editor.ActiveWeb();
    const FolderPtr root = web ? web->RootFolder() : nullptr;
    std::erase_if(context.TextFilesToDelete, [&](const TextFileToDelete& entry) {
        if (entry.PageHref != href)
            return false;
        if (!body || TextFileUses(markup, entry.FileName) > 0)
            return true; // the page names it again: it stays
        if (!root || TextFileNamedByOtherPages(root->LocalPath(), entry.PageFile, entry.FileName) ||
            NamedByAnotherOpenPage(context.Editor, page, entry.FileName)) {
            LogInfo("DeleteReplacedTextFiles",
                    "the old text file " + entry.FileName + " stays: another page names it");
            return true;
        }
        std::error_code error;
        if (!std::filesystem::remove(std::filesystem::path(entry.Folder) / entry.FileName, error) &&
            error)
            LogWarning("DeleteReplacedTextFiles", "could not delete the old text file " +
                                                      entry.FileName + ": " + error.message());
        return true;
    });
}

FolderPtr GetPageFolder(const HostEditor& editor) {
    const WebPtr web = editor.ActiveWeb();
    FolderPtr folder = web ? web->RootFolder() : nullptr;
    if (const DocumentPtr document = editor.ActiveDocument()) {
        if (document->locationHref().rfind("unsaved", 0) == 0)
            return folder;
    }
    if (!folder)
        return nullptr;

    const PageWindowPtr window = editor.ActivePageWindow();
    if (!window)
        return folder;
    const DocumentPtr pageDocument = window->Document();
    const std::string page = pageDocument ? pageDocument->locationHref() : std::string();
    const std::string root = folder->Url();

    // The part after the root address and the separator that follows it, without the page's
    // own file name: each folder on the way, followed by "/". Addresses write blanks and other
    // bytes as escapes where names hold them as they are.
    std::string relative =
        PercentDecoded(page.size() > root.size() + 1 ? page.substr(root.size() + 1) : "");
    const FilePtr file = window->File();
    const std::size_t nameLength = file ? file->Name().size() : 0;
    relative.resize(relative.size() > nameLength ? relative.size() - nameLength : 0);

    std::size_t start = 0;
    for (std::size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', start)) {
        FolderPtr next = folder->Folders(std::string_view(relative).substr(start, slash - start));
        if (!next)
            break;
        folder = std::move(next);
        start = slash + 1;
    }
    return folder;
}

int ShellOpen(Platform& platform, const std::string& target) {
    return platform.shellOpen(target);
}

void SayWhenNotOpened(const HostEditor& editor, int shellResult) {
    if (shellResult == kShellNoAssociation)
        editor.SetStatusText(kNoBrowserNote);
}

int ShellOpen(const HostEditor& editor, Platform& platform, const std::string& target) {
    const int result = ShellOpen(platform, target);
    SayWhenNotOpened(editor, result);
    return result;
}

} // namespace tlx
