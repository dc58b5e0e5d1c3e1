#pragma once
// The insertion shared by the creation dialogs, the local file dialog and the `insert`
// command: the page check, the import of the movie and its companion files into the page's
// folder, the object ID and the call of the markup writer.

#include "catalog/Catalog.h"
#include "catalog/MovieReference.h"
#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view kUnsavedPageMessage =
    "Unable to succesfully add Flash content without being in a Frontpage Web or a Saved "
    "document.\rPlease save page/web before adding Flash content.";
inline constexpr std::string_view kNoSwfExtensionMessage =
    "Unable to succesfully add Flash content. Flash (.SWF) Extension Not Found In Filename.";
inline constexpr std::string_view kResultTitle = "Mirvane";
// When the page has no place in its body where a browser would show the object.
inline constexpr std::string_view kNoPlaceMessage =
    "Unable to add Flash content at the cursor: a browser would not show it there, and no place "
    "near it in the page's body would (a page of frames has no body).\rPlease put the cursor "
    "into the page's text and try again.";

// The ID prefix of local Flash files, after the "o".
inline constexpr std::string_view kFromFilePrefix = "FromFileFL";

// Whether the active page is saved and in the open web: its address does not begin with
// "unsaved", the web's address is not empty, and the page's address lies inside the web's
// (a page saved to a folder outside the web has no web folder to take its movies).
bool PageIsSavedInWeb(const HostEditor& editor);

// Shows the message of an unsaved page or a page outside the open web.
void ShowUnsavedPageMessage(Platform& platform);
// Shows kNoPlaceMessage.
void ShowNoPlaceMessage(Platform& platform);

// An object ready to go into the page.
struct PreparedObject {
    std::string IdPrefix; // before the number, without the "o": "KestreliteBT"
    std::string MovieRef; // the finished reference, before the colour weighting
    std::string Width;
    std::string Height;
    std::string Background = "#FFFFFF";
    std::vector<std::string> Files; // full local paths to copy next to the page, in order
};

// Where an update puts the object instead of a new one.
struct UpdateTarget {
    std::string SelectedObjectId; // the edited object's ID; the new ID is "o" + its rest
    std::string Width;
    std::string Height;
    std::string WMode;
};

// Copies each file into the folder (replacing files of the same name); failures are logged
// and the next file is copied.
void ImportFiles(const FolderPtr& folder, const std::vector<std::string>& files);

enum class PlaceStatus {
    Placed,
    NotInWeb, // the page check failed: nothing done
    NoPlace   // the editor took no object there: nothing done
};
struct PlaceResult {
    PlaceStatus Status = PlaceStatus::NotInWeb;
    std::string Id; // the object's ID when placed
};

// Steps after the dialog's own checks: page check, ID, InsertFlashObject with window mode
// "transparent" (or the update's), then the import into the page's folder, so that an object
// the page cannot take leaves no copied files behind. The caller shows the message of a
// failure.
PlaceResult PlaceObject(const HostEditor& editor, const PreparedObject& object,
                        const std::optional<UpdateTarget>& update = std::nullopt);
// Shows the message for a failed PlaceObject (none when placed).
void ShowPlaceFailure(Platform& platform, PlaceStatus status);

// ---- the objects of each kind, from the values the dialogs hold

// The size of a catalog entry: width "[...]" and height "(...)" of its size block.
void SetCatalogSize(PreparedObject& object, const CatalogEntry& entry);

// The colour text of a background swatch, "#FFFFFF" when empty.
std::string BackgroundOrWhite(std::string_view colourText);

// A button; `soundFile` is the bare sound file name ("" for none; it is then also left out
// of BS).
PreparedObject PrepareButton(const LibraryFolder& library, const CatalogEntry& entry,
                             ButtonParameters values, const std::string& soundFile,
                             std::string_view background);
PreparedObject PrepareHeading(const LibraryFolder& library, const CatalogEntry& entry,
                              HeadingParameters values, std::string_view background);
// The text file (values.TF) lies in the library folder next to the movies.
PreparedObject PrepareIntroMovie(const LibraryFolder& library, const CatalogEntry& entry,
                                 IntroMovieParameters values, std::string_view background);
PreparedObject PrepareMiscArt(const LibraryFolder& library, const CatalogEntry& entry,
                              std::string_view background);
// A local Flash file: copied next to the page and referred to by its bare name (bytes outside
// ASCII as %XX).
PreparedObject PrepareLocalFile(const std::string& path, std::string width, std::string height,
                                std::string_view background);

// The bare name of a path: the text after its last "/" or "\".
std::string BareFileName(std::string_view path);

} // namespace tlx
