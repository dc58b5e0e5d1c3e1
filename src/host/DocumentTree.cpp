#include "host/DocumentTree.h"

#include "host/PageCharset.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <utility>

namespace tlx::host {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool tagIn(GumboTag tag, std::initializer_list<GumboTag> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The tag name written after "<" or "</", upper-cased.
std::string writtenName(std::string_view tag) {
    std::size_t i = 0;
    while (i < tag.size() && (tag[i] == '<' || tag[i] == '/'))
        ++i;
    std::string name;
    while (i < tag.size() && !isSpace(tag[i]) && tag[i] != '/' && tag[i] != '>')
        name += upper(tag[i++]);
    return name;
}

bool isVoidTag(GumboTag tag) {
    return tagIn(tag, {GUMBO_TAG_AREA,  GUMBO_TAG_BASE, GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND,
                       GUMBO_TAG_BR,    GUMBO_TAG_COL,  GUMBO_TAG_EMBED,    GUMBO_TAG_FRAME,
                       GUMBO_TAG_HR,    GUMBO_TAG_IMG,  GUMBO_TAG_INPUT,    GUMBO_TAG_KEYGEN,
                       GUMBO_TAG_LINK,  GUMBO_TAG_META, GUMBO_TAG_PARAM,    GUMBO_TAG_SOURCE,
                       GUMBO_TAG_TRACK, GUMBO_TAG_WBR,  GUMBO_TAG_IMAGE,    GUMBO_TAG_ISINDEX});
}

// Elements whose content is text to the parser, never markup.
bool isRawTextTag(GumboTag tag) {
    return tagIn(tag, {GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE, GUMBO_TAG_TEXTAREA, GUMBO_TAG_TITLE,
                       GUMBO_TAG_XMP, GUMBO_TAG_IFRAME, GUMBO_TAG_NOEMBED, GUMBO_TAG_NOFRAMES,
                       GUMBO_TAG_PLAINTEXT});
}

bool isFormattingTag(GumboTag tag) {
    return tagIn(tag, {GUMBO_TAG_A, GUMBO_TAG_B, GUMBO_TAG_BIG, GUMBO_TAG_CODE, GUMBO_TAG_EM,
                       GUMBO_TAG_FONT, GUMBO_TAG_I, GUMBO_TAG_NOBR, GUMBO_TAG_S, GUMBO_TAG_SMALL,
                       GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG, GUMBO_TAG_TT, GUMBO_TAG_U});
}

// Start tags that close an open P.
bool closesParagraph(GumboTag tag) {
    return tagIn(tag,
                 {GUMBO_TAG_ADDRESS, GUMBO_TAG_ARTICLE,  GUMBO_TAG_ASIDE,      GUMBO_TAG_BLOCKQUOTE,
                  GUMBO_TAG_CENTER,  GUMBO_TAG_DETAILS,  GUMBO_TAG_DIR,        GUMBO_TAG_DIV,
                  GUMBO_TAG_DL,      GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,
                  GUMBO_TAG_FOOTER,  GUMBO_TAG_HEADER,   GUMBO_TAG_HGROUP,     GUMBO_TAG_MENU,
                  GUMBO_TAG_NAV,     GUMBO_TAG_OL,       GUMBO_TAG_P,          GUMBO_TAG_SECTION,
                  GUMBO_TAG_SUMMARY, GUMBO_TAG_UL,       GUMBO_TAG_H1,         GUMBO_TAG_H2,
                  GUMBO_TAG_H3,      GUMBO_TAG_H4,       GUMBO_TAG_H5,         GUMBO_TAG_H6,
                  GUMBO_TAG_PRE,     GUMBO_TAG_LISTING,  GUMBO_TAG_FORM,       GUMBO_TAG_PLAINTEXT,
                  GUMBO_TAG_TABLE,   GUMBO_TAG_HR,       GUMBO_TAG_XMP,        GUMBO_TAG_LI,
                  GUMBO_TAG_DD,      GUMBO_TAG_DT,       GUMBO_TAG_MAIN});
}

bool isHeading(GumboTag tag) {
    return tagIn(
        tag, {GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6});
}

// Elements around an edit in whose presence markup parsed alone may come out differently.
bool neverTakesFragments(GumboTag tag) {
    return tagIn(tag, {GUMBO_TAG_HTML,     GUMBO_TAG_HEAD,   GUMBO_TAG_FRAMESET, GUMBO_TAG_FRAME,
                       GUMBO_TAG_TEMPLATE, GUMBO_TAG_TABLE,  GUMBO_TAG_TBODY,    GUMBO_TAG_THEAD,
                       GUMBO_TAG_TFOOT,    GUMBO_TAG_TR,     GUMBO_TAG_CAPTION,  GUMBO_TAG_COLGROUP,
                       GUMBO_TAG_COL,      GUMBO_TAG_SELECT, GUMBO_TAG_OPTION,   GUMBO_TAG_OPTGROUP,
                       GUMBO_TAG_RUBY,     GUMBO_TAG_RT,     GUMBO_TAG_RP,       GUMBO_TAG_MATH,
                       GUMBO_TAG_SVG});
}

// Elements that end the reach of implied closing (scope markers).
bool isScopeMarker(GumboTag tag) {
    return tagIn(tag, {GUMBO_TAG_TD, GUMBO_TAG_TH, GUMBO_TAG_CAPTION, GUMBO_TAG_OBJECT,
                       GUMBO_TAG_APPLET, GUMBO_TAG_MARQUEE, GUMBO_TAG_TEMPLATE});
}

// What identifies an element across a parse of the whole text: its start and tag; the one
// HTML, HEAD and BODY by their tag alone when the source has no tag for them.
std::string nodeKey(bool hasStartTag, std::size_t start, GumboTag tag, const std::string& tagUpper,
                    GumboNamespaceEnum ns) {
    if (hasStartTag)
        return std::to_string(start) + tagUpper + "/" + std::to_string(static_cast<int>(ns));
    if (tag == GUMBO_TAG_HTML || tag == GUMBO_TAG_HEAD || tag == GUMBO_TAG_BODY)
        return "~" + tagUpper;
    return "~" + std::to_string(start) + tagUpper;
}

std::string nodeKey(const Node& node) {
    return nodeKey(node.hasStartTag, node.start, node.tag, node.tagUpper, node.ns);
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t more = 0;
        if (c < 0x80)
            more = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else
            return false;
        if (i + more >= s.size())
            return false;
        for (std::size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

// A declared charset near the top decides; without one, text that is not UTF-8 is taken as a
// single-byte encoding.
bool detectSingleByte(const std::string& text) {
    const std::string declared = DeclaredCharset(text);
    if (!declared.empty())
        return !IsUtf8Charset(declared);
    return !validUtf8(text);
}

// Turns a gumbo tree into nodes, handing on old nodes where a reuse table is given.
class Builder {
public:
    Builder(std::string_view buffer, std::size_t base, std::size_t limit,
            std::weak_ptr<DocState> doc, bool fragment,
            std::unordered_map<std::string, NodePtr>* reuse)
        : buffer_(buffer), base_(base), limit_(limit), doc_(std::move(doc)), fragment_(fragment),
          reuse_(reuse) {}

    // Builds the node for `g` (an element, template or comment); nullptr for other nodes.
    NodePtr build(const GumboNode* g) {
        if (g->type == GUMBO_NODE_COMMENT)
            return comment(g);
        if (g->type == GUMBO_NODE_CDATA)
            ok_ = false;
        if (g->type != GUMBO_NODE_ELEMENT && g->type != GUMBO_NODE_TEMPLATE)
            return nullptr;
        return element(g);
    }

    bool messy = false;
    bool ok() const { return ok_ && !messy; }
    std::vector<GumboTag> tags;
    // Regions of tags, comments and raw text, relative to the buffer.
    std::vector<std::pair<std::size_t, std::size_t>> opaque;

private:
    std::size_t clip(std::size_t offset) const { return std::min(offset, limit_); }

    NodePtr comment(const GumboNode* g) {
        auto node = std::make_shared<Node>(NodeKind::Comment, doc_);
        const GumboText& t = g->v.text;
        node->start = clip(base_ + t.start_pos.offset);
        node->end = clip(node->start + t.original_text.length);
        node->innerStart = node->innerEnd = node->end;
        opaque.emplace_back(t.start_pos.offset, t.start_pos.offset + t.original_text.length);
        if (fragment_) {
            const std::string_view written(t.original_text.data, t.original_text.length);
            const bool closed =
                written.starts_with("<!--")
                    ? (written.ends_with("-->") || written.ends_with("--!>")) && written.size() >= 5
                    : written.ends_with(">");
            if (!closed)
                ok_ = false;
        }
        return node;
    }

    NodePtr element(const GumboNode* g) {
        const GumboElement& e = g->v.element;
        const bool byParser = (g->parse_flags & GUMBO_INSERTION_BY_PARSER) != 0;
        // gumbo counts an empty end tag ("</>", which it drops) that stands right before a
        // start tag as part of that tag's text: the tag begins after it.
        std::string_view tagText(e.original_tag.data ? e.original_tag.data : "",
                                 e.original_tag.length);
        std::size_t dropped = 0;
        while (tagText.size() > 3 && tagText.starts_with("</>")) {
            tagText.remove_prefix(3);
            dropped += 3;
        }
        const bool hasStartTag = !tagText.empty() && !byParser;
        std::string tagUpper;
        if (e.tag != GUMBO_TAG_UNKNOWN) {
            for (const char* p = gumbo_normalized_tagname(e.tag); *p; ++p)
                tagUpper += upper(*p);
        } else {
            tagUpper = writtenName(tagText);
        }

        const std::size_t relStart = e.start_pos.offset + (hasStartTag ? dropped : 0);
        NodePtr node;
        if (reuse_) {
            const auto it = reuse_->find(
                nodeKey(hasStartTag, base_ + relStart, e.tag, tagUpper, e.tag_namespace));
            // The same element only when its start tag is still the one it had.
            if (it != reuse_->end() &&
                (!hasStartTag || it->second->innerStart == base_ + relStart + tagText.size())) {
                node = std::move(it->second);
                reuse_->erase(it);
            }
        }
        if (!node)
            node = std::make_shared<Node>(NodeKind::Element, doc_);
        node->kids.clear();
        node->attached = true;
        node->tag = e.tag;
        node->ns = e.tag_namespace;
        node->tagUpper = std::move(tagUpper);
        node->hasStartTag = hasStartTag;
        tags.push_back(e.tag);

        for (unsigned i = 0; i < e.children.length; ++i) {
            if (NodePtr kid = build(static_cast<const GumboNode*>(e.children.data[i]))) {
                kid->parent = node;
                node->kids.push_back(std::move(kid));
            }
        }

        std::size_t kidsMin = npos;
        std::size_t kidsMax = 0;
        for (const auto& kid : node->kids) {
            kidsMin = std::min(kidsMin, kid->start);
            kidsMax = std::max(kidsMax, kid->end);
        }

        std::size_t start = base_ + relStart;
        std::size_t innerStart = start;
        if (hasStartTag) {
            innerStart = start + tagText.size();
            opaque.emplace_back(relStart, relStart + tagText.size());
        } else if (kidsMin != npos) {
            start = innerStart = std::min(start, kidsMin);
        }

        const std::string_view endTag(e.original_end_tag.data ? e.original_end_tag.data : "",
                                      e.original_end_tag.length);
        const bool explicitEnd = !endTag.empty() && endTag.starts_with("</") &&
                                 writtenName(endTag) == node->tagUpper &&
                                 base_ + e.end_pos.offset >= innerStart;
        std::size_t innerEnd = 0;
        std::size_t end = 0;
        if (explicitEnd) {
            innerEnd = base_ + e.end_pos.offset;
            end = innerEnd + endTag.size();
            opaque.emplace_back(e.end_pos.offset, e.end_pos.offset + endTag.size());
        } else if (isVoidTag(e.tag) && node->kids.empty()) {
            innerEnd = end = innerStart;
        } else {
            end = std::max({base_ + e.end_pos.offset, innerStart, kidsMax});
            innerEnd = end;
        }
        if (isRawTextTag(e.tag))
            opaque.emplace_back(innerStart - base_, innerEnd - base_);

        node->start = clip(start);
        node->innerStart = clip(innerStart);
        node->innerEnd = clip(innerEnd);
        node->end = clip(end);
        node->explicitEnd = explicitEnd;
        // The parser keeps an unclosed element open past its parent's end tag (a DIV left open
        // before </body>); in the source it ends where its parent's content does.
        clampInto(*node);

        constexpr unsigned moved = GUMBO_INSERTION_FOSTER_PARENTED |
                                   GUMBO_INSERTION_ADOPTION_AGENCY_CLONED |
                                   GUMBO_INSERTION_ADOPTION_AGENCY_MOVED |
                                   GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT;
        if ((g->parse_flags & moved) != 0)
            messy = true;
        if (byParser &&
            !tagIn(e.tag, {GUMBO_TAG_HTML, GUMBO_TAG_HEAD, GUMBO_TAG_BODY, GUMBO_TAG_TBODY}))
            messy = true;
        // A formatting element closed early by another tag stays active for the parser and
        // wraps later content in copies of itself; one left open to the end of the page does
        // not. An unclosed form keeps every later form from opening.
        if (hasStartTag && !explicitEnd &&
            ((isFormattingTag(e.tag) && base_ + e.end_pos.offset < limit_) ||
             e.tag == GUMBO_TAG_FORM))
            messy = true;
        // Children must lie in order inside the content.
        std::size_t at = node->innerStart;
        for (const auto& kid : node->kids) {
            if (kid->start < at)
                messy = true;
            at = std::max(at, kid->end);
        }
        if (at > node->innerEnd)
            messy = true;
        if (fragment_ && (!hasStartTag || (!explicitEnd && !isVoidTag(e.tag))))
            ok_ = false;
        return node;
    }

    // Anything that still lies beyond its parent afterwards makes the tree irregular.
    void clampInto(Node& parent) {
        for (const auto& kid : parent.kids) {
            if (kid->end <= parent.innerEnd)
                continue;
            if (kid->isElement() && kid->softEnd() && kid->start <= parent.innerEnd) {
                kid->end = kid->innerEnd = std::max(parent.innerEnd, kid->innerStart);
                clampInto(*kid);
            } else {
                messy = true;
            }
        }
    }

    std::string_view buffer_;
    std::size_t base_;
    std::size_t limit_;
    std::weak_ptr<DocState> doc_;
    bool fragment_;
    std::unordered_map<std::string, NodePtr>* reuse_;
    bool ok_ = true;
};

GumboOptions parseOptions() {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    return options;
}

// Every tag in `buffer` outside the recorded regions would be one the parser dropped; only
// end tags of void elements may be dropped that way (a whole-page parse drops them too).
bool everyTagAccountedFor(std::string_view buffer,
                          std::vector<std::pair<std::size_t, std::size_t>> opaque) {
    if (!buffer.empty() && buffer.back() == '<')
        return false;
    std::sort(opaque.begin(), opaque.end());
    std::size_t region = 0;
    std::size_t coveredTo = 0;
    for (std::size_t i = 0; i + 1 < buffer.size(); ++i) {
        while (region < opaque.size() && opaque[region].first <= i) {
            coveredTo = std::max(coveredTo, opaque[region].second);
            ++region;
        }
        if (i < coveredTo || buffer[i] != '<')
            continue;
        const char next = buffer[i + 1];
        if (!(isAsciiAlpha(next) || next == '/' || next == '!' || next == '?'))
            continue;
        if (next == '/') {
            const std::size_t close = buffer.find('>', i);
            const std::string name =
                writtenName(buffer.substr(i, close == npos ? npos : close - i));
            const GumboTag tag = gumbo_tag_enum(name.c_str());
            if (close != npos && tag != GUMBO_TAG_BR && isVoidTag(tag)) {
                coveredTo = close + 1;
                continue;
            }
        }
        return false;
    }
    return true;
}

} // namespace

bool Node::isVoid() const {
    return kind == NodeKind::Element && isVoidTag(tag);
}

void detachSubtree(Node& node) {
    std::vector<Node*> pending{&node};
    std::vector<NodePtr> keep; // children stay alive while they are being detached
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        n->attached = false;
        n->parent.reset();
        for (auto& kid : n->kids) {
            pending.push_back(kid.get());
            keep.push_back(std::move(kid));
        }
        n->kids.clear();
    }
}

void DocState::ensureFresh() {
    if (stale || !root)
        reparse();
}

void DocState::ensureFreshFor(const Node& node) {
    if (!stale && root)
        return;
    if (!orphans.empty()) {
        reparse();
        return;
    }
    if (root && (node.end < staleFrom || (node.end == staleFrom && !node.softEnd())))
        return;
    reparse();
}

void DocState::markStale(std::size_t offset) {
    staleFrom = stale ? std::min(staleFrom, offset) : offset;
    stale = true;
}

void DocState::reparse() {
    // Every element of the old tree; each one the new tree takes on is attached again, the
    // rest (also those that share their place and tag with another, as parser-made copies do)
    // are gone.
    std::vector<NodePtr> previous;
    std::unordered_map<std::string, NodePtr> reuse;
    if (root) {
        std::vector<Node*> pending{root.get()};
        for (const NodePtr& orphan : orphans) {
            if (orphan->attached)
                previous.push_back(orphan);
            pending.push_back(orphan.get());
        }
        while (!pending.empty()) {
            Node* n = pending.back();
            pending.pop_back();
            for (const auto& kid : n->kids) {
                if (kid->isElement() && kid->attached)
                    previous.push_back(kid);
                pending.push_back(kid.get());
            }
        }
    }
    reuse.reserve(previous.size());
    for (const NodePtr& node : previous) {
        reuse.emplace(nodeKey(*node), node);
        node->attached = false;
    }

    const GumboOptions options = parseOptions();
    GumboOutput* output = gumbo_parse_with_options(&options, text.data(), text.size());
    ++fullParses;
    Builder builder(text, 0, text.size(), weak_from_this(), false, &reuse);
    auto newRoot = std::make_shared<Node>(NodeKind::Document, weak_from_this());
    const GumboVector& top = output->document->v.document.children;
    for (unsigned i = 0; i < top.length; ++i) {
        if (NodePtr node = builder.build(static_cast<const GumboNode*>(top.data[i]))) {
            node->parent = newRoot;
            newRoot->kids.push_back(std::move(node));
        }
    }
    gumbo_destroy_output(&options, output);
    newRoot->start = newRoot->innerStart = 0;
    newRoot->innerEnd = newRoot->end = text.size();
    std::size_t at = 0;
    for (const auto& kid : newRoot->kids) {
        if (kid->start < at)
            builder.messy = true;
        at = std::max(at, kid->end);
    }

    // Nodes that found no place in the new tree are gone.
    for (const NodePtr& node : previous) {
        if (node->attached)
            continue;
        node->parent.reset();
        node->kids.clear();
    }
    orphans.clear();
    root = std::move(newRoot);
    messy = builder.messy;
    stale = false;
    staleFrom = npos;
    singleByte = detectSingleByte(text);
    codec = TextCodec::forBytes(text);
}

void DocState::moveOffset(std::size_t& offset, bool isEnd, std::size_t start, std::size_t end,
                          std::size_t insertedLength) const {
    const auto shifted = [&](std::size_t x) { return x - (end - start) + insertedLength; };
    if (start == end) {
        if (offset > start || (isEnd && offset == start))
            offset = shifted(offset);
        return;
    }
    if (offset <= start)
        return;
    if (offset >= end)
        offset = shifted(offset);
    else
        offset = isEnd ? start + insertedLength : start;
}

namespace {

// Moves one node's offsets for the edit; false when the edit breaks into its tags or covers it.
bool moveNode(Node& n, std::size_t s, std::size_t e, std::size_t length, bool inChain) {
    const auto sh = [&](std::size_t& x) { x = x - (e - s) + length; };
    if (s < e) {
        if (n.end <= s)
            return true;
        if (n.start >= e) {
            sh(n.start), sh(n.innerStart), sh(n.innerEnd), sh(n.end);
            return true;
        }
        if (n.kind != NodeKind::Comment && n.innerStart <= s && e <= n.innerEnd) {
            sh(n.innerEnd), sh(n.end);
            return true;
        }
        if (n.start < s && e < n.innerStart) {
            sh(n.innerStart), sh(n.innerEnd), sh(n.end);
            return true;
        }
        return false;
    }
    const std::size_t p = s;
    if (inChain) {
        if (n.start > p)
            sh(n.start);
        if (n.innerStart > p)
            sh(n.innerStart);
        if (n.innerEnd >= p)
            sh(n.innerEnd);
        if (n.end >= p)
            sh(n.end);
        return true;
    }
    if (p <= n.start) {
        sh(n.start), sh(n.innerStart), sh(n.innerEnd), sh(n.end);
        return true;
    }
    if (p >= n.end)
        return true;
    if (p < n.innerStart) {
        sh(n.innerStart), sh(n.innerEnd), sh(n.end);
        return true;
    }
    if (p <= n.innerEnd) {
        sh(n.innerEnd), sh(n.end);
        return true;
    }
    return false;
}

} // namespace

void DocState::salvageContent(Node& node, std::size_t s, std::size_t e, std::size_t length) {
    node.attached = false;
    node.parent.reset();
    std::vector<NodePtr> kids = std::move(node.kids);
    node.kids.clear();
    for (NodePtr& kid : kids) {
        if (kid->isElement() && moveNode(*kid, s, e, length, false)) {
            // Its own offsets are moved; those below it move with it.
            std::vector<Node*> below{kid.get()};
            while (!below.empty()) {
                Node* n = below.back();
                below.pop_back();
                std::size_t kept = 0;
                for (std::size_t i = 0; i < n->kids.size(); ++i) {
                    NodePtr k = std::move(n->kids[i]);
                    if (!moveNode(*k, s, e, length, false)) {
                        detachSubtree(*k);
                        continue;
                    }
                    below.push_back(k.get());
                    n->kids[kept++] = std::move(k);
                }
                n->kids.resize(kept);
            }
            kid->parent.reset();
            orphans.push_back(std::move(kid));
        } else if (!(s < e && s <= kid->start && kid->end <= e)) {
            salvageContent(*kid, s, e, length);
        } else {
            detachSubtree(*kid);
        }
    }
}

void DocState::shiftTree(std::size_t s, std::size_t e, std::size_t length, const Node* growInside) {
    std::vector<const Node*> chain;
    for (const Node* n = growInside; n;) {
        chain.push_back(n);
        const auto parent = n->parent.lock();
        n = parent.get();
    }
    root->start = root->innerStart = 0;
    root->innerEnd = root->end = text.size();
    std::vector<Node*> pending{root.get()};
    while (!pending.empty()) {
        Node* parent = pending.back();
        pending.pop_back();
        auto& kids = parent->kids;
        std::size_t kept = 0;
        for (std::size_t r = 0; r < kids.size(); ++r) {
            NodePtr kid = std::move(kids[r]);
            const bool untouched = kid->end < s || (kid->end == s && s < e);
            const bool inChain = std::find(chain.begin(), chain.end(), kid.get()) != chain.end();
            if (!moveNode(*kid, s, e, length, inChain)) {
                // An edit of its tags alone: what lies inside may well stand unchanged, and
                // the next parse decides.
                if (s < e && s <= kid->start && kid->end <= e)
                    detachSubtree(*kid);
                else
                    salvageContent(*kid, s, e, length);
                continue;
            }
            // In a tidy tree nothing under a node lies outside its span.
            if (!untouched || messy)
                pending.push_back(kid.get());
            kids[kept++] = std::move(kid);
        }
        kids.resize(kept);
    }
}

namespace {

// Whether the content position `pos` of `context` is outside every tag the parser dropped.
bool outsideDroppedTags(const std::string& text, const Node& context, std::size_t pos) {
    const auto& kids = context.kids;
    const auto it = std::partition_point(kids.begin(), kids.end(),
                                         [pos](const NodePtr& k) { return k->end <= pos; });
    const std::size_t lower = it == kids.begin() ? context.innerStart : (*(it - 1))->end;
    for (std::size_t i = pos; i > lower; --i) {
        const char c = text[i - 1];
        if (c == '>')
            return true;
        if (c == '<' && i < text.size()) {
            const char next = text[i];
            if (isAsciiAlpha(next) || next == '/' || next == '!' || next == '?')
                return false;
        }
    }
    return true;
}

// Whether markup with these elements, parsed alone in `context`, comes out as a parse of the
// whole page would make it.
bool contextTakes(const Node& context, const std::vector<GumboTag>& tags) {
    const auto has = [&](auto predicate) {
        return std::any_of(tags.begin(), tags.end(), predicate);
    };
    bool pastMarker = false;
    for (const Node* n = &context; n && n->isElement();) {
        if (n->ns != GUMBO_NAMESPACE_HTML)
            return false;
        if (n->tag == GUMBO_TAG_BODY)
            return true;
        // Above a table cell or an OBJECT nothing closes implicitly any more.
        if (!pastMarker && neverTakesFragments(n->tag))
            return false;
        if (n->tag == GUMBO_TAG_FORM && has([](GumboTag t) { return t == GUMBO_TAG_FORM; }))
            return false;
        if (!pastMarker) {
            const GumboTag t = n->tag;
            if (t == GUMBO_TAG_P && has(closesParagraph))
                return false;
            if (t == GUMBO_TAG_LI && has([](GumboTag x) { return x == GUMBO_TAG_LI; }))
                return false;
            if ((t == GUMBO_TAG_DD || t == GUMBO_TAG_DT) &&
                has([](GumboTag x) { return x == GUMBO_TAG_DD || x == GUMBO_TAG_DT; }))
                return false;
            // An OPTION or OPTGROUP start tag closes an open OPTION.
            if (t == GUMBO_TAG_OPTION &&
                has([](GumboTag x) { return x == GUMBO_TAG_OPTION || x == GUMBO_TAG_OPTGROUP; }))
                return false;
            if ((t == GUMBO_TAG_A || t == GUMBO_TAG_NOBR || t == GUMBO_TAG_BUTTON) &&
                has([t](GumboTag x) { return x == t; }))
                return false;
            if (isHeading(t) && has(isHeading))
                return false;
            if (isScopeMarker(t))
                pastMarker = true;
        }
        const auto parent = n->parent.lock();
        n = parent.get();
    }
    return false;
}

} // namespace

Node* DocState::planIncremental(std::size_t s, std::size_t e, std::string_view replacement,
                                std::vector<NodePtr>& newNodes) {
    if (stale || messy || !root)
        return nullptr;
    Node* context = root.get();
    for (;;) {
        Node* next = nullptr;
        auto& kids = context->kids;
        auto it = std::partition_point(kids.begin(), kids.end(),
                                       [s](const NodePtr& k) { return k->end < s; });
        for (; it != kids.end() && (*it)->start <= e; ++it) {
            const Node& k = **it;
            if (k.kind == NodeKind::Comment) {
                const bool overlaps =
                    s == e ? (k.start < s && s < k.end) : (s < k.end && k.start < e);
                if (!overlaps || (s < e && s <= k.start && k.end <= e))
                    continue;
                return nullptr;
            }
            if ((k.softStart() && s <= k.start && k.start <= e) ||
                (k.softEnd() && s <= k.end && k.end <= e))
                return nullptr;
            if (s == e) {
                if (s <= k.start || s >= k.end)
                    continue;
                if (k.innerStart <= s && s <= k.innerEnd && !k.isVoid()) {
                    next = it->get();
                    break;
                }
                return nullptr;
            }
            if (k.end <= s || k.start >= e || (s <= k.start && k.end <= e))
                continue;
            if (k.innerStart <= s && e <= k.innerEnd && !k.isVoid()) {
                next = it->get();
                break;
            }
            return nullptr;
        }
        if (!next)
            break;
        context = next;
    }
    if (!context->isElement() || context->ns != GUMBO_NAMESPACE_HTML || isRawTextTag(context->tag))
        return nullptr;
    if (s > 0 && text[s - 1] == '<')
        return nullptr;
    if (!outsideDroppedTags(text, *context, s) || !outsideDroppedTags(text, *context, e))
        return nullptr;

    std::vector<GumboTag> tags;
    if (!replacement.empty()) {
        GumboOptions options = parseOptions();
        options.fragment_context = context->tag == GUMBO_TAG_UNKNOWN ? GUMBO_TAG_DIV : context->tag;
        options.fragment_namespace = GUMBO_NAMESPACE_HTML;
        GumboOutput* output =
            gumbo_parse_with_options(&options, replacement.data(), replacement.size());
        const std::size_t newLength = text.size() - (e - s) + replacement.size();
        Builder builder(replacement, s, newLength, weak_from_this(), true, nullptr);
        const GumboVector& top = output->root->v.element.children;
        for (unsigned i = 0; i < top.length; ++i)
            if (NodePtr node = builder.build(static_cast<const GumboNode*>(top.data[i])))
                newNodes.push_back(std::move(node));
        gumbo_destroy_output(&options, output);
        std::size_t at = s;
        for (const auto& node : newNodes) {
            if (node->start < at)
                return nullptr;
            at = node->end;
        }
        if (!builder.ok() || !everyTagAccountedFor(replacement, builder.opaque))
            return nullptr;
        tags = std::move(builder.tags);
    }
    if (!contextTakes(*context, tags))
        return nullptr;
    return context;
}

bool DocState::splice(std::size_t s, std::size_t e, std::string_view replacement, EditKind kind,
                      const Node* growInside) {
    if (s > e || e > text.size())
        return false;
    if (s == e && replacement.empty())
        return true;
    // Elements an earlier edit left without a place are placed first, so that no edit has to
    // move them.
    if (!root || !orphans.empty())
        reparse();

    std::vector<NodePtr> newNodes;
    Node* context =
        kind == EditKind::General ? planIncremental(s, e, replacement, newNodes) : nullptr;
    if (stale)
        moveOffset(staleFrom, false, s, e, replacement.size());

    text.replace(s, e - s, replacement);
    shiftTree(s, e, replacement.size(), growInside);

    if (context) {
        auto& kids = context->kids;
        const auto at = std::partition_point(kids.begin(), kids.end(),
                                             [s](const NodePtr& k) { return k->start < s; });
        const auto self = context->shared_from_this();
        for (auto& node : newNodes)
            node->parent = self;
        kids.insert(at, newNodes.begin(), newNodes.end());
    } else if (kind == EditKind::General) {
        markStale(s);
    }

    moveOffset(selStart, false, s, e, replacement.size());
    moveOffset(selEnd, true, s, e, replacement.size());
    std::erase_if(ranges, [](const std::weak_ptr<RangeOffsets>& r) { return r.expired(); });
    for (const auto& weak : ranges) {
        const auto range = weak.lock();
        moveOffset(range->start, false, s, e, replacement.size());
        moveOffset(range->end, true, s, e, replacement.size());
    }
    modified = true;
    textChanged.raise(s, e - s, replacement.size());
    afterUpdate.raise();
    return true;
}

bool DocState::spliceMany(const std::vector<Replacement>& edits) {
    if (edits.empty())
        return true;
    std::size_t at = 0;
    std::size_t newSize = text.size();
    for (const Replacement& edit : edits) {
        if (edit.start >= edit.end || edit.start < at || edit.end > text.size())
            return false;
        at = edit.end;
        newSize = newSize - (edit.end - edit.start) + edit.text.size();
    }
    if (edits.size() == 1)
        return splice(edits[0].start, edits[0].end, edits[0].text);
    if (!root || !orphans.empty())
        reparse();

    // The new text in one pass.
    std::string written;
    written.reserve(newSize);
    at = 0;
    for (const Replacement& edit : edits) {
        written.append(text, at, edit.start - at);
        written.append(edit.text);
        at = edit.end;
    }
    written.append(text, at, npos);

    // shift[i]: how far an offset at or past the end of edit i moves.
    std::vector<std::ptrdiff_t> shift(edits.size());
    std::ptrdiff_t total = 0;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        total += static_cast<std::ptrdiff_t>(edits[i].text.size()) -
                 static_cast<std::ptrdiff_t>(edits[i].end - edits[i].start);
        shift[i] = total;
    }
    // The first edit that ends after `x`.
    const auto firstEndingAfter = [&](std::size_t x) {
        return static_cast<std::size_t>(
            std::partition_point(edits.begin(), edits.end(),
                                 [x](const Replacement& r) { return r.end <= x; }) -
            edits.begin());
    };
    const auto moved = [&](std::size_t x) {
        const std::size_t i = firstEndingAfter(x);
        return i == 0 ? x : static_cast<std::size_t>(static_cast<std::ptrdiff_t>(x) + shift[i - 1]);
    };
    // Whether every edit leaves the node's tags alone: each lies before or after it, inside
    // its content or inside its start tag.
    const auto keeps = [&](const Node& n) {
        for (std::size_t i = firstEndingAfter(n.start); i < edits.size(); ++i) {
            const Replacement& r = edits[i];
            if (r.start >= n.end)
                break;
            const bool inContent =
                n.kind != NodeKind::Comment && n.innerStart <= r.start && r.end <= n.innerEnd;
            const bool inStartTag = n.start < r.start && r.end < n.innerStart;
            if (!inContent && !inStartTag)
                return false;
        }
        return true;
    };

    std::vector<Node*> pending{root.get()};
    while (!pending.empty()) {
        Node* parent = pending.back();
        pending.pop_back();
        auto& kids = parent->kids;
        std::size_t kept = 0;
        for (std::size_t r = 0; r < kids.size(); ++r) {
            NodePtr kid = std::move(kids[r]);
            if (!keeps(*kid)) {
                detachSubtree(*kid);
                continue;
            }
            kid->start = moved(kid->start);
            kid->innerStart = moved(kid->innerStart);
            kid->innerEnd = moved(kid->innerEnd);
            kid->end = moved(kid->end);
            pending.push_back(kid.get());
            kids[kept++] = std::move(kid);
        }
        kids.resize(kept);
    }
    const std::size_t first = edits.front().start;
    const std::size_t last = edits.back().end;
    if (stale)
        staleFrom = moved(staleFrom);
    text = std::move(written);
    root->start = root->innerStart = 0;
    root->innerEnd = root->end = text.size();
    markStale(first);

    // Offsets of the selection and the ranges, edit by edit from the last one, whose
    // positions the earlier edits do not move.
    const auto moveAll = [&](std::size_t& offset, bool isEnd) {
        for (auto it = edits.rbegin(); it != edits.rend(); ++it)
            moveOffset(offset, isEnd, it->start, it->end, it->text.size());
    };
    moveAll(selStart, false);
    moveAll(selEnd, true);
    std::erase_if(ranges, [](const std::weak_ptr<RangeOffsets>& w) { return w.expired(); });
    for (const auto& weak : ranges) {
        const auto range = weak.lock();
        moveAll(range->start, false);
        moveAll(range->end, true);
    }
    modified = true;
    textChanged.raise(first, last - first, moved(last) - first);
    afterUpdate.raise();
    return true;
}

std::vector<ElementPtr> DocState::elementsUnder(const Node& node) {
    std::vector<ElementPtr> result;
    std::vector<const Node*> pending;
    for (auto it = node.kids.rbegin(); it != node.kids.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        const Node* n = pending.back();
        pending.pop_back();
        if (!n->isElement())
            continue;
        result.push_back(std::const_pointer_cast<Node>(n->shared_from_this()));
        for (auto it = n->kids.rbegin(); it != n->kids.rend(); ++it)
            pending.push_back(it->get());
    }
    if (messy) {
        std::stable_sort(
            result.begin(), result.end(), [](const ElementPtr& a, const ElementPtr& b) {
                return static_cast<const Node&>(*a).start < static_cast<const Node&>(*b).start;
            });
    }
    return result;
}

NodePtr DocState::elementAt(std::size_t offset) {
    ensureFresh();
    const auto holds = [offset](const Node& k) {
        return k.isElement() && k.start < k.end && k.start <= offset &&
               (offset < k.end || (offset == k.end && k.softEnd()));
    };
    NodePtr found;
    const Node* n = root.get();
    while (n) {
        const Node* next = nullptr;
        if (messy) {
            for (const auto& kid : n->kids)
                if (holds(*kid))
                    next = kid.get();
        } else {
            const auto it =
                std::partition_point(n->kids.begin(), n->kids.end(),
                                     [offset](const NodePtr& k) { return k->start <= offset; });
            if (it != n->kids.begin() && holds(**(it - 1)))
                next = (it - 1)->get();
        }
        if (!next)
            break;
        found = std::const_pointer_cast<Node>(next->shared_from_this());
        if (next->tag == GUMBO_TAG_OBJECT)
            break;
        n = next;
    }
    return found;
}

NodePtr DocState::body() {
    ensureFresh();
    for (const auto& top : root->kids) {
        if (top->tag != GUMBO_TAG_HTML || !top->isElement())
            continue;
        for (const auto& kid : top->kids)
            if (kid->isElement() && kid->tag == GUMBO_TAG_BODY)
                return kid;
    }
    return nullptr;
}

} // namespace tlx::host
