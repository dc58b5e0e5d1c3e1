#pragma once
// The page editor without its windows: the open web, the page windows and the active one,
// saving and closing pages, the command bars, and the events the add-in listens to. The
// editor's windows drive it through the host-side calls below and follow it through its
// host-side signals.
//
// Nothing here throws. An exception thrown by an event handler is caught where the event is
// raised; the operation that raised it goes on.

#include "host/CommandBars.h"
#include "host/Web.h"
#include "hostapi/HostEditor.h"
#include "hostapi/Signal.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tlx::host {

class Application;
class HtmlDocument;

// View modes of a page window.
enum ViewModeCode : int {
    kViewNormal = 0,   // source and rendering side by side
    kViewHtml = 1,     // source only
    kViewPreview = 2,  // rendering only, read-only
    kViewReadOnly = 8, // a view that cannot be edited
};

class PageWindow : public HostPageWindow, public std::enable_shared_from_this<PageWindow> {
public:
    PageWindow(std::shared_ptr<HtmlDocument> document, std::filesystem::path path,
               std::string untitledName, std::weak_ptr<Application> application);

    int ViewMode() const override { return viewMode_; }
    // 0, 1, 2 or 8.
    bool SetViewMode(int mode) override;
    DocumentPtr Document() const override;
    // The page's file when the page is saved inside the open web; nullptr otherwise.
    FilePtr File() const override;
    bool Close(bool saveChanges) override;
    bool Save() override;

    // ---- host side
    const std::shared_ptr<HtmlDocument>& document() const { return document_; }
    // The page's file on disk; empty for a page never saved.
    const std::filesystem::path& path() const { return path_; }
    bool isUntitled() const { return path_.empty(); }
    bool isClosed() const { return closed_; }
    bool isModified() const;
    // The name shown in the window's tab: the file name, or "Untitled 1.htm" for a new page.
    std::string displayName() const;
    bool saveAs(const std::filesystem::path& path);

private:
    friend class Application;
    std::shared_ptr<HtmlDocument> document_;
    std::filesystem::path path_;
    std::string untitledName_;
    std::weak_ptr<Application> application_;
    int viewMode_ = kViewNormal;
    bool closed_ = false;
};

using PageWindowHandle = std::shared_ptr<PageWindow>;

class Application : public HostApplication, public std::enable_shared_from_this<Application> {
public:
    // Made only as a shared object: webs, files and page windows refer back to it.
    static std::shared_ptr<Application> create();

    // ---- HostApplication
    DocumentPtr ActiveDocument() const override;
    PageWindowPtr ActivePageWindow() const override;
    std::vector<PageWindowPtr> PageWindows() const override;
    WebPtr ActiveWeb() const override;
    HostCommandBars& CommandBars() override { return commandBars_; }
    std::optional<std::string> ChooseHyperlink() override;
    Signal<const PageWindowPtr&, bool, bool&>& OnBeforePageSave() override {
        return onBeforePageSave_;
    }
    Signal<const PageWindowPtr&, bool&>& OnPageClose() override { return onPageClose_; }
    Signal<const PageWindowPtr&>& OnPageNew() override { return onPageNew_; }
    Signal<const PageWindowPtr&>& OnPageOpen() override { return onPageOpen_; }
    Signal<const PageWindowPtr&>& WindowActivate() override { return windowActivate_; }
    Signal<const PageWindowPtr&>& WindowDeactivate() override { return windowDeactivate_; }
    // Kept and announced through statusTextChanged(); the editor's window shows it.
    void SetStatusText(std::string_view text) override;

    // ---- webs
    // Opens the folder `folder` as the web (replacing the one open); false when it is not a
    // folder. Page windows stay open.
    bool openWeb(const std::filesystem::path& folder);
    void closeWeb();
    std::shared_ptr<Web> web() const { return web_; }

    // ---- page windows
    // Opens the page file as a page window and makes it active; raises OnPageOpen. A file that
    // is open already only has its window made active. nullptr when it cannot be read.
    PageWindowHandle openPage(const std::filesystem::path& file);
    // A new page never saved ("unsaved:///Untitled 1.htm", ...), made active; raises OnPageNew.
    PageWindowHandle newPage();
    const std::vector<PageWindowHandle>& pageWindows() const { return windows_; }
    PageWindowHandle activePageWindow() const { return active_; }
    // Makes an open window the active one. When the program is in the foreground this also
    // raises WindowActivate, so listeners follow the page in front.
    bool setActivePageWindow(const PageWindowHandle& window);
    // The window showing the file `file`, nullptr when none does.
    PageWindowHandle findPageWindow(const std::filesystem::path& file) const;

    // Raises OnBeforePageSave(window, false, cancel); unless cancelled, writes the page's text
    // to its file atomically. False for a page never saved (use savePageAs), when cancelled or
    // when writing failed (the file then keeps its old bytes; lastError() says why).
    bool savePage(const PageWindowHandle& window);
    // Like savePage with SaveAsUI true, to `file`; the page then has that address.
    bool savePageAs(const PageWindowHandle& window, const std::filesystem::path& file);
    // With `saveChanges`, saves a changed page first and stays open when that fails. Then
    // raises OnPageClose(window, cancel); unless cancelled the window closes and its unsaved
    // changes are dropped.
    bool closePage(const PageWindowHandle& window, bool saveChanges);

    // The program gains or loses the foreground: WindowActivate / WindowDeactivate.
    void activate();
    void deactivate();
    bool isActive() const { return foreground_; }

    // What the last failed save or open was about, for the user.
    const std::string& lastError() const { return lastError_; }

    // ---- command bars
    host::CommandBars& commandBars() { return commandBars_; }
    // The editor's actions behind Insert > "Hyperlink..." and Edit > "Copy".
    void setHyperlinkAction(std::function<bool()> action);
    void setCopyAction(std::function<bool()> action);
    // The editor's hyperlink dialog run for an address only (ChooseHyperlink): the address
    // chosen, the empty text when cancelled.
    void setLinkChooser(std::function<std::optional<std::string>()> chooser);

    // ---- host-side signals for the editor's windows
    Signal<>& pageWindowsChanged() { return pageWindowsChanged_; }
    Signal<const PageWindowHandle&>& activeWindowChanged() { return activeWindowChanged_; }
    Signal<const PageWindowHandle&>& pageSaved() { return pageSaved_; }
    Signal<const PageWindowHandle&>& viewModeChanged() { return viewModeChanged_; }
    Signal<>& webChanged() { return webChanged_; }
    Signal<const std::string&>& statusTextChanged() { return statusTextChanged_; }
    // The last note given through SetStatusText.
    const std::string& statusText() const { return statusText_; }
    Signal<const CommandBarsChange&>& commandBarsChanged() { return commandBars_.Changed(); }

private:
    friend class PageWindow;
    Application();
    bool owns(const PageWindowHandle& window) const;
    void makeActive(const PageWindowHandle& window, bool announce);
    bool writePage(const PageWindowHandle& window, const std::filesystem::path& file,
                   bool saveAsUI);

    host::CommandBars commandBars_;
    std::shared_ptr<Web> web_;
    std::vector<PageWindowHandle> windows_;
    PageWindowHandle active_;
    std::weak_ptr<PageWindow> previous_; // the window active before active_
    std::function<std::optional<std::string>()> linkChooser_;
    int untitledCount_ = 0;
    bool foreground_ = false;
    std::string lastError_;
    std::string statusText_;

    Signal<const PageWindowPtr&, bool, bool&> onBeforePageSave_;
    Signal<const PageWindowPtr&, bool&> onPageClose_;
    Signal<const PageWindowPtr&> onPageNew_;
    Signal<const PageWindowPtr&> onPageOpen_;
    Signal<const PageWindowPtr&> windowActivate_;
    Signal<const PageWindowPtr&> windowDeactivate_;
    Signal<> pageWindowsChanged_;
    Signal<const PageWindowHandle&> activeWindowChanged_;
    Signal<const PageWindowHandle&> pageSaved_;
    Signal<const PageWindowHandle&> viewModeChanged_;
    Signal<> webChanged_;
    Signal<const std::string&> statusTextChanged_;
    // A command bar control whose command failed says so in the status bar.
    Subscription commandFailed_;
};

// The text of a new page.
std::string newPageText(std::string_view title);

} // namespace tlx::host
