// The page document under any bytes and a series of edits chosen by the fuzzer (outerHTML,
// insertAdjacentHTML, pasteHTML, replaceRange). After each edit:
//   - the text is the plain splice of the edit;
//   - the element tree is the one a parse of the whole text gives (same tags, same sources);
//   - every held handle that says it is attached is in the tree, and one whose markup the edit
//     did not touch reads back its exact source;
//   - no handle throws, attached or not.

#include "fuzz/FuzzSupport.h"
#include "host/HtmlDocument.h"
#include "host/LivePlace.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <gumbo.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using tlx::ElementPtr;
using tlx::host::HtmlDocument;

struct Held {
    ElementPtr element;
    std::size_t start = 0;
    std::size_t end = 0;
    std::string source;
    std::string tag;
    bool foreign = false; // inside SVG or MathML, where no tag is void
};

bool InForeignContent(const ElementPtr& element) {
    for (ElementPtr e = element; e; e = e->parentElement())
        if (e->tagName() == "SVG" || e->tagName() == "MATH")
            return true;
    return false;
}

std::string Describe(const HtmlDocument& document) {
    return "text: " + document.text();
}

// Tag and source of every element, in the document's order.
std::vector<std::pair<std::string, std::string>> Shape(const HtmlDocument& document) {
    std::vector<std::pair<std::string, std::string>> shape;
    for (const ElementPtr& element : document.all())
        shape.emplace_back(element->tagName(), element->outerHTML());
    return shape;
}

// Where each element of `text` that an end tag closes begins and ends, by the parser the
// document uses: "</UL>" at the end of an element's source may be no end tag at all (in
// "<li\x1e</ul>" it is an attribute of a tag named "li\x1e<").
std::set<std::pair<std::size_t, std::size_t>> ClosedSpans(const std::string& text) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, text.data(), text.size());
    std::set<std::pair<std::size_t, std::size_t>> spans;
    std::vector<const GumboNode*> nodes{output->root};
    while (!nodes.empty()) {
        const GumboNode* node = nodes.back();
        nodes.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement& element = node->v.element;
        if (element.original_tag.length > 0 && element.original_end_tag.length > 0)
            spans.emplace(element.start_pos.offset,
                          element.end_pos.offset + element.original_end_tag.length);
        for (unsigned i = 0; i < element.children.length; ++i)
            nodes.push_back(static_cast<const GumboNode*>(element.children.data[i]));
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return spans;
}

// Whether the element's source is closed by its own tags (a void element, or one whose end tag
// is written, and so is its start tag): only then can no edit outside it change it. An unclosed
// element ends where the parser closes it, which edits after it may move.
bool ClosedInSource(const Held& held, const std::set<std::pair<std::size_t, std::size_t>>& closed) {
    static const char* const voids[] = {"AREA",  "BASE", "BR",   "COL",   "EMBED",  "HR",    "IMG",
                                        "INPUT", "LINK", "META", "PARAM", "SOURCE", "TRACK", "WBR"};
    std::string upper = held.source;
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (!upper.starts_with("<" + held.tag))
        return false; // the parser put it there
    if (std::find(std::begin(voids), std::end(voids), held.tag) != std::end(voids))
        return upper.back() == '>';
    return upper.ends_with("</" + held.tag + ">") && closed.count({held.start, held.end}) > 0;
}

// Reads everything a handle offers; none of it may throw.
void Touch(const ElementPtr& element) {
    (void)element->isAttached();
    (void)element->outerHTML();
    (void)element->innerHTML();
    (void)element->tagName();
    (void)element->id();
    (void)element->all().size();
    (void)element->parentElement();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string page = input.ConsumeRandomLengthString(4096);
    const auto document = HtmlDocument::create(page, "file:///fuzz/page.htm");

    for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
        // Every element is held from here on.
        std::vector<Held> held;
        for (const ElementPtr& element : document->all()) {
            const auto span = document->spanOf(element);
            FUZZ_CHECK(span.has_value(), Describe(*document));
            held.push_back({element, span->first, span->second, element->outerHTML(),
                            element->tagName(), InForeignContent(element)});
        }
        const std::string before = document->text();
        const std::string html = input.ConsumeRandomLengthString(64);
        const int operation = input.ConsumeIntegralInRange(0, 3);
        std::size_t from = 0;
        std::size_t to = 0;
        bool done = false;
        if (operation == 0 || operation == 1) {
            if (held.empty())
                continue;
            const Held& target =
                held[input.ConsumeIntegralInRange<std::size_t>(0, held.size() - 1)];
            if (operation == 0) {
                from = target.start;
                to = target.end;
                done = target.element->setOuterHTML(html);
            } else {
                const auto where =
                    static_cast<tlx::AdjacentPosition>(input.ConsumeIntegralInRange(0, 3));
                const auto inner = document->innerSpanOf(target.element);
                FUZZ_CHECK(inner.has_value(), Describe(*document));
                switch (where) {
                case tlx::AdjacentPosition::BeforeBegin:
                    from = to = target.start;
                    break;
                case tlx::AdjacentPosition::AfterEnd:
                    from = to = target.end;
                    break;
                case tlx::AdjacentPosition::AfterBegin:
                    from = to = inner->first;
                    break;
                case tlx::AdjacentPosition::BeforeEnd:
                    from = to = inner->second;
                    break;
                }
                done = target.element->insertAdjacentHTML(where, html);
            }
        } else {
            from = input.ConsumeIntegralInRange<std::size_t>(0, before.size());
            to = input.ConsumeIntegralInRange<std::size_t>(from, before.size());
            if (operation == 2) {
                document->setSelection(from, to);
                // The range of the selection lies in the body's content, as in an editor.
                if (const ElementPtr body = document->body())
                    if (const auto inner = document->innerSpanOf(body)) {
                        from = std::clamp(from, inner->first, inner->second);
                        to = std::clamp(to, from, inner->second);
                    }
                // Markup pasted at a caret goes where a browser shows it.
                if (from == to) {
                    const tlx::host::PastePlace place = tlx::host::livePlaceAt(before, from, html);
                    from = to = place.offset.value_or(from);
                }
                done = document->createRange()->pasteHTML(html);
            } else {
                done = document->replaceRange(from, to, html);
            }
        }
        if (!done) {
            FUZZ_CHECK(document->text() == before, Describe(*document));
            continue;
        }
        const std::string expected = before.substr(0, from) + html + before.substr(to);
        FUZZ_CHECK(document->text() == expected,
                   "edit [" + std::to_string(from) + "," + std::to_string(to) + ") by '" + html +
                       "'\nexpected: " + expected + "\n" + Describe(*document));

        // The tree is the one a parse of the whole text gives.
        const auto fresh = HtmlDocument::create(document->text(), "file:///fuzz/page.htm");
        FUZZ_CHECK(Shape(*document) == Shape(*fresh), Describe(*document));

        const tlx::ElementCollection all = document->all();
        const auto closed = ClosedSpans(before);
        const std::ptrdiff_t growth =
            static_cast<std::ptrdiff_t>(html.size()) - static_cast<std::ptrdiff_t>(to - from);
        for (const Held& h : held) {
            Touch(h.element);
            if (!h.element->isAttached())
                continue;
            FUZZ_CHECK(std::find(all.begin(), all.end(), h.element) != all.end(),
                       "attached but not in the tree: " + h.source + "\n" + Describe(*document));
            const auto span = document->spanOf(h.element);
            FUZZ_CHECK(span && document->text().substr(span->first, span->second - span->first) ==
                                   h.element->outerHTML(),
                       Describe(*document));
            const bool untouched =
                (to < h.start || from > h.end) && !h.foreign && ClosedInSource(h, closed);
            if (untouched) {
                const std::string reads = h.element->outerHTML();
                FUZZ_CHECK(reads == h.source,
                           "held " + h.tag + " [" + std::to_string(h.start) + "," +
                               std::to_string(h.end) + "): " + h.source + "\nreads: " + reads +
                               "\nedit " + std::to_string(operation) + " [" + std::to_string(from) +
                               "," + std::to_string(to) + ") '" + html + "'\nbefore: " + before +
                               "\n" + Describe(*document));
                const std::size_t start =
                    h.start < from
                        ? h.start
                        : static_cast<std::size_t>(static_cast<std::ptrdiff_t>(h.start) + growth);
                FUZZ_CHECK(span->first == start, Describe(*document));
            }
        }
    }
    return 0;
}
