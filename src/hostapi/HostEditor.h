#pragma once
// The add-in's only way into the page editor that hosts it.
//
// The host hands out handles (application, page windows, documents, elements, text ranges,
// webs, folders, files, command bars and their controls). Handles are shared pointers to the
// interfaces below; an absent handle is nullptr and callers test for it. Every operation may
// fail: reads then give the empty text (or nullptr), writes and actions return false and leave
// their target unchanged. Nothing here throws.
//
// Texts are byte strings: page text keeps the page's own encoding, and attribute values are
// returned with character references decoded.

#include "hostapi/Signal.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tlx {

class HostElement;
class HostTextRange;
class HostDocument;
class HostPageWindow;
class HostWeb;
class HostFolder;
class HostFile;
class HostCommandBars;
class HostCommandBar;
class HostControls;
class HostControl;
class HostApplication;

using ElementPtr = std::shared_ptr<HostElement>;
using TextRangePtr = std::shared_ptr<HostTextRange>;
using DocumentPtr = std::shared_ptr<HostDocument>;
using PageWindowPtr = std::shared_ptr<HostPageWindow>;
using WebPtr = std::shared_ptr<HostWeb>;
using FolderPtr = std::shared_ptr<HostFolder>;
using FilePtr = std::shared_ptr<HostFile>;
using CommandBarPtr = std::shared_ptr<HostCommandBar>;
using ControlsPtr = std::shared_ptr<HostControls>;
using ControlPtr = std::shared_ptr<HostControl>;
using ApplicationPtr = std::shared_ptr<HostApplication>;

// A snapshot of elements in source order (the document's `all`, an element's `All`).
class ElementCollection {
public:
    ElementCollection() = default;
    explicit ElementCollection(std::vector<ElementPtr> elements) : elements_(std::move(elements)) {}

    // The elements whose tag name is `tagName`, letter case ignored (`all.tags(name)`).
    ElementCollection tags(std::string_view tagName) const;
    // The first element whose id is exactly `id`, or nullptr (`all.item(id)`).
    ElementPtr item(std::string_view id) const;
    // The element at `index`, or nullptr past the end.
    ElementPtr item(std::size_t index) const;

    std::size_t size() const { return elements_.size(); }
    bool empty() const { return elements_.empty(); }
    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }
    const std::vector<ElementPtr>& elements() const { return elements_; }

private:
    std::vector<ElementPtr> elements_;
};

enum class AdjacentPosition { BeforeBegin, AfterBegin, BeforeEnd, AfterEnd };

class HostElement {
public:
    virtual ~HostElement() = default;

    // False once the element's markup was replaced or removed by an edit.
    virtual bool isAttached() const = 0;
    virtual std::string id() const = 0;
    // Upper case, as the editor reports it ("OBJECT").
    virtual std::string tagName() const = 0;
    // The element's exact source, start tag to the end of its end tag (the start tag alone for
    // void elements).
    virtual std::string outerHTML() const = 0;
    // Replaces the element by `html`; the empty text removes it. This handle is detached
    // afterwards, the new elements are found through the document.
    virtual bool setOuterHTML(std::string_view html) = 0;
    // The source between the start tag and the end tag.
    virtual std::string innerHTML() const = 0;
    // Attribute value by name, letter case of the name ignored; empty when absent.
    virtual std::string getAttribute(std::string_view name) const = 0;
    virtual bool hasAttribute(std::string_view name) const = 0;
    // Sets or adds an attribute in the start tag (used for event handler texts).
    virtual bool setAttribute(std::string_view name, std::string_view value) = 0;
    // Every descendant element in source order (`All`).
    virtual ElementCollection all() const = 0;
    virtual ElementPtr parentElement() const = 0;
    virtual bool insertAdjacentHTML(AdjacentPosition where, std::string_view html) = 0;

    // Conveniences over getAttribute for the attributes the add-in reads.
    std::string name() const { return getAttribute("name"); }
    std::string value() const { return getAttribute("value"); }
    std::string codeBase() const { return getAttribute("codebase"); }
    std::string width() const { return getAttribute("width"); }
    std::string height() const { return getAttribute("height"); }
};

// A range of the page source (the selection, or a range moved over an element).
class HostTextRange {
public:
    virtual ~HostTextRange() = default;
    // The range covers the element's whole markup afterwards.
    virtual bool moveToElementText(const ElementPtr& element) = 0;
    // Makes the range the document's selection.
    virtual bool select() = 0;
    // Replaces the range by `html` (the empty text removes the range's content); the range
    // then covers the pasted text. Markup pasted at a caret goes where a browser shows it as
    // part of the body (out of a comment, script, SVG, SELECT or the like around the caret);
    // false, and nothing changed, when the page has no such place or a selection lies where
    // the markup would not be shown.
    virtual bool pasteHTML(std::string_view html) = 0;
    // The source the range covers.
    virtual std::string htmlText() const = 0;
};

class HostDocument {
public:
    virtual ~HostDocument() = default;
    virtual ElementCollection all() const = 0;
    // The element the selection exactly covers, else the innermost element holding the caret;
    // an OBJECT counts as one piece. nullptr when there is none.
    virtual ElementPtr activeElement() const = 0;
    virtual ElementPtr body() const = 0;
    // The page's SCRIPT elements (`scripts`).
    virtual ElementCollection scripts() const = 0;
    // A text range over the current selection (`selection.createRange()`).
    virtual TextRangePtr createRange() = 0;
    // "file://..." for a saved page; a page never saved has an address beginning "unsaved".
    virtual std::string locationHref() const = 0;
    // The body's background colour attribute, empty when none.
    virtual std::string bgColor() const = 0;
    // Raised after every change of the document (`onafterupdate`).
    virtual Signal<>& onafterupdate() = 0;
    // Sets the outerHTML of several elements of this document in one edit, as if each were
    // set in turn: the text is rewritten in one pass whatever the number of elements. False,
    // with nothing changed, when an element is not attached to this document or two of them
    // overlap.
    virtual bool replaceOuterHTML(const std::vector<std::pair<ElementPtr, std::string>>& edits) = 0;
    // What changes between BeginUserAction and its EndUserAction is one step of the editor's
    // undo history, named `name` ("Insert Flash Button"); pairs inside an open pair belong to
    // the outer one. An editor without an undo history ignores both.
    virtual void BeginUserAction(std::string_view name) { (void)name; }
    virtual void EndUserAction() {}
};

class HostFile {
public:
    virtual ~HostFile() = default;
    virtual std::string Name() const = 0;
    virtual std::string Url() const = 0;
    virtual bool Delete() = 0;
    // Opens the file as a page in the editor; the caller polls IsOpen().
    virtual bool Open() = 0;
    virtual bool IsOpen() const = 0;
};

class HostFolder {
public:
    virtual ~HostFolder() = default;
    // The folder's address ("file:///..." without a trailing separator).
    virtual std::string Url() const = 0;
    // The folder on disk.
    virtual std::string LocalPath() const = 0;
    // A subfolder by name (`Folders(name)`), nullptr when there is none.
    virtual FolderPtr Folders(std::string_view name) const = 0;
    // A file by name (`Files(name)`), nullptr when there is none.
    virtual FilePtr Files(std::string_view name) const = 0;
    // Copies a local file into this folder (`Files.Add`), replacing one of the same name when
    // `overwrite` is true. nullptr on failure.
    virtual FilePtr AddFile(const std::string& localPath, bool overwrite) = 0;
};

class HostWeb {
public:
    virtual ~HostWeb() = default;
    // The web's address, empty when no web is open.
    virtual std::string Url() const = 0;
    virtual FolderPtr RootFolder() const = 0;
};

class HostPageWindow {
public:
    virtual ~HostPageWindow() = default;
    // 0 normal, 1 HTML source, 2 preview; 8 a view that cannot be edited.
    virtual int ViewMode() const = 0;
    virtual bool SetViewMode(int mode) = 0;
    virtual DocumentPtr Document() const = 0;
    // The page's file in its web; nullptr for a page never saved.
    virtual FilePtr File() const = 0;
    // Closes the window; with `saveChanges` false whatever was not saved is dropped.
    virtual bool Close(bool saveChanges) = 0;
    virtual bool Save() = 0;
};

enum class ControlType { Button = 1, Popup = 10 };

class HostControl {
public:
    virtual ~HostControl() = default;
    virtual ControlType Type() const = 0;
    virtual bool BeginGroup() const = 0;
    virtual bool SetBeginGroup(bool value) = 0;
    virtual std::string Caption() const = 0;
    virtual bool SetCaption(std::string_view caption) = 0;
    virtual bool Visible() const = 0;
    virtual bool SetVisible(bool value) = 0;
    virtual int Style() const = 0;
    virtual bool SetStyle(int style) = 0;
    virtual int FaceId() const = 0;
    virtual bool SetFaceId(int faceId) = 0;
    virtual bool Delete() = 0;
    virtual bool Execute() = 0;
    // The controls of a popup; nullptr for a button.
    virtual ControlsPtr Controls() const = 0;
    // Raised when a button is clicked; a handler may set the flag to cancel the default action.
    virtual Signal<HostControl&, bool&>& Click() = 0;
};

class HostControls {
public:
    virtual ~HostControls() = default;
    // The control with this caption, nullptr when absent.
    virtual ControlPtr Item(std::string_view caption) const = 0;
    // The control at a 1-based index, nullptr when absent.
    virtual ControlPtr Item(int index) const = 0;
    // A new control; `before` is the 1-based place it takes (none: at the end).
    virtual ControlPtr Add(ControlType type, std::optional<int> before, bool temporary) = 0;
    virtual int Count() const = 0;
};

class HostCommandBar {
public:
    virtual ~HostCommandBar() = default;
    virtual std::string Name() const = 0;
    virtual ControlsPtr Controls() const = 0;
    virtual bool Visible() const = 0;
    virtual bool SetVisible(bool value) = 0;
    virtual bool Delete() = 0;
    // Position: 0 left, 1 top, 2 right, 3 bottom, 4 floating (docking codes of command bars).
    virtual int Position() const = 0;
    virtual bool SetPosition(int value) = 0;
    virtual int Left() const = 0;
    virtual bool SetLeft(int value) = 0;
    virtual int Top() const = 0;
    virtual bool SetTop(int value) = 0;
    virtual int RowIndex() const = 0;
    virtual bool SetRowIndex(int value) = 0;
};

class HostCommandBars {
public:
    virtual ~HostCommandBars() = default;
    // The bar with this name, nullptr when absent.
    virtual CommandBarPtr Item(std::string_view name) const = 0;
    virtual CommandBarPtr Add(std::string_view name, int position, bool menuBar,
                              bool temporary) = 0;
};

class HostApplication {
public:
    virtual ~HostApplication() = default;
    virtual DocumentPtr ActiveDocument() const = 0;
    virtual PageWindowPtr ActivePageWindow() const = 0;
    // Every page window open, in the order they were opened (none from a host that does not
    // say).
    virtual std::vector<PageWindowPtr> PageWindows() const { return {}; }
    // Never nullptr; a web whose Url() is empty when none is open.
    virtual WebPtr ActiveWeb() const = 0;
    virtual HostCommandBars& CommandBars() = 0;
    // Shows the editor's own hyperlink dialog (as its Insert > "Hyperlink..." command does)
    // without touching any page, and gives the address chosen there: the empty text when the
    // user cancelled. nullopt when the editor has no such dialog of its own to offer.
    virtual std::optional<std::string> ChooseHyperlink() { return std::nullopt; }

    // Raised before every save (also Save As and saving on close); `cancel` is left as is.
    virtual Signal<const PageWindowPtr&, bool, bool&>& OnBeforePageSave() = 0;
    virtual Signal<const PageWindowPtr&, bool&>& OnPageClose() = 0;
    virtual Signal<const PageWindowPtr&>& OnPageNew() = 0;
    virtual Signal<const PageWindowPtr&>& OnPageOpen() = 0;
    // The program gaining and losing the foreground.
    virtual Signal<const PageWindowPtr&>& WindowActivate() = 0;
    virtual Signal<const PageWindowPtr&>& WindowDeactivate() = 0;

    // Shows a short note in the editor's status bar: what a command came to where no message
    // box says it (a check without news, an address that could not be opened). A host
    // without a status bar shows nothing.
    virtual void SetStatusText(std::string_view /*text*/) {}
};

// The facade the add-in holds for the whole connection.
class HostEditor {
public:
    explicit HostEditor(ApplicationPtr application) : application_(std::move(application)) {}

    HostApplication* Application() const { return application_.get(); }
    // The page the add-in works on: the application's active page, or the page bound with
    // BindPageWindow while a binding lasts (whichever page the editor brings in front).
    DocumentPtr ActiveDocument() const;
    PageWindowPtr ActivePageWindow() const;
    WebPtr ActiveWeb() const;
    // True when a page window is active and its view mode is neither 2 nor 8.
    bool IsEditableView() const;
    // The host's status bar says `text`; nothing happens without a host.
    void SetStatusText(std::string_view text) const;

    // Binds the add-in to `window` (nullptr: back to the application's active page); gives
    // the binding it replaces.
    PageWindowPtr BindPageWindow(PageWindowPtr window) {
        return std::exchange(bound_, std::move(window));
    }

private:
    ApplicationPtr application_;
    PageWindowPtr bound_;
};

// ---- inline definitions -------------------------------------------------------------------

inline ElementCollection ElementCollection::tags(std::string_view tagName) const {
    std::vector<ElementPtr> matching;
    for (const auto& element : elements_) {
        const std::string tag = element->tagName();
        if (tag.size() == tagName.size() &&
            std::equal(tag.begin(), tag.end(), tagName.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) ==
                       std::toupper(static_cast<unsigned char>(b));
            }))
            matching.push_back(element);
    }
    return ElementCollection(std::move(matching));
}

inline ElementPtr ElementCollection::item(std::string_view id) const {
    for (const auto& element : elements_)
        if (element->id() == id)
            return element;
    return nullptr;
}

inline ElementPtr ElementCollection::item(std::size_t index) const {
    return index < elements_.size() ? elements_[index] : nullptr;
}

inline DocumentPtr HostEditor::ActiveDocument() const {
    if (bound_)
        return bound_->Document();
    return application_ ? application_->ActiveDocument() : nullptr;
}

inline PageWindowPtr HostEditor::ActivePageWindow() const {
    if (bound_)
        return bound_;
    return application_ ? application_->ActivePageWindow() : nullptr;
}

inline WebPtr HostEditor::ActiveWeb() const {
    return application_ ? application_->ActiveWeb() : nullptr;
}

inline void HostEditor::SetStatusText(std::string_view text) const {
    if (application_)
        application_->SetStatusText(text);
}

inline bool HostEditor::IsEditableView() const {
    const auto window = ActivePageWindow();
    if (!window)
        return false;
    const int mode = window->ViewMode();
    return mode != 2 && mode != 8;
}

} // namespace tlx
