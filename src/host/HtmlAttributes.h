#pragma once
// Reading and writing the attributes of a start tag as it stands in the page source, and the
// character references of attribute values. Bytes outside character references are passed
// through untouched, whatever the page's encoding.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::host {

class TextCodec;

// One attribute of a start tag; offsets are into the tag's text.
struct AttributeToken {
    std::size_t nameStart = 0;
    std::size_t nameEnd = 0;
    // The value's bytes without quotes; valueStart == npos when the attribute has no value.
    std::size_t valueStart = std::string_view::npos;
    std::size_t valueEnd = std::string_view::npos;
    char quote = 0; // '"', '\'' or 0 for an unquoted value
};

struct StartTagTokens {
    std::vector<AttributeToken> attributes;
    // Where the closing "/>" or ">" begins; npos when the tag is not closed.
    std::size_t closeAt = std::string_view::npos;
};

// Splits a start tag ("<name attr=value ...>") into its attributes, as an HTML tokenizer does.
StartTagTokens tokenizeStartTag(std::string_view tag);
// The same into `tokens`, whose list keeps its storage (for a scan over many tags).
void tokenizeStartTag(std::string_view tag, StartTagTokens& tokens);

// The first attribute named `name` (ASCII letter case ignored), or nullptr.
const AttributeToken* findAttribute(std::string_view tag, const StartTagTokens& tokens,
                                    std::string_view name);

// Decodes the character references of an attribute value (&amp; &quot; &#NN; &#xHH; and the
// common named ones). With `singleByte` a reference to a character up to U+00FF becomes that
// one byte and a reference beyond it is left as written; otherwise references become UTF-8.
// With the `codec` of a page in another encoding (Shift_JIS, KOI8-R...), a reference becomes
// the character's bytes in that encoding, and stays as written when the encoding lacks it.
std::string decodeAttributeValue(std::string_view raw, bool singleByte,
                                 const TextCodec* codec = nullptr);

// The text to write between `quote` characters so that decodeAttributeValue gives `value`
// back: the quote character and every "&" that would start a reference are escaped, nothing else.
std::string encodeAttributeValue(std::string_view value, char quote, bool singleByte,
                                 const TextCodec* codec = nullptr);

// Whether `name` can be written as an attribute name.
bool isValidAttributeName(std::string_view name);

} // namespace tlx::host
