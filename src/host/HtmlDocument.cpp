#include "host/HtmlDocument.h"

#include "host/DocumentTree.h"
#include "host/HtmlAttributes.h"
#include "host/LivePlace.h"
#include "platform/Log.h"

#include <algorithm>

namespace tlx::host {

// ---- elements ----------------------------------------------------------------------------

std::shared_ptr<DocState> Node::liveDoc() const {
    auto state = doc.lock();
    if (!state || kind != NodeKind::Element)
        return nullptr;
    state->ensureFreshFor(*this);
    return attached ? state : nullptr;
}

bool Node::isAttached() const {
    return liveDoc() != nullptr;
}

std::string Node::id() const {
    return getAttribute("id");
}

std::string Node::tagName() const {
    return liveDoc() ? tagUpper : std::string();
}

std::string Node::outerHTML() const {
    const auto state = liveDoc();
    return state ? state->text.substr(start, end - start) : std::string();
}

std::string Node::innerHTML() const {
    const auto state = liveDoc();
    return state ? state->text.substr(innerStart, innerEnd - innerStart) : std::string();
}

bool Node::setOuterHTML(std::string_view html) {
    const auto state = liveDoc();
    if (!state)
        return false;
    const std::size_t from = start;
    const std::size_t to = end;
    if (!state->splice(from, to, html))
        return false;
    // An element with no source of its own (an empty implied HEAD) is not covered by the edit:
    // this handle is let go and the next parse of the page decides what stands there.
    if (attached) {
        if (const auto parentNode = parent.lock())
            std::erase_if(parentNode->kids, [this](const NodePtr& k) { return k.get() == this; });
        detachSubtree(*this);
        state->markStale(from);
    }
    return true;
}

std::string Node::getAttribute(std::string_view name) const {
    const auto state = liveDoc();
    if (!state || !hasStartTag)
        return {};
    const std::string_view startTag =
        std::string_view(state->text).substr(start, innerStart - start);
    const StartTagTokens tokens = tokenizeStartTag(startTag);
    const AttributeToken* token = findAttribute(startTag, tokens, name);
    if (!token || token->valueStart == std::string_view::npos)
        return {};
    return decodeAttributeValue(
        startTag.substr(token->valueStart, token->valueEnd - token->valueStart), state->singleByte,
        &state->codec);
}

bool Node::hasAttribute(std::string_view name) const {
    const auto state = liveDoc();
    if (!state || !hasStartTag)
        return false;
    const std::string_view startTag =
        std::string_view(state->text).substr(start, innerStart - start);
    return findAttribute(startTag, tokenizeStartTag(startTag), name) != nullptr;
}

bool Node::setAttribute(std::string_view name, std::string_view value) {
    const auto state = liveDoc();
    if (!state || !hasStartTag || !isValidAttributeName(name))
        return false;
    const std::string startTag = state->text.substr(start, innerStart - start);
    const StartTagTokens tokens = tokenizeStartTag(startTag);
    const AttributeToken* token = findAttribute(startTag, tokens, name);
    std::size_t from = 0;
    std::size_t to = 0;
    std::string written;
    if (token && token->valueStart != std::string_view::npos) {
        const char quote = token->quote ? token->quote : '"';
        from = token->valueStart - (token->quote ? 1 : 0);
        to = token->valueEnd + (token->quote && token->valueEnd < startTag.size() ? 1 : 0);
        written =
            quote + encodeAttributeValue(value, quote, state->singleByte, &state->codec) + quote;
    } else if (token) {
        from = to = token->nameEnd;
        written = "=\"" + encodeAttributeValue(value, '"', state->singleByte, &state->codec) + "\"";
    } else {
        if (tokens.closeAt == std::string_view::npos)
            return false;
        from = to = tokens.closeAt;
        written = " " + std::string(name) + "=\"" +
                  encodeAttributeValue(value, '"', state->singleByte, &state->codec) + "\"";
        // After "name=" with nothing but the startTag's end, the new text would become that value.
        const AttributeToken* last =
            tokens.attributes.empty() ? nullptr : &tokens.attributes.back();
        if (last && last->valueStart != std::string_view::npos && !last->quote &&
            last->valueStart == last->valueEnd)
            written = "\"\"" + written;
    }
    if (from == 0 || to >= startTag.size())
        return false;
    return state->splice(start + from, start + to, written, EditKind::Attribute);
}

ElementCollection Node::all() const {
    const auto state = liveDoc();
    return state ? ElementCollection(state->elementsUnder(*this)) : ElementCollection();
}

ElementPtr Node::parentElement() const {
    if (!liveDoc())
        return nullptr;
    auto parentNode = parent.lock();
    return parentNode && parentNode->isElement() ? parentNode : nullptr;
}

bool Node::insertAdjacentHTML(AdjacentPosition where, std::string_view html) {
    const auto state = liveDoc();
    if (!state)
        return false;
    switch (where) {
    case AdjacentPosition::BeforeBegin:
        return state->splice(start, start, html);
    case AdjacentPosition::AfterEnd:
        return state->splice(end, end, html);
    case AdjacentPosition::AfterBegin:
        return !isVoid() && state->splice(innerStart, innerStart, html, EditKind::General, this);
    case AdjacentPosition::BeforeEnd:
        return !isVoid() && state->splice(innerEnd, innerEnd, html, EditKind::General, this);
    }
    return false;
}

// ---- text ranges -------------------------------------------------------------------------

namespace {

class TextRange final : public HostTextRange {
public:
    TextRange(std::weak_ptr<DocState> doc, std::shared_ptr<RangeOffsets> offsets)
        : doc_(std::move(doc)), offsets_(std::move(offsets)) {}

    bool moveToElementText(const ElementPtr& element) override {
        const auto state = doc_.lock();
        const auto* node = dynamic_cast<const Node*>(element.get());
        if (!state || !node || node->doc.lock() != state || !node->isAttached())
            return false;
        offsets_->start = node->start;
        offsets_->end = node->end;
        return true;
    }

    bool select() override {
        const auto state = doc_.lock();
        if (!state)
            return false;
        clamp(*state);
        state->selStart = offsets_->start;
        state->selEnd = offsets_->end;
        state->selectionChanged.raise();
        return true;
    }

    bool pasteHTML(std::string_view html) override {
        const auto state = doc_.lock();
        if (!state)
            return false;
        clamp(*state);
        std::size_t from = offsets_->start;
        std::size_t to = offsets_->end;
        // Pasted at the caret, the text is inserted and the caret goes after it, as typing
        // would leave it; so a second insertion follows the first instead of replacing it.
        const bool atCaret = to == from && state->selStart == from && state->selEnd == from;
        // Markup goes where a browser shows it as part of the body: out of a comment, a script
        // or the like that holds the caret. A selection is replaced only where its markup is
        // shown; an element's whole markup is replaced as it stands.
        if (from == to) {
            const PastePlace place = livePlaceAt(state->text, from, html);
            if (!place.offset) {
                LogWarning("pasteHTML", "nothing pasted: " + place.problem);
                return false;
            }
            from = to = *place.offset;
        } else if (!coversElement(*state, from, to) && !pastesLive(state->text, from, to, html)) {
            LogWarning("pasteHTML", "nothing pasted: a browser would not show the markup there");
            return false;
        }
        if (!state->splice(from, to, html))
            return false;
        offsets_->start = from;
        offsets_->end = from + html.size();
        if (atCaret && !html.empty()) {
            state->selStart = state->selEnd = offsets_->end;
            state->selectionChanged.raise();
        }
        return true;
    }

    std::string htmlText() const override {
        const auto state = doc_.lock();
        if (!state)
            return {};
        const std::size_t size = state->text.size();
        const std::size_t from = std::min(offsets_->start, size);
        return state->text.substr(from, std::min(offsets_->end, size) - from);
    }

private:
    static bool coversElement(DocState& state, std::size_t from, std::size_t to) {
        state.ensureFresh();
        for (const ElementPtr& element : state.elementsUnder(*state.root)) {
            const auto* node = dynamic_cast<const Node*>(element.get());
            if (node && node->start == from && node->end == to)
                return true;
        }
        return false;
    }

    void clamp(const DocState& state) {
        offsets_->end = std::min(offsets_->end, state.text.size());
        offsets_->start = std::min(offsets_->start, offsets_->end);
    }

    std::weak_ptr<DocState> doc_;
    std::shared_ptr<RangeOffsets> offsets_;
};

const Node* nodeOf(const ElementPtr& element) {
    return dynamic_cast<const Node*>(element.get());
}

} // namespace

// ---- the document ------------------------------------------------------------------------

HtmlDocument::HtmlDocument() : state_(std::make_shared<DocState>()) {}

HtmlDocument::~HtmlDocument() = default;

std::shared_ptr<HtmlDocument> HtmlDocument::create(std::string text, std::string locationHref) {
    std::shared_ptr<HtmlDocument> document(new HtmlDocument());
    document->state_->text = std::move(text);
    document->state_->href = std::move(locationHref);
    return document;
}

const std::string& HtmlDocument::text() const {
    return state_->text;
}

bool HtmlDocument::replaceRange(std::size_t start, std::size_t end, std::string_view replacement) {
    return state_->splice(start, end, replacement);
}

void HtmlDocument::setLocationHref(std::string href) {
    state_->href = std::move(href);
}

void HtmlDocument::setSelection(std::size_t start, std::size_t end) {
    const std::size_t size = state_->text.size();
    start = std::min(start, size);
    end = std::min(end, size);
    const std::size_t newStart = std::min(start, end);
    const std::size_t newEnd = std::max(start, end);
    if (newStart == state_->selStart && newEnd == state_->selEnd)
        return;
    state_->selStart = newStart;
    state_->selEnd = newEnd;
    state_->selectionChanged.raise();
}

std::size_t HtmlDocument::selectionStart() const {
    return state_->selStart;
}
std::size_t HtmlDocument::selectionEnd() const {
    return state_->selEnd;
}

std::optional<std::pair<std::size_t, std::size_t>>
HtmlDocument::spanOf(const ElementPtr& element) const {
    const Node* node = nodeOf(element);
    if (!node || node->doc.lock() != state_ || !node->isAttached())
        return std::nullopt;
    return std::make_pair(node->start, node->end);
}

std::optional<std::pair<std::size_t, std::size_t>>
HtmlDocument::innerSpanOf(const ElementPtr& element) const {
    const Node* node = nodeOf(element);
    if (!node || node->doc.lock() != state_ || !node->isAttached())
        return std::nullopt;
    return std::make_pair(node->innerStart, node->innerEnd);
}

ElementPtr HtmlDocument::elementAt(std::size_t offset) const {
    return state_->elementAt(offset);
}

bool HtmlDocument::isModified() const {
    return state_->modified;
}
void HtmlDocument::setModified(bool modified) {
    state_->modified = modified;
}

ElementCollection HtmlDocument::all() const {
    state_->ensureFresh();
    return ElementCollection(state_->elementsUnder(*state_->root));
}

ElementPtr HtmlDocument::activeElement() const {
    DocState& state = *state_;
    state.ensureFresh();
    const std::size_t from = state.selStart;
    const std::size_t to = state.selEnd;
    if (from < to) {
        // The innermost element whose span is exactly the selection.
        NodePtr exact;
        const Node* n = state.root.get();
        while (n) {
            const Node* next = nullptr;
            for (const auto& kid : n->kids)
                if (kid->isElement() && kid->start <= from && to <= kid->end)
                    next = kid.get();
            if (!next)
                break;
            if (next->start == from && next->end == to)
                exact = std::const_pointer_cast<Node>(next->shared_from_this());
            n = next;
        }
        if (exact)
            return exact;
    }
    return state.elementAt(from);
}

ElementPtr HtmlDocument::body() const {
    return state_->body();
}

ElementCollection HtmlDocument::scripts() const {
    return all().tags("SCRIPT");
}

TextRangePtr HtmlDocument::createRange() {
    // As in an editor's normal view, the range of the selection lies in the body's content:
    // a caret never placed (offset 0) or placed before that content gives a range at its
    // start, one past it a range at its end. A selection inside the content is taken as it is.
    std::size_t from = state_->selStart;
    std::size_t to = state_->selEnd;
    if (const NodePtr body = state_->body()) {
        from = std::clamp(from, body->innerStart, body->innerEnd);
        to = std::clamp(to, from, body->innerEnd);
    }
    auto offsets = std::make_shared<RangeOffsets>(RangeOffsets{from, to});
    std::erase_if(state_->ranges, [](const auto& range) { return range.expired(); });
    state_->ranges.push_back(offsets);
    return std::make_shared<TextRange>(state_, std::move(offsets));
}

std::string HtmlDocument::locationHref() const {
    return state_->href;
}

std::string HtmlDocument::bgColor() const {
    const auto element = body();
    return element ? element->getAttribute("bgcolor") : std::string();
}

Signal<>& HtmlDocument::onafterupdate() {
    return state_->afterUpdate;
}

bool HtmlDocument::replaceOuterHTML(const std::vector<std::pair<ElementPtr, std::string>>& edits) {
    std::vector<DocState::Replacement> replacements;
    replacements.reserve(edits.size());
    for (const auto& [element, html] : edits) {
        const Node* node = nodeOf(element);
        if (!node || node->doc.lock() != state_ || !node->isAttached())
            return false;
        replacements.push_back({node->start, node->end, html});
    }
    std::sort(replacements.begin(), replacements.end(),
              [](const DocState::Replacement& a, const DocState::Replacement& b) {
                  return a.start < b.start;
              });
    return state_->spliceMany(replacements);
}

Signal<std::size_t, std::size_t, std::size_t>& HtmlDocument::textChanged() {
    return state_->textChanged;
}

Signal<>& HtmlDocument::selectionChanged() {
    return state_->selectionChanged;
}

Signal<const std::string&>& HtmlDocument::userActionStarted() {
    return state_->userActionStarted;
}

Signal<>& HtmlDocument::userActionEnded() {
    return state_->userActionEnded;
}

void HtmlDocument::BeginUserAction(std::string_view name) {
    if (state_->userActionDepth++ == 0)
        state_->userActionStarted.raise(std::string(name));
}

void HtmlDocument::EndUserAction() {
    if (state_->userActionDepth == 0) {
        LogWarning("HtmlDocument", "a user action ended that had not begun");
        return;
    }
    if (--state_->userActionDepth == 0)
        state_->userActionEnded.raise();
}

std::size_t HtmlDocument::fullParseCount() const {
    return state_->fullParses;
}

} // namespace tlx::host
