#include "host/LivePlace.h"

#include <algorithm>
#include <gumbo.h>
#include <memory>
#include <vector>

namespace tlx::host {

namespace {

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};
using Parsed = std::unique_ptr<GumboOutput, OutputDeleter>;

Parsed parse(std::string_view text) {
    return Parsed(gumbo_parse_with_options(&kGumboDefaultOptions, text.empty() ? "" : text.data(),
                                           text.size()));
}

const GumboVector* childrenOf(const GumboNode* node) {
    switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
        return &node->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return &node->v.element.children;
    default:
        return nullptr;
    }
}

// Every node of the tree, parents before their children (without recursion: pages nest deep).
template <typename Visit> void walk(const GumboNode* root, Visit visit) {
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        visit(node);
        if (const GumboVector* kids = childrenOf(node))
            for (unsigned i = kids->length; i > 0; --i)
                stack.push_back(static_cast<const GumboNode*>(kids->data[i - 1]));
    }
}

bool writtenInSource(const GumboNode* node) {
    return (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) &&
           node->v.element.original_tag.length > 0 &&
           (node->parse_flags & GUMBO_INSERTION_BY_PARSER) == 0;
}

// The content of these is never shown as the page's own: NOSCRIPT's is text while scripts run
// (the parser reads it as markup, as a browser without scripts would), an OBJECT's or APPLET's
// only stands in for the plug-in.
bool hidesItsContent(GumboTag tag) {
    return tag == GUMBO_TAG_NOSCRIPT || tag == GUMBO_TAG_OBJECT || tag == GUMBO_TAG_APPLET;
}

bool shownInBody(const GumboNode* element) {
    if (element->type != GUMBO_NODE_ELEMENT ||
        element->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    bool inBody = false;
    for (const GumboNode* up = element->parent; up && up->type != GUMBO_NODE_DOCUMENT;
         up = up->parent) {
        if (up->type != GUMBO_NODE_ELEMENT || up->v.element.tag_namespace != GUMBO_NAMESPACE_HTML ||
            hidesItsContent(up->v.element.tag))
            return false;
        inBody = inBody || up->v.element.tag == GUMBO_TAG_BODY;
    }
    return inBody;
}

// The offset of the first start tag in `html`, npos when it holds none.
std::size_t firstStartTag(std::string_view html) {
    for (std::size_t at = html.find('<'); at != std::string_view::npos;
         at = html.find('<', at + 1)) {
        const char next = at + 1 < html.size() ? html[at + 1] : '\0';
        if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))
            return at;
    }
    return std::string_view::npos;
}

// Where the text of a NOSCRIPT's content ends for a browser that runs scripts: at the first
// "</noscript" after its start tag (letter case ignored) that a blank, "/" or ">" follows, else
// at the end of the page.
std::size_t noscriptTextEnd(std::string_view text, std::size_t innerStart) {
    constexpr std::string_view endTag = "</noscript";
    for (std::size_t at = text.find("</", innerStart); at != std::string_view::npos;
         at = text.find("</", at + 1)) {
        if (at + endTag.size() > text.size())
            break;
        bool same = true;
        for (std::size_t i = 2; i < endTag.size() && same; ++i)
            same = (text[at + i] | 0x20) == endTag[i];
        const char next = at + endTag.size() < text.size() ? text[at + endTag.size()] : '>';
        if (same && std::string_view(" \t\n\r\f/>").find(next) != std::string_view::npos)
            return at;
    }
    return text.size();
}

bool isNoscript(const GumboNode* node) {
    return writtenInSource(node) && node->v.element.tag == GUMBO_TAG_NOSCRIPT;
}

// Whether `offset` lies in the text of a NOSCRIPT as a browser that runs scripts reads it.
bool inNoscriptText(const GumboOutput& output, std::string_view text, std::size_t offset) {
    bool inside = false;
    walk(output.document, [&](const GumboNode* node) {
        if (inside || !isNoscript(node))
            return;
        const std::size_t from =
            node->v.element.start_pos.offset + node->v.element.original_tag.length;
        const std::size_t to = noscriptTextEnd(text, from);
        inside = from <= offset && (offset < to || to == text.size());
    });
    return inside;
}

// An element or comment of the source, with the span it covers.
struct Construct {
    std::size_t start = 0;
    std::size_t innerStart = 0; // just past the start tag (for a comment: its end)
    std::size_t innerEnd = 0;   // the end tag's "<" (for a comment: its end)
    std::size_t end = 0;
    bool closed = false; // ends where the source says so, before the end of the page
};

std::vector<Construct> constructsAround(const GumboOutput& output, std::string_view text,
                                        std::size_t offset) {
    const std::size_t textSize = text.size();
    std::vector<Construct> found;
    walk(output.document, [&](const GumboNode* node) {
        Construct c;
        if (node->type == GUMBO_NODE_COMMENT) {
            const GumboText& t = node->v.text;
            const std::string_view written(t.original_text.data, t.original_text.length);
            c.start = t.start_pos.offset;
            c.end = c.innerStart = c.innerEnd = c.start + written.size();
            c.closed =
                written.starts_with("<!--")
                    ? written.size() >= 5 && (written.ends_with("-->") ||
                                              written.ends_with("--!>") || written == "<!-->")
                    : written.ends_with(">");
        } else if (writtenInSource(node)) {
            const GumboElement& e = node->v.element;
            c.start = e.start_pos.offset;
            c.innerStart = c.start + e.original_tag.length;
            const std::string_view endTag(e.original_end_tag.data ? e.original_end_tag.data : "",
                                          e.original_end_tag.length);
            if (endTag.starts_with("</") && e.end_pos.offset >= c.innerStart) {
                c.innerEnd = e.end_pos.offset;
                c.end = c.innerEnd + endTag.size();
                c.closed = true;
            } else {
                c.innerEnd = c.end = std::max<std::size_t>(e.end_pos.offset, c.innerStart);
                c.closed = c.end < textSize;
            }
        } else {
            return;
        }
        if (isNoscript(node)) {
            c.innerEnd = noscriptTextEnd(text, c.innerStart);
            const std::size_t close = text.find('>', c.innerEnd);
            c.closed = c.innerEnd < text.size() && close != std::string_view::npos;
            c.end = c.closed ? close + 1 : text.size();
        }
        c.end = std::min(c.end, textSize);
        const bool runsToTheEnd = !c.closed && c.end >= textSize;
        if (c.start < offset && (offset < c.end || (offset == c.end && runsToTheEnd)))
            found.push_back(c);
    });
    std::sort(found.begin(), found.end(), [](const Construct& a, const Construct& b) {
        return a.start != b.start ? a.start > b.start : a.end < b.end;
    });
    return found;
}

bool isFrameset(const GumboOutput& output) {
    bool frameset = false;
    walk(output.root, [&](const GumboNode* node) {
        frameset = frameset ||
                   (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_FRAMESET);
    });
    return frameset;
}

std::string problemOf(const GumboOutput& output) {
    if (isFrameset(output))
        return "the page is a frameset: it has no body to hold the object";
    return "no place near it in the page's body would show the object in a browser";
}

} // namespace

bool pastesLive(std::string_view text, std::size_t start, std::size_t end, std::string_view html) {
    const std::size_t lead = firstStartTag(html);
    if (lead == std::string_view::npos)
        return true;
    end = std::min(end, text.size());
    start = std::min(start, end);
    std::string pasted;
    pasted.reserve(text.size() - (end - start) + html.size());
    pasted.append(text.substr(0, start)).append(html).append(text.substr(end));
    const Parsed output = parse(pasted);
    if (!output)
        return false;
    const std::size_t wanted = start + lead;
    bool live = false;
    walk(output->document, [&](const GumboNode* node) {
        if (!live && writtenInSource(node) && node->v.element.start_pos.offset == wanted)
            live = shownInBody(node);
    });
    return live && !inNoscriptText(*output, pasted, wanted);
}

PastePlace livePlaceAt(std::string_view text, std::size_t offset, std::string_view html) {
    offset = std::min(offset, text.size());
    if (pastesLive(text, offset, offset, html))
        return {offset, {}};
    const Parsed output = parse(text);
    if (!output)
        return {std::nullopt, "the page cannot be read"};
    std::vector<std::size_t> tried{offset};
    const auto attempt = [&](std::size_t at) {
        if (std::find(tried.begin(), tried.end(), at) != tried.end())
            return false;
        tried.push_back(at);
        return pastesLive(text, at, at, html);
    };
    for (const Construct& c : constructsAround(*output, text, offset)) {
        // Out of a tag first: into the content after a start tag, after an end tag.
        if (offset < c.innerStart && attempt(c.innerStart))
            return {c.innerStart, {}};
        const std::size_t out = c.closed ? c.end : c.start;
        if (attempt(out))
            return {out, {}};
    }
    return {std::nullopt, problemOf(*output)};
}

PastePlace livePlaceAtEndOfBody(std::string_view text, std::string_view html) {
    const Parsed output = parse(text);
    if (!output)
        return {std::nullopt, "the page cannot be read"};
    std::size_t at = text.size();
    bool bodyEnd = false;
    walk(output->root, [&](const GumboNode* node) {
        if (node->type != GUMBO_NODE_ELEMENT)
            return;
        const GumboElement& e = node->v.element;
        if (!std::string_view(e.original_end_tag.data ? e.original_end_tag.data : "",
                              e.original_end_tag.length)
                 .starts_with("</"))
            return;
        if (e.tag == GUMBO_TAG_BODY) {
            at = e.end_pos.offset;
            bodyEnd = true;
        } else if (e.tag == GUMBO_TAG_HTML && !bodyEnd) {
            at = std::min<std::size_t>(at, e.end_pos.offset);
        }
    });
    if (isFrameset(*output))
        return {std::nullopt, problemOf(*output)};
    return livePlaceAt(text, at, html);
}

} // namespace tlx::host
