#include "sound/SoundEvent.h"

#include "catalog/Catalog.h"
#include "catalog/LibraryFolder.h"
#include "catalog/MovieReference.h"
#include "markup/FlashFix.h"
#include "markup/FlashObject.h"
#include "markup/TextHelpers.h"
#include "markup/UnquotedValue.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <filesystem>

namespace tlx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kImageObjectPrefix = "Image Object";

} // namespace

std::vector<SoundEntry> ReadSoundEntries(const std::string& installFolder) {
    std::vector<SoundEntry> sounds;
    const std::optional<fs::path> catalog = FindNoCase(installFolder, std::string(kSoundsCatalog));
    if (!catalog)
        return sounds;
    const Result<std::string> bytes = ReadFileBytes(*catalog);
    if (!bytes) {
        LogWarning("ReadSoundEntries", "cannot read " + catalog->string());
        return sounds;
    }
    const LibraryFolder library = LibraryFolder::Scan(LibraryFolder::Locate(installFolder));
    for (const std::string_view line : SplitLines(*bytes)) {
        SoundEntry sound{TextBetween(line, "{", "}"), TextBetween(line, "(", ")"),
                         TextBetween(line, "!^", "^!"), TextBetween(line, "[", "]")};
        if (sound.File.empty() || sound.Name.empty() || sound.Description.empty() ||
            sound.Id.empty() || !library.contains(sound.File))
            continue;
        sounds.push_back(std::move(sound));
    }
    return sounds;
}

std::string_view HandlerAttribute(SoundEvent event) {
    switch (event) {
    case SoundEvent::MouseOver:
        return "onmouseover";
    case SoundEvent::MouseOut:
        return "onmouseout";
    case SoundEvent::Click:
        return "onclick";
    }
    return "onmouseover";
}

std::vector<std::string> ImageListEntries(const HostDocument& document) {
    std::vector<std::string> entries;
    std::size_t count = 0;
    for (const ElementPtr& image : document.all().tags("IMG")) {
        const std::string name = image->name();
        entries.push_back(name.empty() ? std::string(kImageObjectPrefix) + " [" +
                                             std::to_string(count) + "] "
                                       : name);
        ++count;
    }
    return entries;
}

std::vector<ElementPtr> ImagesOfEntry(const HostDocument& document, std::string_view entry) {
    const ElementCollection images = document.all().tags("IMG");
    std::vector<ElementPtr> chosen;
    if (entry.starts_with(kImageObjectPrefix)) {
        const std::string position = TextBetween(entry, "[", "]");
        std::size_t index = 0;
        bool digits = !position.empty();
        for (const char c : position) {
            if (c < '0' || c > '9' || index > images.size()) {
                digits = false;
                break;
            }
            index = index * 10 + static_cast<std::size_t>(c - '0');
        }
        if (digits && index < images.size())
            chosen.push_back(images.item(index));
        return chosen;
    }
    for (const ElementPtr& image : images)
        if (image->name() == entry)
            chosen.push_back(image);
    return chosen;
}

std::string SoundObjectMarkup(std::string_view id, std::string_view file,
                              std::string_view bgcolor) {
    const std::string safeId = UnquotedMarkupValueBeforeBlank(id);
    // ASCII whatever the page's encoding: bytes outside it as %XX, as in every movie reference.
    const std::string safeFile = EscapeQuotes(EncodeNonAscii(file));
    const std::string colour = UnquotedMarkupValue(bgcolor);
    const std::string colourBeforeBlank = UnquotedMarkupValueBeforeBlank(bgcolor);
    std::string m = "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000'";
    m += " codeBase = '";
    m += kPlayerCabinetAddress;
    m += "'";
    m += " ID=" + safeId + " NAME=" + safeId + " WIDTH=18 HEIGHT=18>";
    m += "<PARAM NAME=movie VALUE='" + safeFile + "'>";
    m += "<PARAM NAME=quality VALUE=high>";
    m += "<PARAM NAME=bgcolor VALUE=" + colour + ">";
    m += "<EMBED src='" + safeFile + "' quality=high bgcolor=" + colourBeforeBlank +
         " swLiveConnect=true NAME=" + safeId;
    m += " TYPE='application/x-shockwave-flash' PLUGINSPAGE='";
    m += kPlayerDownloadPage;
    m += "' WIDTH=18 HEIGHT=18></EMBED>";
    m += "</OBJECT>";
    return m;
}

std::string HandlerWithSound(std::string_view handler, std::string_view id) {
    const std::string call = "document." + std::string(id) + ".Play();";
    if (handler.size() < 2)
        return "javascript:" + call;
    if (handler.back() == ';')
        return std::string(handler) + call;
    return std::string(handler) + ";" + call;
}

bool HasSoundObject(const HostDocument& document, std::string_view id) {
    for (const ElementPtr& object : document.all().tags("OBJECT"))
        if (IsFlashObjectElement(*object) && object->id().find(id) != std::string::npos)
            return true;
    return false;
}

SoundInsertResult InsertSoundEvent(const HostEditor& editor, Platform& platform,
                                   const std::string& installFolder, const SoundEntry& sound,
                                   int imageIndex, SoundEvent event) {
    const DocumentPtr document = editor.ActiveDocument();
    if (!document || imageIndex < 0 || sound.File.empty())
        return SoundInsertResult::NothingChosen;
    if (!PageIsSavedInWeb(editor)) {
        platform.messageBox(std::string(kUnsavedPageMessage), MsgButtons::OkOnly,
                            MsgIcon::Exclamation, "Mirvane");
        return SoundInsertResult::UnsavedPage;
    }
    std::string bg = document->bgColor();
    if (bg.empty())
        bg = "#FFFFFF";

    bool ok = true;
    if (!HasSoundObject(*document, sound.Id)) {
        const LibraryFolder library = LibraryFolder::Scan(LibraryFolder::Locate(installFolder));
        const std::optional<fs::path> movie = library.pathOf(sound.File);
        const FolderPtr folder = GetPageFolder(editor);
        if (!movie || !folder || !folder->AddFile(movie->string(), true)) {
            LogWarning("InsertSoundEvent", "could not copy " + sound.File + " next to the page");
            ok = false;
        }
        const ElementPtr body = document->body();
        if (!body || !body->insertAdjacentHTML(AdjacentPosition::BeforeEnd,
                                               SoundObjectMarkup(sound.Id, sound.File, bg))) {
            LogWarning("InsertSoundEvent", "the editor did not take the sound object");
            ok = false;
        }
    }

    const ElementPtr image = document->all().tags("IMG").item(static_cast<std::size_t>(imageIndex));
    const std::string_view attribute = HandlerAttribute(event);
    if (!image || !image->setAttribute(
                      attribute, HandlerWithSound(image->getAttribute(attribute), sound.Id))) {
        LogWarning("InsertSoundEvent", "the image's handler could not be set");
        return SoundInsertResult::Failed;
    }
    return ok ? SoundInsertResult::Inserted : SoundInsertResult::Failed;
}

} // namespace tlx
