#pragma once
// The page document of the editor: the page's source text is the truth, elements are found by
// parsing it (gumbo) and remembering each element's source span. Nothing is ever reformatted;
// every edit splices text.
//
// Spans: an element's outerHTML runs from its start tag to the end of its end tag (the start
// tag alone for void elements). An element whose end tag is not written (an unclosed P or DIV)
// ends where the parser closed it, at most at the end of its parent's content. Elements the
// parser adds without a tag in the source (HTML, HEAD, BODY, TBODY) span their content, so
// body() of a page without BODY tag gives the body's markup as outerHTML and innerHTML alike.
// Element handles keep their identity across edits and whole-text parses for as long as the
// element's own markup is untouched.

#include "hostapi/HostEditor.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tlx::host {

class DocState;

class HtmlDocument : public HostDocument {
public:
    // A document over `text` (the page's bytes as stored), at address `locationHref`
    // ("file://..." for a saved page, "unsaved:..." for a page never saved).
    static std::shared_ptr<HtmlDocument> create(std::string text, std::string locationHref);
    ~HtmlDocument() override;

    const std::string& text() const;
    // Replaces the bytes [start, end) of the source by `replacement`: the one way every edit
    // (the source editor's typing included) reaches the text. Raises onafterupdate. False when
    // the range is outside the text.
    bool replaceRange(std::size_t start, std::size_t end, std::string_view replacement);

    void setLocationHref(std::string href);

    // The selection as a source range [start, end); start == end is a caret.
    void setSelection(std::size_t start, std::size_t end);
    std::size_t selectionStart() const;
    std::size_t selectionEnd() const;

    // The source span [start, end) of an element handed out by this document, or nullopt
    // for a detached element or one of another document.
    std::optional<std::pair<std::size_t, std::size_t>> spanOf(const ElementPtr& element) const;
    // The span [start, end) of the element's content (innerHTML), likewise.
    std::optional<std::pair<std::size_t, std::size_t>> innerSpanOf(const ElementPtr& element) const;
    // The innermost element whose span holds `offset` (an OBJECT counting as one piece). An
    // element whose end is not written in the source (an unclosed P, a BODY without tag) also
    // holds the offset at its end.
    ElementPtr elementAt(std::size_t offset) const;

    // Whether the text changed since the last setModified(false) (the page was saved).
    bool isModified() const;
    void setModified(bool modified);

    // HostDocument
    ElementCollection all() const override;
    ElementPtr activeElement() const override;
    ElementPtr body() const override;
    ElementCollection scripts() const override;
    TextRangePtr createRange() override;
    std::string locationHref() const override;
    std::string bgColor() const override;
    Signal<>& onafterupdate() override;
    bool replaceOuterHTML(const std::vector<std::pair<ElementPtr, std::string>>& edits) override;
    void BeginUserAction(std::string_view name) override;
    void EndUserAction() override;

    // ---- for the editor's windows
    // After every edit, before onafterupdate: the bytes [start, start + removed) of the old
    // text were replaced by `inserted` bytes, now at [start, start + inserted).
    Signal<std::size_t, std::size_t, std::size_t>& textChanged();
    // The selection was set through setSelection() or a text range's select().
    Signal<>& selectionChanged();
    // The outermost user action began, with its name, or ended (see BeginUserAction).
    Signal<const std::string&>& userActionStarted();
    Signal<>& userActionEnded();

    // How many times the whole text was parsed so far (a measure for tests and benchmarks).
    std::size_t fullParseCount() const;

private:
    HtmlDocument();
    std::shared_ptr<DocState> state_;
};

} // namespace tlx::host
