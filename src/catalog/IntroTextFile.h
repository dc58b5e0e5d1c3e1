#pragma once
// The text file of an intro movie: its two texts travel in a small file next to the movie,
// named in the movie reference by TF. The file holds one line
//   T1=<main text>&T2=<additional text>&eof=1
// ended by CR LF, the texts written as typed (blanks and "&" not encoded), as single-byte text.
// The movie loads it as URL-encoded variables; "eof=1" tells it the whole file arrived.

#include "platform/Result.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace tlx {

// The moment a text file name is formed from, in local time.
struct LocalMoment {
    int Day = 1;    // day of the month, 1-31
    int Hour = 0;   // 0-23
    int Minute = 0; // 0-59
    int Second = 0; // 0-60
};

// The local day, hour, minute and second of a point in time.
LocalMoment LocalMomentOf(std::chrono::system_clock::time_point when);

// "FP" + day + hour + minute + second + ".htm", each a decimal number without leading zeros:
// the 8th at 09:05:07 gives "FP8957.htm". Different moments can give the same name.
std::string IntroTextFileName(const LocalMoment& moment);

// The file's content for two texts, CR LF included.
std::string IntroTextFileContent(std::string_view mainText, std::string_view additionalText);

// The two texts of such a file, read as the intro movie reads them: the main text runs from
// "T1=" to the last "&T2=", the additional text from there to the last "&eof=1" (or to the end
// of the line), so that an "&" typed into either text comes back whole. No "T1=" gives two
// empty texts; no "&T2=" an empty additional text.
struct IntroFileTexts {
    std::string Main;
    std::string Additional;
};
IntroFileTexts IntroTextsOfFile(std::string_view content);

// What a new dialog writes before the user has typed anything.
inline constexpr std::string_view kInitialIntroText = "YOUR TEXT";

// Writes the text file (replacing an existing one); a failure says why it cannot be written.
Result<> WriteIntroTextFile(const std::filesystem::path& path, std::string_view mainText,
                            std::string_view additionalText);

// Removes every "*.htm" file (letter case ignored) of the install folder's "FlashMovies"; the
// intro movies' text files made for previews. Failures are ignored. The number removed.
int DeletePreviewTextFiles(const std::string& installFolder) noexcept;

} // namespace tlx
