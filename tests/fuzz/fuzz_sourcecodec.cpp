// The source editor's codec over any bytes in any of the encodings it reads: the map from text
// to bytes is whole and in order, an edit that changes nothing writes nothing, and an edit
// changes only the bytes of what it edits (the bytes of the text it keeps stay).
// Input: a byte choosing the charset, two bytes choosing the edited text range, a byte
// choosing where in it the typed text goes; then the page, a 0 byte, and the typed text as
// UTF-16 units (little-endian pairs).

#include "fuzz/FuzzSupport.h"
#include "host/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using tlx::host::TextCodec;

std::string shown(std::string_view page, std::string_view what) {
    return std::string(what) + "\n" + std::string(page);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    static const std::array<const char*, 8> charsets = {
        "shift_jis", "euc-jp", "euc-kr", "gbk", "big5", "koi8-r", "windows-1252", "utf-8"};
    const std::string_view input(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::size_t zero = input.find('\0');
    const std::string_view page = input.substr(0, zero);
    std::u16string typed;
    if (zero != std::string_view::npos)
        for (std::size_t i = zero + 1; i + 1 < input.size(); i += 2)
            typed += char16_t(std::uint8_t(input[i]) | (std::uint8_t(input[i + 1]) << 8));
    const TextCodec codec = data[0] < charsets.size() * 16
                                ? TextCodec::forCharset(charsets[data[0] % charsets.size()])
                                : TextCodec::forBytes(page);

    // The map: every unit has the bytes it came from, in order, covering the page.
    const TextCodec::Decoded map = codec.decode(page);
    const std::size_t n = map.text.size();
    FUZZ_CHECK(map.starts.size() == n + 1 && map.starts.front() == 0 &&
                   map.starts.back() == page.size(),
               shown(page, "map size"));
    for (std::size_t i = 0; i < n; ++i)
        FUZZ_CHECK(map.starts[i] <= map.starts[i + 1], shown(page, "map order"));
    std::size_t lastOffset = 0;
    for (std::size_t p = 0; p <= n; ++p) {
        const std::size_t offset = codec.byteOffset(page, p);
        FUZZ_CHECK(offset >= lastOffset && offset <= page.size(), shown(page, "byteOffset order"));
        lastOffset = offset;
        const bool start = p == 0 || p == n || map.starts[p] != map.starts[p - 1];
        if (start)
            FUZZ_CHECK(codec.unitPosition(page, offset) == p, shown(page, "unitPosition"));
    }

    // Positions where characters start, as the editor's caret stands.
    auto characterStart = [&](std::size_t pos) {
        while (pos > 0 && pos < n && map.starts[pos] == map.starts[pos - 1])
            --pos;
        return pos;
    };
    const std::size_t a = characterStart(data[1] % (n + 1));
    const std::size_t b = characterStart(data[2] % (n + 1));
    const std::size_t from = std::min(a, b);
    const std::size_t to = std::max(a, b);
    const std::size_t first = codec.byteOffset(page, from);
    const std::size_t last = codec.byteOffset(page, to);
    auto apply = [&](const TextCodec::Edit& edit) {
        FUZZ_CHECK(first <= edit.start && edit.start <= edit.end && edit.end <= last,
                   shown(page, "edit outside its range"));
        return std::string(page.substr(0, edit.start)) + edit.bytes +
               std::string(page.substr(edit.end));
    };
    const std::u16string_view old = std::u16string_view(map.text).substr(from, to - from);

    // Written again as it is shown: nothing changes.
    const TextCodec::Edit same = codec.edit(page, from, to, old);
    FUZZ_CHECK(same.start == same.end && same.bytes.empty(), shown(page, "unchanged text written"));

    // Typed into the middle of the range (where a character starts): the typed bytes go in
    // there and every other byte stays.
    const std::size_t at = characterStart(from + data[3] % (to - from + 1));
    std::u16string changed(old.substr(0, at - from));
    changed += typed;
    changed += old.substr(at - from);
    const TextCodec::Edit insert = codec.edit(page, from, to, changed);
    bool escaped = false;
    const std::string typedBytes = codec.encode(typed, &escaped);
    const std::size_t where = codec.byteOffset(page, at);
    const std::string inserted = apply(insert);
    if (inserted !=
        std::string(page.substr(0, where)) + typedBytes + std::string(page.substr(where))) {
        // The typed text may have been matched with text beside it that reads the same (a
        // line break, a character with two codes): then it went in elsewhere, but still every
        // byte of the page is kept, in order, and only the typed bytes are added.
        FUZZ_CHECK(inserted.size() == page.size() + typedBytes.size(),
                   shown(page, "insertion changed other bytes"));
        std::size_t kept = 0;
        for (const char byte : inserted)
            if (kept < page.size() && byte == page[kept])
                ++kept;
        FUZZ_CHECK(kept == page.size(), shown(page, "insertion lost bytes of the page"));
    }

    // Deleted and brought back (as an undo does): the bytes it had, when the page around it
    // still reads the same without it.
    const std::string shorter = std::string(page.substr(0, first)) + std::string(page.substr(last));
    std::u16string rest = map.text;
    rest.erase(from, to - from);
    if (codec.decodeText(shorter) == rest) {
        const auto gone = codec.removed(page, first, last);
        std::vector<TextCodec::Removed> kept;
        if (gone)
            kept.push_back(*gone);
        const TextCodec::Edit back = codec.edit(shorter, from, from, old, kept);
        const std::string restored =
            shorter.substr(0, back.start) + back.bytes + shorter.substr(back.end);
        FUZZ_CHECK(restored == page, shown(page, "undone deletion changed bytes"));
    }

    // Replaced whole: only the range changes, and what is typed reads back as typed when the
    // encoding holds it (private use characters aside: Big5-HKSCS writes some of them as
    // codes that now stand for characters of their own).
    const TextCodec::Edit replace = codec.edit(page, from, to, typed);
    apply(replace);
    const bool privateUse = std::any_of(
        typed.begin(), typed.end(), [](char16_t unit) { return unit >= 0xE000 && unit < 0xF900; });
    if (!escaped && !privateUse && typed.find(u'\r') == std::u16string::npos)
        FUZZ_CHECK(codec.decodeText(typedBytes) == typed, shown(page, "typed text reads back"));
    return 0;
}
