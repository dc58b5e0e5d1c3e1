#include "editing/ReEdit.h"

#include "catalog/IntroTextFile.h"
#include "catalog/LibraryFolder.h"
#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

#include <chrono>

namespace tlx {

namespace {

constexpr int kFileNotFound = 53;
constexpr int kFileAccessError = 75;

std::string Value(std::string_view key, std::string_view innerMarkup) {
    return MarkupQueryValue(key, innerMarkup);
}

} // namespace

ReEditKind ReEditKindOf(std::string_view id) {
    const std::string_view kind = id.substr(0, 13);
    if (kind == "oKestreliteBT")
        return ReEditKind::Button;
    if (kind == "oKestreliteHD")
        return ReEditKind::Heading;
    if (kind == "oKestreliteMV")
        return ReEditKind::IntroMovie;
    if (kind == "oKestreliteCL")
        return ReEditKind::MiscArt;
    return ReEditKind::None;
}

std::string TextColourText(std::string_view tc) {
    return "#" + std::string(tc);
}

ButtonReEdit ReadButtonReEdit(std::string_view innerMarkup, const CatalogList& styles,
                              const CatalogList& sounds) {
    ButtonReEdit fill;
    fill.T1 = Value("T1", innerMarkup);
    fill.T2 = Value("T2", innerMarkup);
    fill.TU = Value("TU", innerMarkup);
    fill.TW = Value("TW", innerMarkup);
    fill.StyleIndex = styles.indexOfFileName(MovieFileFromMarkup(innerMarkup));
    fill.SoundIndex = sounds.indexOfFileName(Value("BS", innerMarkup));
    fill.TextColor = TextColourText(Value("TC", innerMarkup));
    return fill;
}

HeadingReEdit ReadHeadingReEdit(std::string_view innerMarkup, const CatalogList& styles,
                                const CatalogList& backgrounds) {
    HeadingReEdit fill;
    fill.T1 = Value("T1", innerMarkup);
    fill.TU = Value("TU", innerMarkup);
    fill.TW = Value("TW", innerMarkup);
    fill.StyleIndex = styles.indexOfFileName(MovieFileFromMarkup(innerMarkup));
    fill.BackIndex = backgrounds.indexOfFileName(Value("BM", innerMarkup));
    fill.TextColor = TextColourText(Value("TC", innerMarkup));
    return fill;
}

IntroReEdit ReadIntroReEdit(std::string_view innerMarkup, const CatalogList& styles,
                            const CatalogList& backgrounds, const CatalogList& music,
                            const CatalogList& effects) {
    IntroReEdit fill;
    fill.OldVFile = Value("TF", innerMarkup);
    fill.TU = Value("TU", innerMarkup);
    fill.TW = Value("TW", innerMarkup);
    fill.StyleIndex = styles.indexOfFileName(MovieFileFromMarkup(innerMarkup));
    fill.BackIndex = backgrounds.indexOfFileName(Value("BM", innerMarkup));
    fill.MusicIndex = music.indexOfFileName(Value("TM", innerMarkup));
    fill.EffectIndex = effects.indexOfFileName(Value("TE", innerMarkup));
    fill.TextColor = TextColourText(Value("TC", innerMarkup));
    fill.TSize = Value("TS", innerMarkup);
    return fill;
}

std::string ErrorMessage(int number, std::string_view description) {
    return std::to_string(number) + " - " + std::string(description);
}

Result<IntroTexts> ReadIntroTextsThroughHost(AddinContext& context, const std::string& fileName,
                                             int timeoutMs) {
    context.StatusFlag = std::string(kStatusWaiting);
    const FolderPtr folder = GetPageFolder(context.Editor);
    const FilePtr file = folder && !fileName.empty() ? folder->Files(fileName) : nullptr;
    if (!file) {
        const std::string error = ErrorMessage(kFileNotFound, "File not found: " + fileName);
        LogWarning("ReEdit", error);
        return Fail(error);
    }
    if (!file->Open() ||
        !context.platform.waitUntil([&file] { return file->IsOpen(); }, timeoutMs)) {
        const std::string error = ErrorMessage(
            kFileAccessError, "The page editor did not open the text file " + fileName);
        LogWarning("ReEdit", error);
        return Fail(error);
    }
    // The text file's page is the editor's active one now, whichever page the add-in is
    // bound to.
    HostApplication* application = context.Editor.Application();
    std::string text;
    const DocumentPtr document = application ? application->ActiveDocument() : nullptr;
    // The text file's body (the element the editor makes active in a page just opened).
    ElementPtr body = document ? document->body() : nullptr;
    if (!body && document)
        body = document->activeElement();
    if (body)
        text = body->innerHTML();
    if (const PageWindowPtr window = application ? application->ActivePageWindow() : nullptr;
        window && window->File() && window->File()->Name() == file->Name())
        window->Close(false);
    else
        LogWarning("ReEdit", "the text file's window was not the active one; left open");
    // Read as the movie reads the file: the texts are written as typed, "&" included.
    IntroFileTexts inFile = IntroTextsOfFile(text);
    return IntroTexts{std::move(inFile.Main), std::move(inFile.Additional)};
}

bool WaitWhileStatusWaiting(AddinContext& context, int timeoutMs) {
    const bool done = context.platform.waitUntil(
        [&context] { return context.StatusFlag != kStatusWaiting; }, timeoutMs);
    if (!done)
        LogWarning("ReEdit", "the intro movie dialog did not report its loading in time");
    return done;
}

std::string WritePreviewTextFile(const std::string& installFolder, std::string_view t1,
                                 std::string_view t2) {
    const std::string name = IntroTextFileName(LocalMomentOf(std::chrono::system_clock::now()));
    DeletePreviewTextFiles(installFolder);
    const auto path = LibraryFolder::Locate(installFolder) / name;
    if (!WriteIntroTextFile(path, t1, t2)) {
        LogWarning("ReEdit", "cannot write the preview text file " + path.string());
        return {};
    }
    return name;
}

} // namespace tlx
