#pragma once
// How a page's bytes read as text in the encoding the page is in, and how text typed into it
// becomes bytes again. The bytes are the truth: text is decoded with a map from every UTF-16
// unit back to the bytes it came from, so that an edit replaces exactly the bytes of the
// characters edited and no others. Converters are ICU's.
//
// The encoding is the page's as a browser reads it: a UTF-8 byte order mark, else the declared
// charset (labels as browsers take them: "iso-8859-1" and "us-ascii" are Windows-1252,
// "gb2312" and "gbk" are GB18030, "big5" is Big5-HKSCS, "euc-kr" is Windows-949, "shift_jis"
// is Windows-31J), else UTF-8 when the bytes are UTF-8, else Windows-1252. A page declared as
// UTF-8 whose bytes are no UTF-8, and a charset unknown here or one in which ASCII bytes do
// not stand for themselves (UTF-16, ISO-2022-JP, EBCDIC), are read as Windows-1252, one
// character per byte, so that every byte is kept and the markup still parses.
//
// A line break (CR LF, a lone CR or a lone LF) is one "\n" in the text; line breaks typed are
// written as the page's own (CR LF when the page has any, else LF). A byte sequence that is
// invalid in the encoding reads as one U+FFFD standing for exactly those bytes. A character
// the encoding cannot hold is written as a decimal numeric character reference.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::host {

class TextCodec {
public:
    // Windows-1252.
    TextCodec();

    // The codec that fits `bytes`.
    static TextCodec forBytes(std::string_view bytes);
    // The codec for a charset label as a page declares it (letter case ignored); the label
    // "utf-8" gives UTF-8 whatever the bytes are.
    static TextCodec forCharset(std::string_view label);
    static bool isValidUtf8(std::string_view bytes);

    // ICU's name of the converter ("UTF-8", "ibm-943_P15A-2003", "gb18030"...).
    const std::string& name() const { return name_; }
    // The charset as a page would name it ("utf-8", "windows-1252", "shift_jis"...).
    const std::string& charset() const { return charset_; }
    bool isUtf8() const { return utf8_; }
    bool usesCrLf() const { return crlf_; }

    struct Decoded {
        std::u16string text;
        // starts[i]: the offset of the first byte of the character unit i belongs to (units of
        // one character share it); starts[text.size()] is the number of bytes.
        std::vector<std::size_t> starts;
    };
    Decoded decode(std::string_view bytes) const;
    std::u16string decodeText(std::string_view bytes) const { return mapped(bytes).text; }

    // Bytes for typed text. `escaped` (when given) tells whether some character had to be
    // written as a reference.
    std::string encode(std::u16string_view text, bool* escaped = nullptr) const;

    // The byte offset of text position `unit` in `bytes` (a position inside a character counts
    // as the end of it; clamped to the end).
    std::size_t byteOffset(std::string_view bytes, std::size_t unit) const;
    // The text position of byte offset `offset` (an offset inside a character or a CR LF
    // counts as the start of it).
    std::size_t unitPosition(std::string_view bytes, std::size_t offset) const;

    // What an edit of the text does to the bytes: [start, end) become `bytes`.
    struct Edit {
        std::size_t start = 0;
        std::size_t end = 0;
        std::string bytes;
        bool escaped = false; // some character was written as a reference
    };
    // Text removed from the page whose bytes its encoding would not give back (an invalid
    // sequence, a character with more than one code): when the same text comes back (by
    // undo), so do these bytes.
    struct Removed {
        std::u16string text;
        std::string bytes;
    };
    // What `bytes` [start, end) held, when writing its text again would not give its bytes.
    std::optional<Removed> removed(std::string_view bytes, std::size_t start,
                                   std::size_t end) const;

    // The edit of `bytes` that makes the text [from, to) read `text`. The bytes of every
    // character that is still there stay as they are (an invalid sequence, or a character
    // with more than one code, is never written again unless it is edited), and text that
    // comes back as it was `removed` gets its bytes back; the edit holds only what differs,
    // and is empty when nothing does.
    Edit edit(std::string_view bytes, std::size_t from, std::size_t to, std::u16string_view text,
              std::span<const Removed> removed = {}) const;

    // Whether the codec still reads `bytes` as the page would now be read (a UTF-8 page that
    // got invalid bytes needs another codec).
    bool fits(std::string_view bytes) const { return !utf8_ || isValidUtf8(bytes); }

private:
    struct Cache {
        std::string bytes;
        Decoded decoded;
    };
    const Decoded& mapped(std::string_view bytes) const;

    std::string name_;
    std::string charset_;
    bool utf8_ = false;
    bool crlf_ = false;
    // The last bytes decoded for byteOffset and unitPosition, which the editor asks about
    // several times for each edit.
    mutable std::shared_ptr<const Cache> cache_;
};

} // namespace tlx::host
