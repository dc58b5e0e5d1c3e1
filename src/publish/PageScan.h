#pragma once
// What publishing needs to know of a page, read from its bytes without building a document:
// where the player's script element goes, whether the page needs the player at all (Flash
// objects or the detection script), and every address its Flash objects give the browser
// (the movie, and the companions the movie loads from next to itself).
//
// The scan follows an HTML tokenizer far enough for this: comments, doctypes and the raw text
// of script, style, textarea, title and noscript are passed over, tags are split into
// attributes as browsers split them. Offsets are byte offsets; pages in UTF-16 are scanned by
// their code units.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::publish {

// One Flash object of a page (an OBJECT with what it holds, or an EMBED of its own).
struct FlashObjectAddresses {
    std::string id; // ID, else NAME, of the OBJECT or EMBED; empty when it has neither
    // The movie addresses as written, entities decoded (OBJECT data, PARAM movie or src,
    // EMBED src), each once.
    std::vector<std::string> movies;
    // The companion files named by the movie's values (BS, BM, TM, TE, TF), each once, as the
    // movie reads them (decoded); the movie loads them from its own folder.
    std::vector<std::string> companions;
};

struct PageFlash {
    std::vector<FlashObjectAddresses> objects;
    bool detectionScript = false; // a script element with ID "FLASHCheck1"
    std::string baseHref;         // the first BASE element's href, entities decoded
    bool needsPlayer() const { return detectionScript || !objects.empty(); }
};

PageFlash ScanPage(std::string_view page);

// The byte offset at which the player's script element goes so that it runs before every
// script of the page: right after the HEAD start tag, else after the HTML start tag, else
// after the doctype, else at the start (after a byte order mark); but before the first
// script element when one comes earlier than that. A META declaring the charset in the head
// before any script keeps its place before the element (browsers look for it only in the
// page's first kilobyte).
std::size_t PlayerScriptOffset(std::string_view page);

// `page` with `element` (ASCII text) inserted at PlayerScriptOffset; in a UTF-16 page (by its
// byte order mark) the element is written in the page's own UTF-16. Nothing else changes.
std::string WithPlayerScript(std::string_view page, std::string_view element);

} // namespace tlx::publish
