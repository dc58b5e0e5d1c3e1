#pragma once
// Where markup pasted into a page's source becomes an element of the page's body that a browser
// shows. The page is parsed as a browser parses it (gumbo, an HTML5 parser, with scripting on:
// a NOSCRIPT's content is text): markup pasted into a comment, into the content of a SCRIPT,
// STYLE, TEXTAREA, TITLE, XMP, IFRAME, NOEMBED, NOFRAMES or NOSCRIPT, after a PLAINTEXT tag,
// into SVG or MathML, a SELECT, a TEMPLATE, the fallback content of an OBJECT or APPLET, or into
// a page of frames never becomes such an element.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::host {

struct PastePlace {
    // Where the markup goes; nullopt when the page has no such place.
    std::optional<std::size_t> offset;
    // Why there is none, in words for the user.
    std::string problem;
};

// Whether the first element of `html`, pasted in place of the bytes [start, end) of `text`,
// becomes a shown element of the body. Markup without an element always counts as placed.
bool pastesLive(std::string_view text, std::size_t start, std::size_t end, std::string_view html);

// The place for `html` pasted at the caret `offset`: the caret itself when the markup is shown
// there; else, from the innermost construct around the caret outwards, the first place where it
// is: just after a construct closed in the source, just before one that runs to the end of the
// page (nothing after its start is markup to the browser). The place is never inside a tag.
PastePlace livePlaceAt(std::string_view text, std::size_t offset, std::string_view html);

// The place at the end of the body's content for `html`: before the body's end tag (or the
// HTML end tag, or the end of the text, when the page writes none), moved as livePlaceAt moves
// it when the end of the page lies inside a comment or an unclosed raw text element.
PastePlace livePlaceAtEndOfBody(std::string_view text, std::string_view html);

} // namespace tlx::host
