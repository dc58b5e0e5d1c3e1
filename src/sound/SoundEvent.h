#pragma once
// Sound events on a page's images: a tiny sound movie of the library, inserted once at the end
// of the page body, and a handler on the image that plays it when the mouse comes over the
// image, leaves it or clicks it.

#include "catalog/InsertionFlow.h" // kUnsavedPageMessage
#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view kSoundEventNote =
    "Sound Events Only Tested Under Internet Explorer.";
inline constexpr std::string_view kSoundPlaceholder = "Available Flash Sounds...";
inline constexpr std::string_view kImagePlaceholder = "Available Document Image...";

// One sound of the sounds catalog as this dialog reads it: all four fields are required.
struct SoundEntry {
    std::string File;        // "{" ... "}": movie in the library, also the reference written
    std::string Name;        // "(" ... ")"
    std::string Description; // "!^" ... "^!"
    std::string Id;          // "[" ... "]": ID and NAME of the sound object
};

// The sounds of "sounds.kqz" in the install folder whose four fields are non-empty and whose
// file is in the library, in file order. A missing catalog gives none.
std::vector<SoundEntry> ReadSoundEntries(const std::string& installFolder);

// The mouse events a sound can follow, in the order of the event list.
enum class SoundEvent { MouseOver = 0, MouseOut = 1, Click = 2 };
inline constexpr std::string_view kSoundEventNames[] = {"On Mouse Over", "On Mouse Out",
                                                        "On Mouse Click"};
// The handler attribute of an event: "onmouseover", "onmouseout", "onclick".
std::string_view HandlerAttribute(SoundEvent event);

// The image list's entries for a page's IMG elements, in document order: the image's name, or
// "Image Object [n] " (n counting every image from 0) for an image without one.
std::vector<std::string> ImageListEntries(const HostDocument& document);

// The images an entry of the image list stands for: the one at the written position for an
// "Image Object" entry, else every image whose name is the entry.
std::vector<ElementPtr> ImagesOfEntry(const HostDocument& document, std::string_view entry);

// The markup of a sound object: 18 by 18 pixels, named by the sound's ID.
std::string SoundObjectMarkup(std::string_view id, std::string_view file, std::string_view bgcolor);

// An image's handler once it also plays the sound `id`.
std::string HandlerWithSound(std::string_view handler, std::string_view id);

// Whether the page already holds the sound object `id`: a Flash OBJECT whose ID contains it.
bool HasSoundObject(const HostDocument& document, std::string_view id);

enum class SoundInsertResult { NothingChosen, UnsavedPage, Inserted, Failed };

// Attaches `sound` to the image at `imageIndex` (0-based among the page's images) for `event`:
// copies the movie into the page's folder and inserts its object unless the page has it, then
// sets the image's handler. An unsaved page or no open web shows the Part's message.
SoundInsertResult InsertSoundEvent(const HostEditor& editor, Platform& platform,
                                   const std::string& installFolder, const SoundEntry& sound,
                                   int imageIndex, SoundEvent event);

} // namespace tlx
