#include "host/Application.h"

#include "host/FileUrl.h"
#include "host/HtmlDocument.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <algorithm>
#include <exception>

namespace tlx::host {

namespace fs = std::filesystem;

namespace {

// Raises an event for listeners outside the editor; whatever they throw stays with them.
template <typename SignalT, typename... Args> void raise(SignalT& signal, Args&&... args) {
    try {
        signal.raise(std::forward<Args>(args)...);
    } catch (const std::exception&) {
        LogCurrentException("Application: an event handler");
    }
}

// The absolute, resolved form of a page path, also for a file not written yet (its folder is
// resolved). Empty when the path cannot be resolved.
fs::path resolvedPath(const fs::path& path) {
    std::error_code ec;
    if (path.empty())
        return {};
    fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::path() : resolved;
}

// Whether a page is written in 16- or 32-bit units (UTF-16, UTF-32): by its byte order mark,
// or by a NUL byte among its first two, which no page in an 8-bit encoding begins with. Every
// edit writes 8-bit text, so such a page would be corrupted by the first change.
bool isWideEncoded(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
           bytes.substr(0, 2).find('\0') != std::string_view::npos;
}

} // namespace

std::string newPageText(std::string_view title) {
    std::string text = "<html>\n\n<head>\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
                       "<title>";
    text += title;
    text += "</title>\n</head>\n\n<body>\n\n</body>\n\n</html>\n";
    return text;
}

// ---- PageWindow ---------------------------------------------------------------------------

PageWindow::PageWindow(std::shared_ptr<HtmlDocument> document, fs::path path,
                       std::string untitledName, std::weak_ptr<Application> application)
    : document_(std::move(document)), path_(std::move(path)),
      untitledName_(std::move(untitledName)), application_(std::move(application)) {}

bool PageWindow::SetViewMode(int mode) {
    if (closed_ ||
        (mode != kViewNormal && mode != kViewHtml && mode != kViewPreview && mode != kViewReadOnly))
        return false;
    if (viewMode_ != mode) {
        viewMode_ = mode;
        if (const auto application = application_.lock())
            raise(application->viewModeChanged_, shared_from_this());
    }
    return true;
}

DocumentPtr PageWindow::Document() const {
    return document_;
}

FilePtr PageWindow::File() const {
    const auto application = application_.lock();
    if (!application || path_.empty() || !application->web_->contains(path_))
        return nullptr;
    try {
        return std::make_shared<host::File>(path_, application_);
    } catch (const std::exception&) {
        LogCurrentException("PageWindow::File");
        return nullptr;
    }
}

bool PageWindow::Close(bool saveChanges) {
    const auto application = application_.lock();
    return application && application->closePage(shared_from_this(), saveChanges);
}

bool PageWindow::Save() {
    const auto application = application_.lock();
    return application && application->savePage(shared_from_this());
}

bool PageWindow::saveAs(const fs::path& path) {
    const auto application = application_.lock();
    return application && application->savePageAs(shared_from_this(), path);
}

bool PageWindow::isModified() const {
    return document_ && document_->isModified();
}

std::string PageWindow::displayName() const {
    return path_.empty() ? untitledName_ : path_.filename().string();
}

// ---- Application --------------------------------------------------------------------------

Application::Application() : web_(std::make_shared<Web>()) {
    commandFailed_ = commandBars_.CommandFailed().connect(
        [this](const std::string& note) { SetStatusText(note); });
}

std::shared_ptr<Application> Application::create() {
    return std::shared_ptr<Application>(new Application());
}

DocumentPtr Application::ActiveDocument() const {
    return active_ ? active_->Document() : nullptr;
}

PageWindowPtr Application::ActivePageWindow() const {
    return active_;
}

std::vector<PageWindowPtr> Application::PageWindows() const {
    return std::vector<PageWindowPtr>(windows_.begin(), windows_.end());
}

WebPtr Application::ActiveWeb() const {
    return web_;
}

bool Application::openWeb(const fs::path& folder) {
    try {
        std::error_code ec;
        const fs::path root = fs::canonical(fs::absolute(folder, ec), ec);
        if (ec || !fs::is_directory(root, ec)) {
            lastError_ = "\"" + folder.string() + "\" is not a folder.";
            return false;
        }
        web_ = std::make_shared<Web>(root, weak_from_this());
        raise(webChanged_);
        return true;
    } catch (const std::exception&) {
        LogCurrentException("Application::openWeb");
        return false;
    }
}

void Application::closeWeb() {
    if (!web_->isOpen())
        return;
    web_ = std::make_shared<Web>();
    raise(webChanged_);
}

bool Application::owns(const PageWindowHandle& window) const {
    return window && !window->closed_ &&
           std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

void Application::makeActive(const PageWindowHandle& window, bool announce) {
    if (active_ == window)
        return;
    previous_ = active_;
    active_ = window;
    raise(activeWindowChanged_, window);
    if (announce && window && foreground_)
        raise(windowActivate_, PageWindowPtr(window));
}

PageWindowHandle Application::findPageWindow(const fs::path& file) const {
    const fs::path wanted = resolvedPath(file);
    if (wanted.empty())
        return nullptr;
    for (const auto& window : windows_)
        if (!window->path_.empty() && window->path_ == wanted)
            return window;
    return nullptr;
}

PageWindowHandle Application::openPage(const fs::path& file) {
    try {
        const fs::path path = resolvedPath(file);
        if (path.empty()) {
            lastError_ = "\"" + file.string() + "\" cannot be found.";
            return nullptr;
        }
        if (auto open = findPageWindow(path)) {
            makeActive(open, true);
            return open;
        }
        auto bytes = ReadFileBytes(path);
        if (!bytes) {
            lastError_ = "\"" + path.string() + "\" cannot be read.";
            return nullptr;
        }
        if (isWideEncoded(*bytes)) {
            lastError_ = "\"" + path.filename().string() +
                         "\" is written in UTF-16 or UTF-32, which the editor does not edit: "
                         "save it as UTF-8 in another editor, then open it here.";
            return nullptr;
        }
        auto document = HtmlDocument::create(std::move(*bytes), fileUrlFromPath(path));
        if (!document)
            return nullptr;
        document->setModified(false);
        auto window = std::make_shared<PageWindow>(std::move(document), path, std::string(),
                                                   weak_from_this());
        windows_.push_back(window);
        raise(pageWindowsChanged_);
        makeActive(window, false);
        raise(onPageOpen_, PageWindowPtr(window));
        return window;
    } catch (const std::exception&) {
        LogCurrentException("Application::openPage");
        lastError_ = "\"" + file.string() + "\" cannot be opened.";
        return nullptr;
    }
}

PageWindowHandle Application::newPage() {
    try {
        const std::string title = "Untitled " + std::to_string(++untitledCount_);
        const std::string name = title + ".htm";
        std::string text = newPageText(title);
        // The caret goes on the empty line inside the body.
        const std::size_t caret = text.find("<body>\n") + std::string_view("<body>\n").size();
        auto document = HtmlDocument::create(std::move(text), "unsaved:///" + name);
        if (!document)
            return nullptr;
        document->setSelection(caret, caret);
        document->setModified(false);
        auto window =
            std::make_shared<PageWindow>(std::move(document), fs::path(), name, weak_from_this());
        windows_.push_back(window);
        raise(pageWindowsChanged_);
        makeActive(window, false);
        raise(onPageNew_, PageWindowPtr(window));
        return window;
    } catch (const std::exception&) {
        LogCurrentException("Application::newPage");
        return nullptr;
    }
}

bool Application::setActivePageWindow(const PageWindowHandle& window) {
    if (!owns(window))
        return false;
    makeActive(window, true);
    return true;
}

bool Application::writePage(const PageWindowHandle& window, const fs::path& file, bool saveAsUI) {
    bool cancel = false;
    raise(onBeforePageSave_, PageWindowPtr(window), saveAsUI, cancel);
    if (cancel) {
        lastError_ = "The save was cancelled.";
        return false;
    }
    // A handler may have closed the window meanwhile.
    if (!owns(window)) {
        lastError_ = "The page was closed.";
        return false;
    }
    if (const Result<> written = WriteFileAtomically(file, window->document_->text()); !written) {
        lastError_ = "\"" + file.string() + "\" could not be saved (" + written.error() + ").";
        return false;
    }
    return true;
}

bool Application::savePage(const PageWindowHandle& window) {
    try {
        if (!owns(window))
            return false;
        if (window->path_.empty()) {
            lastError_ = "The page has never been saved; it needs a file name.";
            return false;
        }
        if (!writePage(window, window->path_, false))
            return false;
        window->document_->setModified(false);
        raise(pageSaved_, window);
        return true;
    } catch (const std::exception&) {
        LogCurrentException("Application::savePage");
        return false;
    }
}

bool Application::savePageAs(const PageWindowHandle& window, const fs::path& file) {
    try {
        if (!owns(window))
            return false;
        const fs::path path = resolvedPath(file);
        std::error_code ec;
        if (path.empty() || !isPlainName(path.filename().string()) ||
            !fs::is_directory(path.parent_path(), ec)) {
            lastError_ = "\"" + file.string() + "\" is not a place a page can be saved to.";
            return false;
        }
        const auto other = findPageWindow(path);
        if (other && other != window) {
            lastError_ = "\"" + path.string() + "\" is open in another window.";
            return false;
        }
        if (!writePage(window, path, true))
            return false;
        window->path_ = path;
        window->document_->setLocationHref(fileUrlFromPath(path));
        window->document_->setModified(false);
        raise(pageSaved_, window);
        return true;
    } catch (const std::exception&) {
        LogCurrentException("Application::savePageAs");
        return false;
    }
}

bool Application::closePage(const PageWindowHandle& window, bool saveChanges) {
    try {
        if (!owns(window))
            return false;
        if (saveChanges && window->isModified() && !savePage(window))
            return false;
        bool cancel = false;
        raise(onPageClose_, PageWindowPtr(window), cancel);
        if (cancel || !owns(window))
            return !cancel;
        const auto it = std::find(windows_.begin(), windows_.end(), window);
        const auto index = static_cast<std::size_t>(it - windows_.begin());
        windows_.erase(it);
        window->closed_ = true;
        raise(pageWindowsChanged_);
        if (active_ == window) {
            // The page that was in front before it comes back (a page opened for a moment and
            // closed again leaves the user where they were); else the neighbour takes its
            // place, as with tabs.
            const PageWindowHandle previous = previous_.lock();
            if (previous && owns(previous))
                makeActive(previous, true);
            else
                makeActive(windows_.empty() ? nullptr
                                            : windows_[std::min(index, windows_.size() - 1)],
                           true);
        }
        return true;
    } catch (const std::exception&) {
        LogCurrentException("Application::closePage");
        return false;
    }
}

void Application::SetStatusText(std::string_view text) {
    statusText_ = std::string(text);
    raise(statusTextChanged_, statusText_);
}

void Application::activate() {
    foreground_ = true;
    raise(windowActivate_, PageWindowPtr(active_));
}

void Application::deactivate() {
    foreground_ = false;
    raise(windowDeactivate_, PageWindowPtr(active_));
}

void Application::setHyperlinkAction(std::function<bool()> action) {
    if (const auto control = commandBars_.findControl("Insert", "Hyperlink..."))
        control->setAction(std::move(action));
}

void Application::setLinkChooser(std::function<std::optional<std::string>()> chooser) {
    linkChooser_ = std::move(chooser);
}

std::optional<std::string> Application::ChooseHyperlink() {
    try {
        return linkChooser_ ? linkChooser_() : std::nullopt;
    } catch (const std::exception&) {
        LogCurrentException("Application::ChooseHyperlink");
        return std::string();
    }
}

void Application::setCopyAction(std::function<bool()> action) {
    if (const auto control = commandBars_.findControl("Edit", "Copy"))
        control->setAction(std::move(action));
}

} // namespace tlx::host
