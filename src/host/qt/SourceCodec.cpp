#include "host/qt/SourceCodec.h"

#include <algorithm>

namespace tlx::host {

SourceCodec SourceCodec::forBytes(std::string_view bytes) {
    SourceCodec codec;
    codec.codec_ = TextCodec::forBytes(bytes);
    return codec;
}

QString SourceCodec::decode(std::string_view bytes) const {
    return QString::fromStdU16String(codec_.decodeText(bytes));
}

std::string SourceCodec::encode(const QString& text, bool* escaped) const {
    return codec_.encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             std::size_t(text.size())),
                         escaped);
}

TextCodec::Edit SourceCodec::edit(std::string_view bytes, qsizetype from, qsizetype to,
                                  const QString& text,
                                  std::span<const TextCodec::Removed> removed) const {
    return codec_.edit(bytes, std::size_t(std::max<qsizetype>(from, 0)),
                       std::size_t(std::max<qsizetype>(to, 0)),
                       std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           std::size_t(text.size())),
                       removed);
}

std::size_t SourceCodec::byteOffset(std::string_view bytes, qsizetype charPos) const {
    return codec_.byteOffset(bytes, charPos < 0 ? 0 : std::size_t(charPos));
}

qsizetype SourceCodec::charPosition(std::string_view bytes, std::size_t offset) const {
    return qsizetype(codec_.unitPosition(bytes, offset));
}

} // namespace tlx::host
