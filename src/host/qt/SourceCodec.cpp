#include "host/qt/SourceCodec.h"

#include "host/PageCharset.h"

#include <array>

namespace tlx::host {

namespace {

// Windows-1252 0x80..0x9F; 0 where the code page has no character (the byte then stands for
// the control character of the same number).
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar fromCp1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0 && kCp1252High[byte - 0x80] != 0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(byte);
}

// The byte for a character in Windows-1252, or -1.
int toCp1252(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == ch)
            return static_cast<int>(0x80 + i);
    // Bytes the code page leaves undefined were read as the control character itself.
    if (ch >= 0x80 && ch < 0xA0 && kCp1252High[ch - 0x80] == 0)
        return ch;
    return -1;
}

} // namespace

bool SourceCodec::isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

SourceCodec SourceCodec::forBytes(std::string_view bytes) {
    SourceCodec codec;
    // As the browser reads the page: a declared charset decides, else whether it is UTF-8.
    const std::string declared = DeclaredCharset(bytes);
    codec.utf8_ = (declared.empty() || IsUtf8Charset(declared)) && isValidUtf8(bytes);
    codec.crlf_ = bytes.find("\r\n") != std::string_view::npos;
    return codec;
}

void SourceCodec::step(std::string_view bytes, std::size_t i, std::size_t& byteLen,
                       qsizetype& unitLen) const {
    const auto c = static_cast<unsigned char>(bytes[i]);
    unitLen = 1;
    byteLen = 1;
    if (c == '\r') {
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            byteLen = 2;
        return;
    }
    if (!utf8_ || c < 0x80)
        return;
    if (c >= 0xF0)
        byteLen = 4, unitLen = 2;
    else if (c >= 0xE0)
        byteLen = 3;
    else if (c >= 0xC0)
        byteLen = 2;
    if (i + byteLen > bytes.size())
        byteLen = bytes.size() - i;
}

QString SourceCodec::decode(std::string_view bytes) const {
    QString text;
    if (utf8_) {
        text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    } else {
        text.reserve(static_cast<qsizetype>(bytes.size()));
        for (const char byte : bytes)
            text.append(fromCp1252(static_cast<unsigned char>(byte)));
    }
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

std::string SourceCodec::encode(const QString& text) const {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    auto lineBreak = [&] { bytes += crlf_ ? "\r\n" : "\n"; };
    if (utf8_) {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype nl = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype end = nl < 0 ? text.size() : nl;
            bytes += text.mid(i, end - i).toUtf8().toStdString();
            if (nl < 0)
                break;
            lineBreak();
            i = nl + 1;
        }
        return bytes;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\n')) {
            lineBreak();
            continue;
        }
        const int byte = toCp1252(ch.unicode());
        if (byte >= 0) {
            bytes += static_cast<char>(byte);
            continue;
        }
        char32_t cp = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            cp = QChar::surrogateToUcs4(ch, text.at(++i));
        bytes += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    }
    return bytes;
}

std::size_t SourceCodec::byteOffset(std::string_view bytes, qsizetype charPos) const {
    std::size_t i = 0;
    qsizetype pos = 0;
    while (i < bytes.size() && pos < charPos) {
        std::size_t byteLen;
        qsizetype unitLen;
        step(bytes, i, byteLen, unitLen);
        i += byteLen;
        pos += unitLen;
    }
    return i;
}

qsizetype SourceCodec::charPosition(std::string_view bytes, std::size_t offset) const {
    std::size_t i = 0;
    qsizetype pos = 0;
    while (i < bytes.size()) {
        std::size_t byteLen;
        qsizetype unitLen;
        step(bytes, i, byteLen, unitLen);
        if (i + byteLen > offset)
            break;
        i += byteLen;
        pos += unitLen;
    }
    return pos;
}

} // namespace tlx::host
