#include "HostAppTestSupport.h"
#include "host/Application.h"
#include "host/FileUrl.h"
#include "host/HtmlDocument.h"

#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace tlx::host {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string kPage = "<html><body><p>Hello</p></body></html>";

std::shared_ptr<HtmlDocument> documentOf(const PageWindowPtr& window) {
    return std::dynamic_pointer_cast<HtmlDocument>(window->Document());
}

// Appends to the page's text, as typing would.
void edit(const PageWindowPtr& window, std::string_view text) {
    const auto document = documentOf(window);
    const std::size_t end = document->text().size();
    ASSERT_TRUE(document->replaceRange(end, end, text));
}

// Records the add-in's events in the order they come.
struct EventLog {
    explicit EventLog(Application& app) {
        subscriptions.push_back(app.OnBeforePageSave().connect(
            [this](const PageWindowPtr& w, bool saveAsUI, bool& cancel) {
                events.push_back(saveAsUI ? "BeforePageSave(as)" : "BeforePageSave");
                windows.push_back(w);
                cancel = cancelSave;
            }));
        subscriptions.push_back(app.OnPageClose().connect([this](const PageWindowPtr& w, bool& c) {
            events.push_back("PageClose");
            windows.push_back(w);
            c = cancelClose;
        }));
        subscriptions.push_back(app.OnPageNew().connect([this](const PageWindowPtr& w) {
            events.push_back("PageNew");
            windows.push_back(w);
        }));
        subscriptions.push_back(app.OnPageOpen().connect([this, &app](const PageWindowPtr& w) {
            events.push_back("PageOpen");
            windows.push_back(w);
            // Listeners bind to the active document when a page opens: it is the new one.
            openedWasActive = app.ActiveDocument() == w->Document();
        }));
        subscriptions.push_back(app.WindowActivate().connect([this](const PageWindowPtr& w) {
            events.push_back("Activate");
            windows.push_back(w);
        }));
        subscriptions.push_back(app.WindowDeactivate().connect([this](const PageWindowPtr& w) {
            events.push_back("Deactivate");
            windows.push_back(w);
        }));
    }
    std::vector<std::string> events;
    std::vector<PageWindowPtr> windows;
    bool cancelSave = false;
    bool cancelClose = false;
    bool openedWasActive = false;
    std::vector<Subscription> subscriptions;
};

class HostPages : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.path() / "my web";
        page = root / "sub" / "dir" / "page.htm";
        writeFile(page, kPage);
        ASSERT_TRUE(app->openWeb(root));
    }
    TempDir dir;
    fs::path root;
    fs::path page;
    std::shared_ptr<Application> app = Application::create();
    EventLog log{*app};
};

TEST_F(HostPages, OpenedPageIsActiveAndAddressedBelowItsWeb) {
    EXPECT_EQ(app->ActiveDocument(), nullptr);
    const auto window = app->openPage(page);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(log.events, std::vector<std::string>{"PageOpen"});
    EXPECT_TRUE(log.openedWasActive);
    EXPECT_EQ(app->ActivePageWindow(), window);
    EXPECT_EQ(documentOf(window)->text(), kPage);
    EXPECT_FALSE(window->isModified());

    // The relations the add-in uses to find the page's folder in the web.
    const std::string href = window->Document()->locationHref();
    const auto rootFolder = app->ActiveWeb()->RootFolder();
    EXPECT_EQ(rootFolder->Url() + "/" + "sub/dir/page.htm", href);
    EXPECT_EQ(rootFolder->Folders("sub")->Folders("dir")->Url() + "/" + window->File()->Name(),
              href);

    // Opening it again only brings its window to the front.
    app->newPage();
    EXPECT_EQ(app->openPage(root / "sub" / ".." / "sub" / "dir" / "page.htm"), window);
    EXPECT_EQ(app->ActivePageWindow(), window);
    EXPECT_EQ(app->pageWindows().size(), 2u);
    EXPECT_EQ(log.events, (std::vector<std::string>{"PageOpen", "PageNew"}));

    EXPECT_EQ(app->openPage(root / "missing.htm"), nullptr);
    EXPECT_EQ(app->openPage(root / "sub"), nullptr);
    EXPECT_FALSE(app->lastError().empty());
    EXPECT_EQ(app->pageWindows().size(), 2u);

    // Pages in 16- or 32-bit units would be corrupted by the first edit: not opened, and said why.
    const std::string wide[] = {std::string("\xFF\xFE<\0h\0", 6), std::string("\xFE\xFF\0<", 4),
                                std::string("<\0h\0t\0", 6), std::string("\0\0\0<", 4)};
    for (const std::string& bytes : wide) {
        writeFile(root / "wide.htm", bytes);
        EXPECT_EQ(app->openPage(root / "wide.htm"), nullptr);
        EXPECT_NE(app->lastError().find("\"wide.htm\" is written in UTF-16"), std::string::npos);
        EXPECT_EQ(readFile(root / "wide.htm"), bytes);
    }
    EXPECT_EQ(app->pageWindows().size(), 2u);
}

TEST_F(HostPages, NewPagesAreUnsavedUntilSavedAs) {
    const auto first = app->newPage();
    const auto second = app->newPage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Document()->locationHref(), "unsaved:///Untitled 1.htm");
    EXPECT_EQ(second->Document()->locationHref(), "unsaved:///Untitled 2.htm");
    EXPECT_EQ(second->displayName(), "Untitled 2.htm");
    EXPECT_EQ(first->File(), nullptr);
    EXPECT_NE(documentOf(first)->text().find("<body>"), std::string::npos);
    EXPECT_EQ(log.events, (std::vector<std::string>{"PageNew", "PageNew"}));
    EXPECT_EQ(log.windows[0], first);

    // Without a file name a plain save cannot happen.
    EXPECT_FALSE(first->Save());
    EXPECT_EQ(log.events.size(), 2u);

    const fs::path target = root / "sub" / "new page.htm";
    ASSERT_TRUE(first->saveAs(target));
    EXPECT_EQ(log.events.back(), "BeforePageSave(as)");
    EXPECT_EQ(readFile(target), documentOf(first)->text());
    EXPECT_EQ(first->Document()->locationHref(), app->ActiveWeb()->Url() + "/sub/new%20page.htm");
    ASSERT_NE(first->File(), nullptr);
    EXPECT_EQ(first->File()->Name(), "new page.htm");
    EXPECT_TRUE(first->File()->IsOpen());

    // Another window may not take over a file that is open.
    EXPECT_FALSE(second->saveAs(target));
    EXPECT_FALSE(second->saveAs(root / "no such folder" / "x.htm"));
}

TEST_F(HostPages, SaveRaisesTheEventBeforeWritingWhatHandlersChanged) {
    const auto window = app->openPage(page);
    edit(window, "<!-- typed -->");
    EXPECT_TRUE(window->isModified());
    std::string onDiskDuringEvent;
    auto fixer = app->OnBeforePageSave().connect([&](const PageWindowPtr& w, bool, bool&) {
        onDiskDuringEvent = readFile(page);
        // A listener may rewrite the page before it is written, as a save-time check does.
        edit(w, "<!-- fixed -->");
    });
    int saved = 0;
    auto savedSignal = app->pageSaved().connect([&](const PageWindowHandle&) { ++saved; });

    ASSERT_TRUE(window->Save());
    EXPECT_EQ(onDiskDuringEvent, kPage);
    EXPECT_EQ(readFile(page), kPage + "<!-- typed --><!-- fixed -->");
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(log.events, (std::vector<std::string>{"PageOpen", "BeforePageSave"}));
    EXPECT_EQ(log.windows.back(), window);
}

TEST_F(HostPages, ElementEditsThroughTheFacadeAreSaved) {
    const auto window = app->openPage(page);
    auto rewrite = app->OnBeforePageSave().connect([](const PageWindowPtr& w, bool, bool&) {
        const auto paragraph = w->Document()->all().tags("p").item(std::size_t{0});
        ASSERT_NE(paragraph, nullptr);
        paragraph->setOuterHTML("<P>Rewritten</P>");
    });
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(readFile(page), "<html><body><P>Rewritten</P></body></html>");

    // A new page takes pasted markup inside its body.
    const auto fresh = app->newPage();
    ASSERT_TRUE(fresh->Document()->createRange()->pasteHTML("<p>x</p>"));
    const std::string text = documentOf(fresh)->text();
    EXPECT_LT(text.find("<body>"), text.find("<p>x</p>"));
    EXPECT_LT(text.find("<p>x</p>"), text.find("</body>"));
    EXPECT_TRUE(fresh->isModified());
}

TEST_F(HostPages, CancelledSaveWritesNothing) {
    const auto window = app->openPage(page);
    edit(window, "changed");
    log.cancelSave = true;
    EXPECT_FALSE(window->Save());
    EXPECT_EQ(readFile(page), kPage);
    EXPECT_TRUE(window->isModified());
    EXPECT_FALSE(window->saveAs(root / "other.htm"));
    EXPECT_FALSE(fs::exists(root / "other.htm"));

    // Closing with save stays open when the save does not happen.
    EXPECT_FALSE(window->Close(true));
    EXPECT_FALSE(window->isClosed());
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "PageClose"), 0);
}

TEST_F(HostPages, ThrowingListenersDoNotStopTheSave) {
    const auto window = app->openPage(page);
    edit(window, "x");
    auto throwing = app->OnBeforePageSave().connect(
        [](const PageWindowPtr&, bool, bool&) { throw std::runtime_error("handler failed"); });
    EXPECT_TRUE(window->Save());
    EXPECT_EQ(readFile(page), kPage + "x");
}

TEST_F(HostPages, CloseOrderAndDroppedChanges) {
    const auto a = app->openPage(page);
    writeFile(root / "b.htm", "b");
    const auto b = app->openPage(root / "b.htm");
    app->activate();
    log.events.clear();
    log.windows.clear();

    // Saving on close: the save comes first, then the close.
    edit(b, "+1");
    ASSERT_TRUE(b->Close(true));
    EXPECT_EQ(readFile(root / "b.htm"), "b+1");
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforePageSave", "PageClose", "Activate"}));
    EXPECT_TRUE(b->isClosed());
    EXPECT_EQ(app->ActivePageWindow(), a);
    EXPECT_EQ(log.windows.back(), a);
    EXPECT_FALSE(b->Save());
    EXPECT_FALSE(b->Close(false));

    // A listener may keep the page open.
    log.events.clear();
    log.cancelClose = true;
    EXPECT_FALSE(a->Close(false));
    EXPECT_FALSE(a->isClosed());
    log.cancelClose = false;

    // Closing without saving drops the changes and writes nothing.
    edit(a, "lost");
    ASSERT_TRUE(a->Close(false));
    EXPECT_EQ(log.events, (std::vector<std::string>{"PageClose", "PageClose"}));
    EXPECT_EQ(readFile(page), kPage);
    EXPECT_EQ(app->ActivePageWindow(), nullptr);
    EXPECT_EQ(app->ActiveDocument(), nullptr);
    EXPECT_TRUE(app->pageWindows().empty());
}

TEST_F(HostPages, ForegroundEventsFollowThePageInFront) {
    const auto a = app->openPage(page);
    const auto b = app->newPage();
    log.events.clear();
    log.windows.clear();

    // In the background switching pages raises nothing for the add-in.
    EXPECT_TRUE(app->setActivePageWindow(a));
    EXPECT_TRUE(log.events.empty());

    app->activate();
    EXPECT_TRUE(app->setActivePageWindow(b));
    app->deactivate();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Activate", "Activate", "Deactivate"}));
    EXPECT_EQ(log.windows, (std::vector<PageWindowPtr>{a, b, b}));

    EXPECT_FALSE(app->setActivePageWindow(nullptr));
    ASSERT_TRUE(b->Close(false));
    EXPECT_FALSE(app->setActivePageWindow(b));
}

TEST_F(HostPages, ViewModes) {
    const auto window = app->openPage(page);
    int changes = 0;
    auto subscription = app->viewModeChanged().connect([&](const PageWindowHandle&) { ++changes; });
    EXPECT_EQ(window->ViewMode(), 0);
    for (const int mode : {1, 2, 8, 0})
        EXPECT_TRUE(window->SetViewMode(mode));
    EXPECT_FALSE(window->SetViewMode(3));
    EXPECT_FALSE(window->SetViewMode(-1));
    EXPECT_EQ(window->ViewMode(), 0);
    EXPECT_EQ(changes, 4);
}

TEST_F(HostPages, SaveKeepsPermissionsAndWritesThroughLinks) {
    fs::permissions(page, fs::perms(0604));
    const auto window = app->openPage(page);
    edit(window, "1");
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(fs::status(page).permissions(), fs::perms(0604));

    const fs::path link = root / "link.htm";
    fs::create_symlink(page, link);
    ASSERT_TRUE(window->Close(false));
    // The link resolves to the page itself, so the window is the page's.
    const auto linked = app->openPage(link);
    edit(linked, "2");
    ASSERT_TRUE(linked->Save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(page), kPage + "12");
}

// A save that cannot be completed leaves the old file exactly as it was and no stray file.
TEST_F(HostPages, FailedSaveLeavesTheOldFileWhole) {
    const auto window = app->openPage(page);
    edit(window, std::string(4096, 'x'));
    const int entriesBefore = test::countEntries(page.parent_path());

    // Files may grow to no more than 64 bytes while saving (works even for root).
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = window->Save();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(page), kPage);
    EXPECT_EQ(test::countEntries(page.parent_path()), entriesBefore);
    EXPECT_TRUE(window->isModified());
    EXPECT_NE(app->lastError().find("page.htm"), std::string::npos);
}

TEST_F(HostPages, SaveIntoReadOnlyFolderFails) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const auto window = app->openPage(page);
    edit(window, "x");
    fs::permissions(page.parent_path(), fs::perms(0555));
    EXPECT_FALSE(window->Save());
    fs::permissions(page.parent_path(), fs::perms(0755));
    EXPECT_EQ(readFile(page), kPage);
}

} // namespace
} // namespace tlx::host
