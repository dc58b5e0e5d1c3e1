#pragma once
// How the source editor shows a page's bytes: the page's text in its own encoding (see
// TextCodec), as a QString. The bytes are the truth; the editor shows them decoded and writes
// back only what was typed.
//
// Positions: "char" positions count UTF-16 units of the shown text; "byte" offsets count the
// page's bytes.

#include "host/TextCodec.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace tlx::host {

class SourceCodec {
public:
    // The codec that fits `bytes`.
    static SourceCodec forBytes(std::string_view bytes);
    static bool isValidUtf8(std::string_view bytes) { return TextCodec::isValidUtf8(bytes); }

    bool isUtf8() const { return codec_.isUtf8(); }
    bool usesCrLf() const { return codec_.usesCrLf(); }
    // The page's charset as a page names it ("shift_jis", "windows-1252"...).
    QString charset() const { return QString::fromStdString(codec_.charset()); }

    // The text shown for `bytes` (every line break a "\n"; an invalid sequence one U+FFFD).
    QString decode(std::string_view bytes) const;
    // Bytes for text typed into the editor ("\n" becomes the page's line break; a character
    // the encoding cannot hold a numeric character reference, and then `escaped` is set).
    std::string encode(const QString& text, bool* escaped = nullptr) const;

    // The byte offset of the shown position `charPos` in `bytes` (clamped to the end).
    std::size_t byteOffset(std::string_view bytes, qsizetype charPos) const;
    // The shown position of the byte offset `offset` (an offset inside a character or
    // inside a CR LF counts as the start of it).
    qsizetype charPosition(std::string_view bytes, std::size_t offset) const;

    // The edit of `bytes` that makes the shown text [from, to) read `text` (see
    // TextCodec::edit): only the bytes of what differs change.
    TextCodec::Edit edit(std::string_view bytes, qsizetype from, qsizetype to, const QString& text,
                         std::span<const TextCodec::Removed> removed = {}) const;
    std::optional<TextCodec::Removed> removed(std::string_view bytes, std::size_t start,
                                              std::size_t end) const {
        return codec_.removed(bytes, start, end);
    }

    // Whether the codec still shows `bytes` faithfully (a UTF-8 page that got invalid bytes
    // needs another codec).
    bool fits(std::string_view bytes) const { return codec_.fits(bytes); }

private:
    TextCodec codec_;
};

} // namespace tlx::host
