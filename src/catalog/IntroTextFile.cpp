#include "catalog/IntroTextFile.h"

#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <ctime>
#include <exception>
#include <system_error>
#include <vector>

namespace tlx {

LocalMoment LocalMomentOf(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    return {local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string IntroTextFileName(const LocalMoment& m) {
    return "FP" + std::to_string(m.Day) + std::to_string(m.Hour) + std::to_string(m.Minute) +
           std::to_string(m.Second) + ".htm";
}

std::string IntroTextFileContent(std::string_view mainText, std::string_view additionalText) {
    std::string content;
    content.reserve(mainText.size() + additionalText.size() + 18);
    content += "T1=";
    content += mainText;
    content += "&T2=";
    content += additionalText;
    content += "&eof=1\r\n";
    return content;
}

IntroFileTexts IntroTextsOfFile(std::string_view content) {
    const std::size_t start = content.find("T1=");
    if (start == std::string_view::npos)
        return {};
    std::string_view rest = content.substr(start + 3);
    if (const std::size_t end = rest.rfind("&eof=1"); end != std::string_view::npos)
        rest = rest.substr(0, end);
    else
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n'))
            rest.remove_suffix(1);
    const std::size_t split = rest.rfind("&T2=");
    if (split == std::string_view::npos)
        return {std::string(rest), {}};
    return {std::string(rest.substr(0, split)), std::string(rest.substr(split + 4))};
}

Result<> WriteIntroTextFile(const std::filesystem::path& path, std::string_view mainText,
                            std::string_view additionalText) {
    // Written whole or not at all: a movie that reads it meanwhile never sees half a text.
    return WriteFileAtomically(path, IntroTextFileContent(mainText, additionalText));
}

int DeletePreviewTextFiles(const std::string& installFolder) noexcept {
    int removed = 0;
    try {
        namespace fs = std::filesystem;
        const auto library = FindNoCase(installFolder, "FlashMovies");
        if (!library)
            return 0;
        std::error_code error;
        std::vector<fs::path> doomed;
        for (fs::directory_iterator it(*library, error), end; !error && it != end;
             it.increment(error)) {
            const std::string extension = it->path().extension().string();
            if (EqualsNoCase(extension, ".htm") && it->is_regular_file(error))
                doomed.push_back(it->path());
        }
        for (const fs::path& file : doomed) {
            std::error_code ignored;
            if (fs::remove(file, ignored))
                ++removed;
        }
    } catch (const std::exception&) {
        LogCurrentException("Form_Unload: removing the preview text files");
    }
    return removed;
}

} // namespace tlx
