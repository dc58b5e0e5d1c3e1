#include "catalog/IntroTextFile.h"

#include "platform/FileUtil.h"

#include <ctime>

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

bool WriteIntroTextFile(const std::filesystem::path& path, std::string_view mainText,
                        std::string_view additionalText) {
    // Written whole or not at all: a movie that reads it meanwhile never sees half a text.
    return WriteFileAtomically(path, IntroTextFileContent(mainText, additionalText)).empty();
}

} // namespace tlx
