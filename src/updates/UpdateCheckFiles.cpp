#include "updates/UpdateCheckFiles.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

namespace tlx {

namespace fs = std::filesystem;

namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Moves `pos` past one line break (CR LF, CR or LF) if one stands there.
std::size_t skipLineBreak(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    } else if (pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    return pos;
}

// Reads one record at `pos` and moves `pos` past it; nothing at the end of the text.
std::optional<std::string> readRecord(std::string_view text, std::size_t& pos) {
    if (pos >= text.size())
        return std::nullopt;
    if (text[pos] == '"') {
        // The closing quote is the first one that ends a line (or the text).
        for (std::size_t q = text.find('"', pos + 1); q != std::string_view::npos;
             q = text.find('"', q + 1)) {
            if (q + 1 == text.size() || isLineBreak(text[q + 1])) {
                std::string value(text.substr(pos + 1, q - pos - 1));
                pos = skipLineBreak(text, q + 1);
                return value;
            }
        }
        ++pos; // no closing quote: the rest of the line without its opening quote
    }
    std::size_t end = pos;
    while (end < text.size() && !isLineBreak(text[end]))
        ++end;
    std::string value(text.substr(pos, end - pos));
    pos = skipLineBreak(text, end);
    return value;
}

std::string quotedRecord(std::string_view text) {
    std::string record;
    record.reserve(text.size() + 4);
    record += '"';
    record += text;
    record += "\"\r\n";
    return record;
}

fs::path fileIn(const fs::path& installFolder, std::string_view name) {
    return ResolveNoCase(installFolder, std::string(name));
}

} // namespace

KqzVersions ParseVersionFile(std::string_view text) {
    KqzVersions versions;
    std::size_t pos = 0;
    if (auto files = readRecord(text, pos))
        versions.filesVersion = std::move(*files);
    if (auto news = readRecord(text, pos))
        versions.newsVersion = std::move(*news);
    return versions;
}

std::string VersionFileText(const KqzVersions& versions) {
    return quotedRecord(versions.filesVersion) + quotedRecord(versions.newsVersion);
}

KqzVersions ReadVersionFile(const fs::path& installFolder) {
    const auto path = FindNoCase(installFolder, std::string(kVersionFileName));
    if (!path)
        return {};
    const auto text = ReadFileBytes(*path);
    return text ? ParseVersionFile(*text) : KqzVersions{};
}

Result<> WriteVersionFile(const fs::path& installFolder, const KqzVersions& versions) {
    return WriteFileAtomically(fileIn(installFolder, kVersionFileName), VersionFileText(versions));
}

std::string SitesFileText(std::string_view reply) {
    return quotedRecord(reply);
}

std::string ParseSitesFile(std::string_view text) {
    if (text.empty() || text.front() != '"')
        return std::string(text);
    std::string_view body = text.substr(1);
    while (!body.empty() && isLineBreak(body.back()))
        body.remove_suffix(1);
    if (body.empty() || body.back() != '"')
        return std::string(text);
    body.remove_suffix(1);
    return std::string(body);
}

std::optional<std::string> ReadSitesFile(const fs::path& installFolder) {
    const auto path = FindNoCase(installFolder, std::string(kSitesFileName));
    if (!path)
        return std::nullopt;
    const auto text = ReadFileBytes(*path);
    if (!text)
        return std::nullopt;
    return ParseSitesFile(*text);
}

Result<> WriteSitesFile(const fs::path& installFolder, std::string_view reply) {
    return WriteFileAtomically(fileIn(installFolder, kSitesFileName), SitesFileText(reply));
}

bool IsConnectReply(std::string_view reply) {
    return reply.find(kConnectMarker) != std::string_view::npos;
}

bool IsSitesReply(std::string_view reply) {
    return reply.find(kSitesMarker) != std::string_view::npos;
}

std::optional<std::string> AnnouncedVersion(std::string_view newsReply, std::string_view marker) {
    if (marker.empty() || newsReply.find(marker) == std::string_view::npos)
        return std::nullopt;
    const std::string block =
        TextBetween(newsReply, "[" + std::string(marker), std::string(marker) + "]");
    return TextBetween(block, "{", "}");
}

NewsEvaluation EvaluateNews(std::string_view newsReply, const KqzVersions& kept) {
    NewsEvaluation result;
    result.versions = kept;
    if (auto news = AnnouncedVersion(newsReply, kNewsMarker)) {
        result.askNews = *news != kept.newsVersion;
        result.versions.newsVersion = std::move(*news);
    }
    if (auto flash = AnnouncedVersion(newsReply, kFlashMarker)) {
        result.askFlash = *flash != kept.filesVersion;
        result.versions.filesVersion = std::move(*flash);
    }
    return result;
}

} // namespace tlx
