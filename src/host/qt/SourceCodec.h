#pragma once
// How the source editor shows a page's bytes. The bytes are the truth; the editor shows them
// decoded as UTF-8 when they are valid UTF-8 and the page declares no other charset, else one
// character per byte as Windows-1252 (so that what is typed is written in the encoding the
// browser reads the page in).
// A line break (CR LF, a lone CR or a lone LF) is one character in the editor, as the text
// widget keeps it; line breaks typed by the user are written as the page's own (CR LF when the
// page has any, else LF). A character typed into a single-byte page that the page's encoding
// cannot hold is written as a numeric character reference, so nothing typed is lost.
//
// Positions: "char" positions count UTF-16 units of the shown text; "byte" offsets count the
// page's bytes.

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace tlx::host {

class SourceCodec {
public:
    // The codec that fits `bytes`.
    static SourceCodec forBytes(std::string_view bytes);
    static bool isValidUtf8(std::string_view bytes);

    bool isUtf8() const { return utf8_; }
    bool usesCrLf() const { return crlf_; }

    // The text shown for `bytes` (every line break a "\n").
    QString decode(std::string_view bytes) const;
    // Bytes for text typed into the editor ("\n" becomes the page's line break).
    std::string encode(const QString& text) const;

    // The byte offset of the shown position `charPos` in `bytes` (clamped to the end).
    std::size_t byteOffset(std::string_view bytes, qsizetype charPos) const;
    // The shown position of the byte offset `offset` (an offset inside a character or
    // inside a CR LF counts as the start of it).
    qsizetype charPosition(std::string_view bytes, std::size_t offset) const;

    // Whether the codec still shows `bytes` faithfully (a UTF-8 page that got invalid bytes
    // needs another codec).
    bool fits(std::string_view bytes) const { return !utf8_ || isValidUtf8(bytes); }

private:
    // Length of the character starting at `i` in bytes and in UTF-16 units.
    void step(std::string_view bytes, std::size_t i, std::size_t& byteLen,
              qsizetype& unitLen) const;

    bool utf8_ = true;
    bool crlf_ = false;
};

} // namespace tlx::host
