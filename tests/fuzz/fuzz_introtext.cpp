// The intro movie's text file as the re-edit reads it: any file gives two texts taken from it,
// and two texts written into a file come back whole (but for an additional text holding
// "&T2=", which the movie reads the same way).

#include "catalog/IntroTextFile.h"
#include "fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const tlx::IntroFileTexts read = tlx::IntroTextsOfFile(bytes);
    FUZZ_CHECK(read.Main.size() + read.Additional.size() <= bytes.size(), std::string(bytes));
    FUZZ_CHECK(bytes.find(read.Main) != std::string_view::npos, std::string(bytes));
    FUZZ_CHECK(bytes.find(read.Additional) != std::string_view::npos, std::string(bytes));

    // The input as the two texts a user typed: split at its first line break.
    const std::size_t split = bytes.find('\n');
    const std::string_view main = bytes.substr(0, split);
    const std::string_view additional =
        split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
    if (additional.find("&T2=") == std::string_view::npos) {
        const tlx::IntroFileTexts back =
            tlx::IntroTextsOfFile(tlx::IntroTextFileContent(main, additional));
        FUZZ_CHECK(back.Main == main && back.Additional == additional, std::string(bytes));
    }
    return 0;
}
