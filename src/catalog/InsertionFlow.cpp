#include "catalog/InsertionFlow.h"

#include "markup/FlashObject.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

namespace tlx {

namespace {

std::string LibraryPath(const LibraryFolder& library, const std::string& fileName) {
    if (const auto found = library.pathOf(fileName))
        return found->string();
    return (library.folder() / fileName).string();
}

} // namespace

bool PageIsSavedInWeb(const HostEditor& editor) {
    const DocumentPtr document = editor.ActiveDocument();
    const std::string location = document ? document->locationHref() : std::string("unsaved");
    const WebPtr web = editor.ActiveWeb();
    const std::string webUrl = web ? web->Url() : std::string();
    if (location.compare(0, 7, "unsaved") == 0 || webUrl.empty())
        return false;
    // Inside the web's folder: its address and a "/" (the root's address may end in one).
    const std::string inside = webUrl.ends_with('/') ? webUrl : webUrl + "/";
    return location.size() > inside.size() && location.compare(0, inside.size(), inside) == 0;
}

void ShowUnsavedPageMessage(Platform& platform) {
    platform.messageBox(std::string(kUnsavedPageMessage), MsgButtons::OkOnly, MsgIcon::Exclamation,
                        std::string(kResultTitle));
}

void ShowNoPlaceMessage(Platform& platform) {
    platform.messageBox(std::string(kNoPlaceMessage), MsgButtons::OkOnly, MsgIcon::Exclamation,
                        std::string(kResultTitle));
}

void ShowPlaceFailure(Platform& platform, PlaceStatus status) {
    if (status == PlaceStatus::NotInWeb)
        ShowUnsavedPageMessage(platform);
    else if (status == PlaceStatus::NoPlace)
        ShowNoPlaceMessage(platform);
}

void ImportFiles(const FolderPtr& folder, const std::vector<std::string>& files) {
    if (!folder) {
        LogWarning("ImportFiles", "the page has no folder; nothing copied");
        return;
    }
    for (const std::string& file : files)
        if (!folder->AddFile(file, true))
            LogWarning("ImportFiles", "could not copy " + file + " into " + folder->LocalPath());
}

PlaceResult PlaceObject(const HostEditor& editor, const PreparedObject& object,
                        const std::optional<UpdateTarget>& update) {
    if (!PageIsSavedInWeb(editor))
        return {PlaceStatus::NotInWeb, {}};
    std::string id;
    bool placed = false;
    if (update) {
        id = "o" + (update->SelectedObjectId.empty() ? std::string()
                                                     : update->SelectedObjectId.substr(1));
        placed = InsertFlashObject(editor, id, object.MovieRef, update->Width, update->Height,
                                   BackgroundOrWhite(object.Background), update->WMode, "", true);
    } else {
        id = "o" + object.IdPrefix + NextObjectNumber(editor);
        placed = InsertFlashObject(editor, id, object.MovieRef, object.Width, object.Height,
                                   BackgroundOrWhite(object.Background), "transparent", "", false);
    }
    if (!placed) {
        LogWarning("PlaceObject", "the page took no object " + id + "; nothing copied");
        return {PlaceStatus::NoPlace, {}};
    }
    ImportFiles(GetPageFolder(editor), object.Files);
    return {PlaceStatus::Placed, id};
}

void SetCatalogSize(PreparedObject& object, const CatalogEntry& entry) {
    object.Width = entry.Width();
    object.Height = entry.Height();
}

std::string BackgroundOrWhite(std::string_view colourText) {
    return colourText.empty() ? std::string("#FFFFFF") : std::string(colourText);
}

PreparedObject PrepareButton(const LibraryFolder& library, const CatalogEntry& entry,
                             ButtonParameters values, const std::string& soundFile,
                             std::string_view background) {
    PreparedObject object;
    object.IdPrefix = IdPrefix(CreationKind::Button).substr(1);
    object.Files.push_back(LibraryPath(library, entry.FileName));
    if (!soundFile.empty())
        object.Files.push_back(LibraryPath(library, soundFile));
    values.FileName = entry.FileName;
    values.BS = soundFile;
    object.MovieRef = ButtonMovieReference(values);
    SetCatalogSize(object, entry);
    object.Background = BackgroundOrWhite(background);
    return object;
}

PreparedObject PrepareHeading(const LibraryFolder& library, const CatalogEntry& entry,
                              HeadingParameters values, std::string_view background) {
    PreparedObject object;
    object.IdPrefix = IdPrefix(CreationKind::Heading).substr(1);
    object.Files.push_back(LibraryPath(library, entry.FileName));
    if (!values.BM.empty())
        object.Files.push_back(LibraryPath(library, values.BM));
    values.FileName = entry.FileName;
    object.MovieRef = HeadingMovieReference(values);
    SetCatalogSize(object, entry);
    object.Background = BackgroundOrWhite(background);
    return object;
}

PreparedObject PrepareIntroMovie(const LibraryFolder& library, const CatalogEntry& entry,
                                 IntroMovieParameters values, std::string_view background) {
    PreparedObject object;
    object.IdPrefix = IdPrefix(CreationKind::IntroMovie).substr(1);
    object.Files.push_back(LibraryPath(library, entry.FileName));
    // The text file is written by the dialog after the library was listed: by its own path.
    object.Files.push_back((library.folder() / values.TF).string());
    for (const std::string* companion : {&values.TM, &values.TE, &values.BM})
        if (!companion->empty())
            object.Files.push_back(LibraryPath(library, *companion));
    values.FileName = entry.FileName;
    object.MovieRef = IntroMovieReference(values);
    SetCatalogSize(object, entry);
    object.Background = BackgroundOrWhite(background);
    return object;
}

PreparedObject PrepareMiscArt(const LibraryFolder& library, const CatalogEntry& entry,
                              std::string_view background) {
    PreparedObject object;
    object.IdPrefix = IdPrefix(CreationKind::MiscArt).substr(1);
    object.Files.push_back(LibraryPath(library, entry.FileName));
    object.MovieRef = MiscArtMovieReference(entry.FileName);
    SetCatalogSize(object, entry);
    object.Background = BackgroundOrWhite(background);
    return object;
}

PreparedObject PrepareLocalFile(const std::string& path, std::string width, std::string height,
                                std::string_view background) {
    PreparedObject object;
    object.IdPrefix = std::string(kFromFilePrefix);
    object.Files.push_back(path);
    // The file name as it is, but ASCII: a name in UTF-8 read in a page of another encoding
    // would name another file.
    object.MovieRef = EncodeNonAscii(BareFileName(path));
    object.Width = std::move(width);
    object.Height = std::move(height);
    object.Background = BackgroundOrWhite(background);
    return object;
}

std::string BareFileName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace tlx
