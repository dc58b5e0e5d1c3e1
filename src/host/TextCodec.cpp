#include "host/TextCodec.h"

#include "host/PageCharset.h"
#include "platform/Log.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace tlx::host {

namespace {

struct ConverterClose {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

Converter openConverter(const std::string& name) {
    UErrorCode error = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &error));
    if (U_FAILURE(error))
        converter.reset();
    return converter;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A charset label as browsers take it: the charset a page means by it and ICU's converter
// for that.
struct Charset {
    std::string page;
    std::string icu;
};

Charset resolve(std::string_view label) {
    struct Family {
        const char* page;
        const char* icu;
        std::initializer_list<std::string_view> labels;
    };
    static const std::array<Family, 9> families = {{
        {"utf-8",
         "UTF-8",
         {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
          "x-unicode20utf8"}},
        {"windows-1252",
         "windows-1252",
         {"windows-1252", "ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819",
          "iso-8859-1", "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "l1", "latin1",
          "us-ascii", "x-cp1252"}},
        {"windows-1254",
         "windows-1254",
         {"windows-1254", "cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9",
          "iso88599", "iso_8859-9", "l5", "latin5", "x-cp1254"}},
        {"windows-874",
         "windows-874",
         {"windows-874", "dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620"}},
        {"shift_jis",
         "windows-31j",
         {"shift_jis", "csshiftjis", "ms932", "ms_kanji", "shift-jis", "sjis", "windows-31j",
          "x-sjis"}},
        {"euc-jp", "EUC-JP", {"euc-jp", "cseucpkdfmtjapanese", "x-euc-jp"}},
        {"euc-kr",
         "windows-949",
         {"euc-kr", "cseuckr", "csksc56011987", "iso-ir-149", "korean", "ks_c_5601-1987",
          "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"}},
        {"gb18030",
         "gb18030",
         {"gb18030", "chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80",
          "gbk", "iso-ir-58", "x-gbk"}},
        {"big5", "Big5-HKSCS", {"big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"}},
    }};
    const std::string key = lowered(label);
    for (const Family& family : families)
        for (const std::string_view name : family.labels)
            if (key == name)
                return {family.page, family.icu};
    return {key, key};
}

// Whether ICU's converter `name` reads every page it may be given here: no shift states, and
// ASCII bytes stand for themselves (the markup is found in the bytes as ASCII).
bool readsMarkup(const std::string& name) {
    const Converter converter = openConverter(name);
    if (!converter)
        return false;
    switch (ucnv_getType(converter.get())) {
    case UCNV_SBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
    case UCNV_UTF8:
        break;
    default:
        return false;
    }
    std::string ascii = "\t\n\r";
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    std::array<UChar, 128> units{};
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), units.data(), int32_t(units.size()),
                                         ascii.data(), int32_t(ascii.size()), &error);
    if (U_FAILURE(error) || length != int32_t(ascii.size()))
        return false;
    for (std::size_t i = 0; i < ascii.size(); ++i)
        if (units[i] != static_cast<UChar>(ascii[i]))
            return false;
    return true;
}

// Notes that a character was written as a reference, then writes the reference.
void U_CALLCONV escapeToReference(const void* context, UConverterFromUnicodeArgs* args,
                                  const UChar* codeUnits, int32_t length, UChar32 codePoint,
                                  UConverterCallbackReason reason, UErrorCode* error) {
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR)
        *static_cast<bool*>(const_cast<void*>(context)) = true;
    UCNV_FROM_U_CALLBACK_ESCAPE(UCNV_ESCAPE_XML_DEC, args, codeUnits, length, codePoint, reason,
                                error);
}

// A stretch that two texts have in common: `length` units at `from` in the first and at `to`
// in the second.
struct CommonRun {
    std::size_t from;
    std::size_t to;
    std::size_t length;
};

// The stretches `a` and `b` have in common, in order (Myers' difference), when they differ by
// at most `maxEdits` inserted and removed units; nothing when they differ by more.
std::optional<std::vector<CommonRun>> commonRuns(std::u16string_view a, std::u16string_view b,
                                                 std::ptrdiff_t maxEdits) {
    using Index = std::ptrdiff_t;
    const Index n = Index(a.size());
    const Index m = Index(b.size());
    const Index most = std::min(maxEdits, n + m);
    const Index mid = most + 1;
    std::vector<Index> v(std::size_t(2 * most + 3), 0);
    auto at = [&](Index k) -> Index& { return v[std::size_t(k + mid)]; };
    // trace[d]: the furthest x on each diagonal -d..d before step d.
    std::vector<std::vector<Index>> trace;
    for (Index d = 0; d <= most; ++d) {
        trace.emplace_back(v.begin() + (mid - d), v.begin() + (mid + d + 1));
        for (Index k = -d; k <= d; k += 2) {
            Index x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            Index y = x - k;
            while (x < n && y < m && a[std::size_t(x)] == b[std::size_t(y)])
                ++x, ++y;
            at(k) = x;
            if (x < n || y < m)
                continue;
            // Back from the end along the path found.
            std::vector<CommonRun> runs;
            Index px = n;
            Index py = m;
            for (Index e = d; e > 0; --e) {
                const std::vector<Index>& row = trace[std::size_t(e)];
                auto old = [&](Index kd) { return row[std::size_t(kd + e)]; };
                const Index kk = px - py;
                const bool down = kk == -e || (kk != e && old(kk - 1) < old(kk + 1));
                const Index prevK = down ? kk + 1 : kk - 1;
                const Index prevX = old(prevK);
                const Index snakeX = down ? prevX : prevX + 1;
                if (px > snakeX)
                    runs.push_back(
                        {std::size_t(snakeX), std::size_t(snakeX - kk), std::size_t(px - snakeX)});
                px = prevX;
                py = prevX - prevK;
            }
            if (px > 0)
                runs.push_back({0, 0, std::size_t(px)});
            std::reverse(runs.begin(), runs.end());
            return runs;
        }
    }
    return std::nullopt;
}

// Edits that differ from the text they replace in more units than this are written whole.
constexpr std::ptrdiff_t kMaxDiffEdits = 500;

} // namespace

TextCodec::TextCodec() : name_("windows-1252"), charset_("windows-1252") {}

bool TextCodec::isValidUtf8(std::string_view bytes) {
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

TextCodec TextCodec::forCharset(std::string_view label) {
    TextCodec codec;
    const Charset charset = resolve(label);
    if (charset.icu.empty())
        return codec;
    if (!readsMarkup(charset.icu)) {
        LogWarning("TextCodec", "the charset \"" + std::string(label) +
                                    "\" is not one the editor reads; the page is shown as "
                                    "windows-1252 and its bytes are kept");
        return codec;
    }
    codec.name_ = charset.icu;
    codec.charset_ = charset.page;
    codec.utf8_ = charset.icu == "UTF-8";
    return codec;
}

TextCodec TextCodec::forBytes(std::string_view bytes) {
    // As the browser reads the page: a byte order mark, else a declared charset, else whether
    // it is UTF-8. Bytes that are no UTF-8 are never read as UTF-8.
    std::string declared = DeclaredCharset(bytes);
    if (bytes.starts_with("\xEF\xBB\xBF") || declared.empty())
        declared = "utf-8";
    TextCodec codec = forCharset(declared);
    if (codec.utf8_ && !isValidUtf8(bytes))
        codec = TextCodec();
    codec.crlf_ = bytes.find("\r\n") != std::string_view::npos;
    return codec;
}

TextCodec::Decoded TextCodec::decode(std::string_view bytes) const {
    Decoded out;
    out.text.reserve(bytes.size());
    out.starts.reserve(bytes.size() + 1);
    const Converter converter = openConverter(name_);
    if (!converter) {
        LogError("TextCodec", "ICU has no converter \"" + name_ + "\"");
        // Unreadable: one replacement character per byte keeps the offsets right.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            out.text += u'\uFFFD';
            out.starts.push_back(i);
        }
        out.starts.push_back(bytes.size());
        return out;
    }
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &error);
    // Units as ICU gives them, with the offset of the bytes each came from.
    std::u16string units;
    std::vector<std::size_t> from;
    units.reserve(bytes.size());
    from.reserve(bytes.size());
    std::vector<UChar> buffer(2 * bytes.size() + 16);
    std::vector<int32_t> offsets(buffer.size());
    const char* source = bytes.data();
    const char* const limit = bytes.data() + bytes.size();
    while (source < limit) {
        const char* const begin = source;
        UChar* target = buffer.data();
        error = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, buffer.data() + buffer.size(), &source, limit,
                       offsets.data(), true, &error);
        const std::size_t base = std::size_t(begin - bytes.data());
        for (UChar* unit = buffer.data(); unit < target; ++unit) {
            const int32_t offset = offsets[std::size_t(unit - buffer.data())];
            std::size_t at = offset >= 0 ? base + std::size_t(offset) : base;
            if (!from.empty())
                at = std::max(at, from.back());
            units += char16_t(*unit);
            from.push_back(std::min(at, bytes.size()));
        }
        if (error == U_BUFFER_OVERFLOW_ERROR)
            continue;
        if (U_SUCCESS(error))
            break;
        // An invalid sequence: one replacement character stands for its bytes, which stay.
        std::array<char, 32> invalid{};
        int8_t length = int8_t(invalid.size());
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter.get(), invalid.data(), &length, &ignored);
        if (source == begin && target == buffer.data() && length <= 0) {
            ++source; // no progress: the byte is taken as invalid
            length = 1;
            ucnv_reset(converter.get());
        }
        const std::size_t consumed = std::size_t(source - bytes.data());
        const std::size_t bad = std::size_t(std::max<int>(length, 1));
        std::size_t at = consumed >= bad ? consumed - bad : 0;
        if (!from.empty())
            at = std::max(at, from.back());
        units += u'\uFFFD';
        from.push_back(at);
    }
    // Line breaks: CR LF and a lone CR become one "\n".
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        const std::size_t at = out.starts.empty() ? 0 : from[i];
        if (unit == u'\r') {
            unit = u'\n';
            if (i + 1 < units.size() && units[i + 1] == u'\n')
                ++i;
        }
        out.text += unit;
        out.starts.push_back(at);
    }
    out.starts.push_back(bytes.size());
    return out;
}

std::string TextCodec::encode(std::u16string_view text, bool* escaped) const {
    bool any = false;
    std::string bytes;
    const Converter converter = openConverter(name_);
    if (!converter) {
        LogError("TextCodec", "ICU has no converter \"" + name_ + "\"");
        if (escaped)
            *escaped = false;
        return bytes;
    }
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), escapeToReference, &any, nullptr, nullptr, &error);
    std::vector<char> buffer;
    for (std::size_t i = 0; i <= text.size();) {
        std::size_t nl = text.find(u'\n', i);
        if (nl == std::u16string_view::npos)
            nl = text.size();
        const std::u16string_view line = text.substr(i, nl - i);
        if (!line.empty()) {
            // The longest a unit can get is a reference ("&#1114111;").
            buffer.resize(line.size() * 10 + 16);
            error = U_ZERO_ERROR;
            const int32_t length = ucnv_fromUChars(
                converter.get(), buffer.data(), int32_t(buffer.size()),
                reinterpret_cast<const UChar*>(line.data()), int32_t(line.size()), &error);
            if (U_FAILURE(error))
                LogError("TextCodec", std::string("writing text as ") + name_ +
                                          " failed: " + u_errorName(error));
            else
                bytes.append(buffer.data(), std::size_t(length));
        }
        if (nl == text.size())
            break;
        bytes += crlf_ ? "\r\n" : "\n";
        i = nl + 1;
    }
    if (escaped)
        *escaped = any;
    return bytes;
}

const TextCodec::Decoded& TextCodec::mapped(std::string_view bytes) const {
    if (!cache_ || cache_->bytes != bytes) {
        auto cache = std::make_shared<Cache>();
        cache->bytes = std::string(bytes);
        cache->decoded = decode(bytes);
        cache_ = std::move(cache);
    }
    return cache_->decoded;
}

std::size_t TextCodec::byteOffset(std::string_view bytes, std::size_t unit) const {
    const Decoded& map = mapped(bytes);
    const std::size_t n = map.text.size();
    if (unit >= n)
        return bytes.size();
    // Inside a character: its end.
    while (unit > 0 && unit < n && map.starts[unit] == map.starts[unit - 1])
        ++unit;
    return map.starts[unit];
}

std::size_t TextCodec::unitPosition(std::string_view bytes, std::size_t offset) const {
    const Decoded& map = mapped(bytes);
    const std::size_t n = map.text.size();
    if (offset >= bytes.size())
        return n;
    const auto last = map.starts.begin() + std::ptrdiff_t(n);
    std::size_t i =
        std::size_t(std::upper_bound(map.starts.begin(), last, offset) - map.starts.begin());
    i = i > 0 ? i - 1 : 0;
    while (i > 0 && map.starts[i - 1] == map.starts[i])
        --i;
    return i;
}

} // namespace tlx::host

namespace tlx::host {

std::optional<TextCodec::Removed> TextCodec::removed(std::string_view bytes, std::size_t start,
                                                     std::size_t end) const {
    if (start >= end || end > bytes.size())
        return std::nullopt;
    // The text as the page shows it (the bytes alone may read otherwise: cut from what
    // follows, a sequence that was invalid may take in more bytes).
    const Decoded& map = mapped(bytes);
    const std::size_t from = unitPosition(bytes, start);
    const std::size_t to = unitPosition(bytes, end);
    const std::string_view held = bytes.substr(start, end - start);
    Removed out{map.text.substr(from, to - from), std::string(held)};
    if (encode(out.text) == out.bytes)
        return std::nullopt;
    return out;
}

TextCodec::Edit TextCodec::edit(std::string_view bytes, std::size_t from, std::size_t to,
                                std::u16string_view text, std::span<const Removed> removed) const {
    const Decoded& map = mapped(bytes);
    const std::size_t n = map.text.size();
    Edit out;
    out.start = byteOffset(bytes, from);
    out.end = std::max(out.start, byteOffset(bytes, to));
    from = unitPosition(bytes, out.start);
    to = unitPosition(bytes, out.end);
    // Whether a text position is where a character starts (its bytes can be cut there).
    auto cut = [&](std::size_t pos) {
        return pos == 0 || pos >= n || map.starts[pos] != map.starts[pos - 1];
    };
    bool lost = false;
    auto encodeText = [&](std::u16string_view piece) {
        if (!piece.empty()) {
            out.bytes += encode(piece, &lost);
            out.escaped = out.escaped || lost;
        }
    };
    // Typed text; where it holds text that was removed, the bytes that text had.
    auto write = [&](std::size_t at, std::size_t count) {
        std::u16string_view piece = text.substr(at, count);
        while (!piece.empty()) {
            std::size_t found = std::u16string_view::npos;
            const Removed* match = nullptr;
            for (const Removed& back : removed)
                if (const std::size_t where =
                        back.text.empty() ? std::u16string_view::npos : piece.find(back.text);
                    where < found)
                    found = where, match = &back;
            if (!match)
                break;
            encodeText(piece.substr(0, found));
            out.bytes += match->bytes;
            piece = piece.substr(found + match->text.size());
        }
        encodeText(piece);
    };
    // Whether a position of `text` is between two characters (not inside a surrogate pair).
    auto between = [&](std::size_t pos) {
        return pos == 0 || pos >= text.size() ||
               !(text[pos - 1] >= 0xD800 && text[pos - 1] < 0xDC00 && text[pos] >= 0xDC00 &&
                 text[pos] < 0xE000);
    };
    const std::u16string_view before = std::u16string_view(map.text).substr(from, to - from);
    // What the old and new text have in common; when they differ too much for that, what
    // they begin and end with.
    std::vector<CommonRun> runs;
    if (auto found = commonRuns(before, text, kMaxDiffEdits)) {
        runs = std::move(*found);
    } else {
        const std::size_t most = std::min(before.size(), text.size());
        std::size_t head = 0;
        while (head < most && before[head] == text[head])
            ++head;
        std::size_t tail = 0;
        while (tail < most - head &&
               before[before.size() - 1 - tail] == text[text.size() - 1 - tail])
            ++tail;
        if (head > 0)
            runs.push_back({0, 0, head});
        if (tail > 0)
            runs.push_back({before.size() - tail, text.size() - tail, tail});
    }
    std::size_t next = 0; // in `text`
    for (CommonRun run : runs) {
        // A stretch kept begins and ends between whole characters on both sides; the rest
        // of it is written as typed.
        while (run.length > 0 && !(cut(from + run.from) && between(run.to)))
            ++run.from, ++run.to, --run.length;
        while (run.length > 0 &&
               !(cut(from + run.from + run.length) && between(run.to + run.length)))
            --run.length;
        if (run.length == 0)
            continue;
        write(next, run.to - next);
        const std::size_t first = map.starts[from + run.from];
        const std::size_t last = map.starts[from + run.from + run.length];
        out.bytes.append(bytes.substr(first, last - first));
        next = run.to + run.length;
    }
    write(next, text.size() - next);
    // Only what really differs.
    std::size_t prefix = 0;
    while (out.start + prefix < out.end && prefix < out.bytes.size() &&
           bytes[out.start + prefix] == out.bytes[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (out.end - suffix > out.start + prefix && out.bytes.size() - suffix > prefix &&
           bytes[out.end - suffix - 1] == out.bytes[out.bytes.size() - suffix - 1])
        ++suffix;
    out.bytes = out.bytes.substr(prefix, out.bytes.size() - prefix - suffix);
    out.start += prefix;
    out.end -= suffix;
    return out;
}

} // namespace tlx::host
