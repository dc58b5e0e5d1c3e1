#pragma once
// Re-editing an object in the dialog that made it: which dialog an object's ID calls for, the
// values its fields are filled with (read back from the object's markup as the properties
// dialog kept it), and the intro movie's text file, read through the page editor and copied
// into the library for the preview.

#include "addinbase/AddinContext.h"
#include "catalog/Catalog.h"
#include "platform/Result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tlx {

enum class ReEditKind { None, Button, Heading, IntroMovie, MiscArt };

// By the first 13 characters of the ID: oKestreliteBT, HD, MV, CL; None for anything else.
ReEditKind ReEditKindOf(std::string_view id);

inline constexpr std::string_view kNoFurtherPropertiesMessage =
    "No Further Properties Available On Flash Art...";

// A text colour as a swatch shows it: "#" and the TC value.
std::string TextColourText(std::string_view tc);

struct ButtonReEdit {
    std::string T1, T2, TU, TW;
    std::size_t StyleIndex = 0; // in the style list, by the movie file
    std::size_t SoundIndex = 0; // in the sound list, by BS; 0 when not listed
    std::string TextColor;      // "#" + TC
};

struct HeadingReEdit {
    std::string T1, TU, TW;
    std::size_t StyleIndex = 0;
    std::size_t BackIndex = 0; // by BM
    std::string TextColor;
};

struct IntroReEdit {
    std::string OldVFile; // TF: the object's text file in the web
    std::string TU, TW;
    std::size_t StyleIndex = 0;
    std::size_t BackIndex = 0;   // by BM
    std::size_t MusicIndex = 0;  // by TM
    std::size_t EffectIndex = 0; // by TE
    std::string TextColor;
    std::string TSize; // TS
};

// The fields of each dialog from the object's inner markup and the dialog's catalog lists
// (index 0 of each is its placeholder, chosen for a name that is not listed).
ButtonReEdit ReadButtonReEdit(std::string_view innerMarkup, const CatalogList& styles,
                              const CatalogList& sounds);
HeadingReEdit ReadHeadingReEdit(std::string_view innerMarkup, const CatalogList& styles,
                                const CatalogList& backgrounds);
IntroReEdit ReadIntroReEdit(std::string_view innerMarkup, const CatalogList& styles,
                            const CatalogList& backgrounds, const CatalogList& music,
                            const CatalogList& effects);

// How long the waits on the page editor and on the intro movie dialog may take.
inline constexpr int kReEditWaitMs = 10000;

// The two texts of an intro movie's text file.
struct IntroTexts {
    std::string T1;
    std::string T2;
};

// Opens the text file `fileName` of the page's folder in the editor, waits (at most `timeoutMs`)
// until it is open, takes the text of its body and closes it without saving. StatusFlag is
// "Waiting" from here on, for the intro movie dialog's load to change. A failure says why the
// texts could not be read: a message of an error number, " - " and its description.
Result<IntroTexts> ReadIntroTextsThroughHost(AddinContext& context, const std::string& fileName,
                                             int timeoutMs = kReEditWaitMs);

// Waits, letting events run, while StatusFlag is "Waiting"; false after `timeoutMs`.
bool WaitWhileStatusWaiting(AddinContext& context, int timeoutMs = kReEditWaitMs);

// Writes the preview copy of the texts into the library under a fresh "FP....htm" name, after
// removing the earlier preview files there. The name written, empty when it could not be.
std::string WritePreviewTextFile(const std::string& installFolder, std::string_view t1,
                                 std::string_view t2);

// The message of a failed step: "<number> - <description>".
std::string ErrorMessage(int number, std::string_view description);

} // namespace tlx
