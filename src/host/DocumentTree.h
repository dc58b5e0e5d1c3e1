#pragma once
// The element tree behind HtmlDocument (internal to host/).
//
// Every node remembers its source span:
//   start      the '<' of its start tag
//   innerStart just past the start tag's '>'
//   innerEnd   the '<' of its end tag
//   end        just past the end tag's '>'
// An element without an end tag in the source (void elements, an unclosed P, an implied BODY)
// has innerEnd == end, where the parser closed it; an element without a start tag (implied
// HTML, HEAD, BODY, TBODY) has start == innerStart, where its content begins. Void elements
// have innerStart == innerEnd == end.
//
// Edits splice the text. Nodes before an edit keep their offsets, nodes after it shift, nodes
// that hold the edit inside their content (or inside their start tag) grow or shrink, and
// nodes whose boundaries the edit overlaps or whose whole span it covers are detached. The
// inserted markup is parsed alone in the context of the element that receives it and linked
// into the tree when that gives what a parse of the whole text would give; otherwise the tree
// is marked stale and the whole text is parsed again when next asked, handing live nodes on
// to the new tree by their start offset and tag so that handles keep their identity.

#include "host/TextCodec.h"
#include "hostapi/HostEditor.h"

#include <cstddef>
#include <gumbo.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::host {

class DocState;

enum class NodeKind { Document, Element, Comment };

class Node final : public HostElement, public std::enable_shared_from_this<Node> {
public:
    Node(NodeKind nodeKind, std::weak_ptr<DocState> document)
        : kind(nodeKind), doc(std::move(document)) {}

    NodeKind kind;
    std::weak_ptr<DocState> doc;
    std::weak_ptr<Node> parent;
    std::vector<std::shared_ptr<Node>> kids; // elements and comments in source order

    std::size_t start = 0;
    std::size_t innerStart = 0;
    std::size_t innerEnd = 0;
    std::size_t end = 0;

    std::string tagUpper;
    GumboTag tag = GUMBO_TAG_UNKNOWN;
    GumboNamespaceEnum ns = GUMBO_NAMESPACE_HTML;
    bool hasStartTag = false;
    bool explicitEnd = false;
    bool attached = true;

    bool isElement() const { return kind == NodeKind::Element; }
    bool isVoid() const;
    // The element's boundaries are fixed by tags written in the source.
    bool softStart() const { return !hasStartTag; }
    bool softEnd() const { return !explicitEnd && !isVoid(); }

    // HostElement
    bool isAttached() const override;
    std::string id() const override;
    std::string tagName() const override;
    std::string outerHTML() const override;
    bool setOuterHTML(std::string_view html) override;
    std::string innerHTML() const override;
    std::string getAttribute(std::string_view name) const override;
    bool hasAttribute(std::string_view name) const override;
    bool setAttribute(std::string_view name, std::string_view value) override;
    ElementCollection all() const override;
    ElementPtr parentElement() const override;
    bool insertAdjacentHTML(AdjacentPosition where, std::string_view html) override;

private:
    // The document when this node is a live element of it (after bringing the tree up to date).
    std::shared_ptr<DocState> liveDoc() const;
};

using NodePtr = std::shared_ptr<Node>;

// A text range's offsets; the document moves them along with its edits.
struct RangeOffsets {
    std::size_t start = 0;
    std::size_t end = 0;
};

enum class EditKind {
    General,  // any text: the structure is found again
    Attribute // inside one start tag, keeping its quoting: the structure stays as it is
};

class DocState : public std::enable_shared_from_this<DocState> {
public:
    std::string text;
    std::string href;
    std::size_t selStart = 0;
    std::size_t selEnd = 0;
    bool modified = false;
    Signal<> afterUpdate;
    // For the editor's windows: bytes [start, start + removed) became `inserted` bytes.
    Signal<std::size_t, std::size_t, std::size_t> textChanged;
    // For the editor's windows: the selection was set (not raised when an edit moves it).
    Signal<> selectionChanged;
    // For the editor's windows: the outermost user action began (with its name) or ended.
    int userActionDepth = 0;
    Signal<const std::string&> userActionStarted;
    Signal<> userActionEnded;

    NodePtr root;
    bool stale = true;         // the tree is missing the structure of some edit
    std::size_t staleFrom = 0; // nodes ending before this offset are sound
    bool messy = false;        // mis-nested or parser-moved markup somewhere
    bool singleByte = false;   // the page is not UTF-8
    TextCodec codec;           // the page's encoding
    std::size_t fullParses = 0;
    std::vector<std::weak_ptr<RangeOffsets>> ranges;
    // Elements whose container's tags an edit broke into, held for the next parse to place.
    std::vector<NodePtr> orphans;

    // Parses the whole text when the tree is stale.
    void ensureFresh();
    // Brings the tree up to date unless `node` lies wholly before every pending edit.
    void ensureFreshFor(const Node& node);

    // Replaces [start, end) by `replacement`. `growInside`: for an insertion, the element (and
    // its ancestors) that the inserted text goes into when it lands on one of its boundaries.
    bool splice(std::size_t start, std::size_t end, std::string_view replacement,
                EditKind kind = EditKind::General, const Node* growInside = nullptr);

    // Replaces several disjoint non-empty ranges at once, `edits` sorted by start; the text is
    // rewritten in one pass and every node moved once. False when the ranges are not sorted,
    // empty or overlapping.
    struct Replacement {
        std::size_t start = 0;
        std::size_t end = 0;
        std::string_view text;
    };
    bool spliceMany(const std::vector<Replacement>& edits);

    // Records that the tree may differ from a parse of the text from `offset` on.
    void markStale(std::size_t offset);

    // Queries on an up-to-date tree.
    std::vector<ElementPtr> elementsUnder(const Node& node);
    NodePtr elementAt(std::size_t offset);
    NodePtr body();

private:
    void reparse();
    // Detaches `node` and keeps what lies inside it untouched by the edit as orphans.
    void salvageContent(Node& node, std::size_t start, std::size_t end, std::size_t insertedLength);
    void shiftTree(std::size_t start, std::size_t end, std::size_t insertedLength,
                   const Node* growInside);
    // The element that takes the edit and the nodes parsed from `replacement` (offsets as in
    // the new text), when the edit can be linked in without parsing the whole text.
    Node* planIncremental(std::size_t start, std::size_t end, std::string_view replacement,
                          std::vector<NodePtr>& newNodes);
    void moveOffset(std::size_t& offset, bool isEnd, std::size_t start, std::size_t end,
                    std::size_t insertedLength) const;
};

// Detaches `node` and everything under it.
void detachSubtree(Node& node);

} // namespace tlx::host
