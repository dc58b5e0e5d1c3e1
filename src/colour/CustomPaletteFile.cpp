#include "colour/CustomPaletteFile.h"

#include "platform/FileUtil.h"
#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace tlx {

namespace {

void PutInt32(std::string& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

std::int32_t GetInt32(std::string_view bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return static_cast<std::int32_t>(v);
}

bool InScale(std::int32_t v) {
    return v >= 0 && v <= 240;
}

const char* const SaveFailedMessage =
    "An Error Occured When Attempting To Save The Current Custom Palette";
const char* const LoadFailedMessage = "An Error Occured When Attempting To Load The Custom Palette";

} // namespace

std::string EncodeCustomPalette(const std::vector<PaletteEntry>& custom) {
    std::string out;
    out.reserve(PaletteFileSize);
    for (std::size_t i = 0; i < PaletteRecordCount; ++i) {
        const PaletteEntry e = i < custom.size() ? custom[i] : PaletteEntry{};
        PutInt32(out, e.Color);
        PutInt32(out, e.HSL.Hue);
        PutInt32(out, e.HSL.Saturation);
        PutInt32(out, e.HSL.Luminance);
    }
    return out;
}

Result<PaletteRecords> DecodeCustomPalette(std::string_view bytes) {
    if (bytes.size() < PaletteFileSize)
        return Fail("The file is too short to hold a palette.");
    PaletteRecords records;
    for (std::size_t i = 0; i < PaletteRecordCount; ++i) {
        const std::size_t at = i * PaletteRecordSize;
        PaletteRecord& r = records[i];
        r.Color = GetInt32(bytes, at);
        r.HSL = {GetInt32(bytes, at + 4), GetInt32(bytes, at + 8), GetInt32(bytes, at + 12)};
        if (r.Color < 0 || r.Color > 0xFFFFFF || !InScale(r.HSL.Hue) ||
            !InScale(r.HSL.Saturation) || !InScale(r.HSL.Luminance))
            return Fail("The file holds values that are not palette colours.");
    }
    return records;
}

std::string CustomPaletteFileName(std::string chosen) {
    if (chosen.size() >= 4 && chosen.compare(chosen.size() - 4, 4, ".oxp") == 0)
        return chosen;
    if (!chosen.empty() && chosen.back() == '.')
        return chosen + "oxp";
    return chosen + ".oxp";
}

bool WriteCustomPaletteFile(const std::string& path, const std::vector<PaletteEntry>& custom) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::error_code ec;
    std::string bytes = EncodeCustomPalette(custom);
    if (fs::is_directory(target, ec))
        return false;
    if (fs::exists(target, ec)) {
        const auto old = ReadFileBytes(target);
        if (!old)
            return false;
        if (old->size() > PaletteFileSize)
            bytes.append(*old, PaletteFileSize);
    } else if (ec) {
        return false;
    }

    return WriteFileAtomically(target, bytes).ok();
}

Result<PaletteRecords> ReadCustomPaletteFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return Fail("The file does not exist.");
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return Fail("The file could not be read.");
    return DecodeCustomPalette(*bytes);
}

void ApplyPaletteRecords(const PaletteRecords& records, std::vector<PaletteEntry>& custom) {
    for (std::size_t i = 0; i < records.size() && i < custom.size(); ++i) {
        custom[i].Color = records[i].Color;
        custom[i].HSL = records[i].HSL;
    }
}

std::int32_t SaveCustPal(Platform& platform, const std::string& installFolder,
                         const ColourPalettes& palettes) {
    FileDialogOptions options;
    options.title = "Save Palette As...";
    options.filter = "*.oxp|*.oxp"; // shown as "*.oxp", listing the palette files
    options.initialFolder = installFolder;
    options.fileName = "";
    options.defaultExtension = "oxp";
    const auto chosen = platform.saveFileDialog(options);
    if (!chosen || chosen->empty())
        return 0;
    if (!WriteCustomPaletteFile(CustomPaletteFileName(*chosen), palettes.CustomPalette))
        platform.messageBox(SaveFailedMessage, MsgButtons::OkOnly, MsgIcon::Critical,
                            "Color Manager");
    return 0;
}

std::int32_t LoadCustPal(Platform& platform, const std::string& installFolder,
                         ColourPalettes& palettes) {
    FileDialogOptions options;
    options.title = "Load Palette...";
    options.filter = "*.oxp|*.oxp"; // shown as "*.oxp", listing the palette files
    options.initialFolder = installFolder;
    options.fileName = "*.oxp";
    options.defaultExtension = "*.oxp";
    const auto chosen = platform.openFileDialog(options);
    if (!chosen || chosen->empty())
        return 0;
    const Result<PaletteRecords> records = ReadCustomPaletteFile(*chosen);
    if (!records) {
        platform.messageBox(std::string(LoadFailedMessage) + "\r" + records.error(),
                            MsgButtons::OkOnly, MsgIcon::Critical, "");
        return 0;
    }
    ApplyPaletteRecords(*records, palettes.CustomPalette);
    return 0;
}

} // namespace tlx
