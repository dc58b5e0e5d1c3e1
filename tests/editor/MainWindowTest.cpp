// The main window over the host model: tabs and the active page, events of saving and
// closing, the command bars as toolbars, the hyperlink dialog and copying.

#include "EditorTestSupport.h"
#include "addin/AddinTestSupport.h"
#include "addinbase/AddinContext.h"
#include "common/ScriptedPlatform.h"
#include "host/qt/CommandBarToolbars.h"
#include "host/qt/FindReplaceDialog.h"
#include "host/qt/HyperlinkDialog.h"
#include "hostapi/UserAction.h"
#include "markup/FlashObject.h"
#include "markup/LinkPicker.h"
#include "panel/qt/MainPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QtTest/QTest>

namespace tlx::host::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

using MainWindowTest = EditorTest;

TEST_F(MainWindowTest, ActiveTabIsTheActivePageWindowBothWays) {
    const auto first = open("a.htm", "<p>a</p>");
    const auto second = open("b.htm", "<p>b</p>");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(window->tabs()->count(), 2);
    EXPECT_EQ(window->tabs()->currentWidget(), view(second));
    window->tabs()->setCurrentWidget(view(first));
    EXPECT_EQ(app->activePageWindow(), first);
    ASSERT_TRUE(app->setActivePageWindow(second));
    EXPECT_EQ(window->tabs()->currentWidget(), view(second));
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("b.htm - ")));
    // A page opened through the model gets its tab; closing it through the model drops it.
    ASSERT_TRUE(app->closePage(first, false));
    processEvents();
    EXPECT_EQ(window->tabs()->count(), 1);
    EXPECT_EQ(window->viewFor(first), nullptr);
}

TEST_F(MainWindowTest, WordWrapIsAViewChoiceKeptForTheNextStartAndNotesReachTheStatusBar) {
    const auto first = open("a.htm", "<p>" + std::string(3000, 'x') + "</p>");
    QAction* wrap = window->action(QStringLiteral("actionWordWrap"));
    ASSERT_NE(wrap, nullptr);
    EXPECT_TRUE(wrap->isCheckable());
    EXPECT_FALSE(wrap->isChecked());
    EXPECT_EQ(editor(first)->lineWrapMode(), QPlainTextEdit::NoWrap);
    wrap->trigger();
    EXPECT_EQ(editor(first)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    const auto second = open("b.htm", "<p>b</p>");
    EXPECT_EQ(editor(second)->lineWrapMode(), QPlainTextEdit::WidgetWidth) << "a page opened later";

    // The next window starts as this one was left.
    window->askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
    window = std::make_unique<MainWindow>(app, MainWindow::Options{false});
    processEvents();
    EXPECT_TRUE(window->action(QStringLiteral("actionWordWrap"))->isChecked());
    EXPECT_EQ(editor(first)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    window->action(QStringLiteral("actionWordWrap"))->trigger();
    EXPECT_EQ(editor(first)->lineWrapMode(), QPlainTextEdit::NoWrap);
    window = std::make_unique<MainWindow>(app, MainWindow::Options{false});
    EXPECT_FALSE(window->action(QStringLiteral("actionWordWrap"))->isChecked());

    app->SetStatusText("No news from the update server");
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QStringLiteral("No news from the update server"));
}

TEST_F(MainWindowTest, SavingAndClosingRaiseTheirEventsAndAskAboutChanges) {
    const auto page = open("e.htm", "<p>e</p>");
    ASSERT_TRUE(page);
    std::vector<std::string> events;
    auto saves = app->OnBeforePageSave().connect([&](const PageWindowPtr&, bool saveAsUI, bool&) {
        events.push_back(saveAsUI ? "save-as" : "save");
    });
    auto closes =
        app->OnPageClose().connect([&](const PageWindowPtr&, bool&) { events.push_back("close"); });

    typeAt(page, 0, QStringLiteral("1"));
    window->action(QStringLiteral("actionSave"))->trigger();
    EXPECT_EQ(readFile(web.path() / "e.htm"), "1<p>e</p>");

    window->askSaveAsFile = [&](const std::filesystem::path&) {
        return std::optional(web.path() / "f.htm");
    };
    window->action(QStringLiteral("actionSaveAs"))->trigger();
    EXPECT_EQ(readFile(web.path() / "f.htm"), "1<p>e</p>");
    EXPECT_EQ(page->path().filename(), "f.htm");

    // Cancel keeps the changed page open; Save saves before closing.
    typeAt(page, 0, QStringLiteral("2"));
    QStringList asked;
    window->askSaveChanges = [&](const QString& name) {
        asked << name;
        return QMessageBox::Cancel;
    };
    window->action(QStringLiteral("actionClose"))->trigger();
    EXPECT_FALSE(page->isClosed());
    window->askSaveChanges = [&](const QString& name) {
        asked << name;
        return QMessageBox::Save;
    };
    window->action(QStringLiteral("actionClose"))->trigger();
    EXPECT_TRUE(page->isClosed());
    EXPECT_EQ(readFile(web.path() / "f.htm"), "21<p>e</p>");
    EXPECT_EQ(asked, (QStringList{QStringLiteral("f.htm"), QStringLiteral("f.htm")}));
    EXPECT_EQ(events, (std::vector<std::string>{"save", "save-as", "save", "close"}));
}

TEST_F(MainWindowTest, SaveAsIntoAnotherFolderTakesAlongTheFilesItsMoviesLoad) {
    namespace fs = std::filesystem;
    // A movie with a click sound beside it, one a folder up; another host's is no file.
    writeFile(web.path() / "a/m/bt.swf", "FWS button");
    writeFile(web.path() / "a/m/snd.swf", "FWS sound");
    writeFile(web.path() / "top.swf", "FWS top");
    const auto page = open(
        "a/p.htm", "<object type=\"application/x-shockwave-flash\" id=b1 "
                   "data=\"m/bt.swf?T1=Go&amp;BS=snd.swf\"></object>\n<embed src=\"../top.swf\" "
                   "id=t1>\n<embed src=\"http://example.com/far.swf\" id=f1>\n");
    ASSERT_TRUE(page);
    EXPECT_FALSE(window->action(QStringLiteral("actionSaveAs"))->shortcut().isEmpty());
    fs::path target;
    window->askSaveAsFile = [&](const fs::path&) { return std::optional(target); };
    // A file already standing where one would go is the user's: it stays.
    writeFile(web.path() / "b/c/m/snd.swf", "mine");
    target = web.path() / "b/c/p.htm";
    ASSERT_TRUE(window->saveWindowAs(page));
    EXPECT_EQ(readFile(web.path() / "b/c/m/bt.swf"), "FWS button");
    EXPECT_EQ(readFile(web.path() / "b/c/m/snd.swf"), "mine");
    EXPECT_EQ(readFile(web.path() / "b/top.swf"), "FWS top");
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QStringLiteral("Saved, with 2 files its movies use copied along"));
    // Into the web's folder: "../top.swf" would lie outside the web and is not written there.
    target = web.path() / "p.htm";
    ASSERT_TRUE(window->saveWindowAs(page));
    EXPECT_EQ(readFile(web.path() / "m/bt.swf"), "FWS button");
    EXPECT_EQ(readFile(web.path() / "m/snd.swf"), "mine");
    EXPECT_FALSE(fs::exists(web.path().parent_path() / "top.swf"));
    // Beside itself under another name nothing is copied.
    target = web.path() / "q.htm";
    ASSERT_TRUE(window->saveWindowAs(page));
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Saved"));
}

TEST_F(MainWindowTest, DiscardingAndUntitledPagesOnClose) {
    const auto page = open("g.htm", "<p>g</p>");
    typeAt(page, 0, QStringLiteral("x"));
    window->action(QStringLiteral("actionNewPage"))->trigger();
    const auto untitled = app->activePageWindow();
    ASSERT_TRUE(untitled && untitled->isUntitled());
    typeAt(untitled, 0, QStringLiteral("y"));
    // Saving an untitled page asks for a name; declining keeps the window open.
    window->askSaveAsFile = [](const std::filesystem::path& suggestion) {
        EXPECT_EQ(suggestion.filename(), "Untitled 1.htm");
        return std::optional<std::filesystem::path>();
    };
    window->askSaveChanges = [](const QString&) { return QMessageBox::Save; };
    EXPECT_FALSE(window->closeAll());
    // Saved, but open still: a page stays when the closing as a whole does not go on.
    EXPECT_FALSE(page->isClosed());
    EXPECT_EQ(readFile(web.path() / "g.htm"), "x<p>g</p>");
    EXPECT_FALSE(untitled->isClosed());
    // Discarded: closed, nothing written.
    window->askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
    EXPECT_TRUE(window->closeAll());
    EXPECT_TRUE(app->pageWindows().empty());
    EXPECT_FALSE(std::filesystem::exists(web.path() / "Untitled 1.htm"));
}

TEST_F(MainWindowTest, ApplicationStateRaisesActivateAndDeactivate) {
    const auto page = open("w.htm", "<p>w</p>");
    std::vector<std::string> events;
    auto on = app->WindowActivate().connect([&](const PageWindowPtr& w) {
        events.push_back(w == page ? "activate" : "activate-other");
    });
    auto off = app->WindowDeactivate().connect(
        [&](const PageWindowPtr&) { events.push_back("deactivate"); });
    QGuiApplication* gui = qApp;
    gui->applicationStateChanged(Qt::ApplicationInactive);
    gui->applicationStateChanged(Qt::ApplicationActive);
    gui->applicationStateChanged(Qt::ApplicationActive);
    gui->applicationStateChanged(Qt::ApplicationHidden);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()),
              (std::vector<std::string>{"activate", "deactivate"}));
    EXPECT_FALSE(app->isActive());
}

TEST_F(MainWindowTest, ToolbarsFollowTheCommandBars) {
    auto& bars = app->CommandBars();
    // The editor's own menus are no toolbars.
    EXPECT_EQ(window->toolbars().toolbarFor(app->commandBars().find("Insert")), nullptr);

    const auto bar = bars.Add("VORNE Media", 1, false, true);
    ASSERT_TRUE(bar);
    bar->SetVisible(true);
    const auto popup = bar->Controls()->Add(ControlType::Popup, std::nullopt, false);
    popup->SetCaption("VORNE Mirvane");
    const auto button = popup->Controls()->Add(ControlType::Button, 1, false);
    button->SetStyle(3);
    button->SetCaption("Mirvane Kestrelite");
    button->SetFaceId(346);
    int clicks = 0;
    auto click = button->Click().connect([&](HostControl&, bool&) { ++clicks; });

    QToolBar* toolbar = window->toolbars().toolbarFor(app->commandBars().find("VORNE Media"));
    ASSERT_TRUE(toolbar);
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(window->toolBarArea(toolbar), Qt::TopToolBarArea);
    processEvents();
    QToolButton* popupButton = nullptr;
    for (auto* b : toolbar->findChildren<QToolButton*>())
        if (b->menu())
            popupButton = b;
    ASSERT_TRUE(popupButton && popupButton->isVisible());
    EXPECT_EQ(popupButton->text(), QStringLiteral("VORNE Mirvane"));
    ASSERT_TRUE(popupButton->menu());
    ASSERT_EQ(popupButton->menu()->actions().size(), 1);
    QAction* action = popupButton->menu()->actions().front();
    EXPECT_EQ(action->text(), QStringLiteral("Mirvane Kestrelite"));
    EXPECT_FALSE(action->icon().isNull());
    action->trigger();
    processEvents();
    EXPECT_EQ(clicks, 1);

    // A changed caption and a new button show at once.
    button->SetCaption("Renamed");
    processEvents();
    popupButton = nullptr;
    for (auto* b : toolbar->findChildren<QToolButton*>())
        if (b->isVisibleTo(toolbar) && b->menu())
            popupButton = b;
    ASSERT_TRUE(popupButton);
    EXPECT_EQ(popupButton->menu()->actions().front()->text(), QStringLiteral("Renamed"));
    const auto direct = bar->Controls()->Add(ControlType::Button, std::nullopt, true);
    direct->SetCaption("Direct");
    bool directClicked = false;
    auto directClick = direct->Click().connect([&](HostControl&, bool&) { directClicked = true; });
    QAction* directAction = nullptr;
    for (QAction* a : toolbar->actions())
        if (a->text() == QStringLiteral("Direct"))
            directAction = a;
    ASSERT_TRUE(directAction);
    directAction->trigger();
    processEvents();
    EXPECT_TRUE(directClicked);

    bar->SetVisible(false);
    EXPECT_FALSE(toolbar->isVisible());
    bar->SetVisible(true);
    ASSERT_TRUE(bar->Delete());
    processEvents();
    EXPECT_EQ(window->toolbars().toolbarFor(app->commandBars().find("VORNE Media")), nullptr);
}

TEST_F(MainWindowTest, ToolbarPositionFollowsTheBarBothWays) {
    auto& bars = app->CommandBars();
    const auto one = bars.Add("One", 1, false, true);
    const auto two = bars.Add("Two", 1, false, true);
    for (const auto& bar : {one, two}) {
        bar->SetVisible(true);
        bar->Controls()->Add(ControlType::Button, std::nullopt, true)->SetCaption(bar->Name());
    }
    QToolBar* first = window->toolbars().toolbarFor(app->commandBars().find("One"));
    QToolBar* second = window->toolbars().toolbarFor(app->commandBars().find("Two"));
    ASSERT_TRUE(first && second);

    // The model moves the toolbar: another row, another side, floating.
    ASSERT_TRUE(two->SetRowIndex(1));
    processEvents();
    EXPECT_GT(second->y(), first->y());
    window->toolbars().readPositions();
    EXPECT_EQ(two->RowIndex(), 1);
    EXPECT_EQ(one->RowIndex(), 0);

    ASSERT_TRUE(one->SetPosition(3));
    processEvents();
    EXPECT_EQ(window->toolBarArea(first), Qt::BottomToolBarArea);
    ASSERT_TRUE(one->SetPosition(4));
    ASSERT_TRUE(one->SetLeft(300));
    ASSERT_TRUE(one->SetTop(200));
    processEvents();
    EXPECT_TRUE(first->isWindow());
    EXPECT_EQ(first->pos(), QPoint(300, 200));
    ASSERT_TRUE(one->SetPosition(1));
    processEvents();
    EXPECT_FALSE(first->isWindow());
    EXPECT_EQ(window->toolBarArea(first), Qt::TopToolBarArea);

    // The user docks a toolbar elsewhere: the bar follows.
    window->addToolBar(Qt::LeftToolBarArea, second);
    processEvents();
    window->toolbars().readPositions();
    EXPECT_EQ(two->Position(), 0);
    EXPECT_EQ(two->RowIndex(), 0);
    const QPoint global = second->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(two->Left(), global.x());
    EXPECT_EQ(two->Top(), global.y());
}

TEST_F(MainWindowTest, HyperlinkCommandWrapsTheSelectedImage) {
    writeFile(web.path() / "products.htm", "<p>p</p>");
    writeFile(web.path() / "sub" / "deep.htm", "<p>d</p>");
    const auto page = open("sub/h.htm", "<body><p>before</p></body>");
    ASSERT_TRUE(page);
    const auto& document = page->document();
    // The way the add-in asks for a link: a placeholder image selected, then Insert >
    // Hyperlink... executed.
    auto range = document->createRange();
    ASSERT_TRUE(range->moveToElementText(document->all().tags("P").item(std::size_t(0))));
    ASSERT_TRUE(range->pasteHTML("<DIV ID=FPLink1></DIV>"));
    ASSERT_TRUE(document->all().tags("DIV").item("FPLink1")->insertAdjacentHTML(
        AdjacentPosition::AfterBegin, "<IMG ID=FPLink2 SRC=''>"));
    auto image = document->createRange();
    ASSERT_TRUE(image->moveToElementText(document->all().tags("IMG").item("FPLink2")));
    ASSERT_TRUE(image->select());

    QStringList offered;
    window->runHyperlinkDialog = [&](HyperlinkDialog& dialog) {
        for (int i = 0; i < dialog.pageList()->count(); ++i)
            offered << dialog.pageList()->item(i)->text();
        const auto found =
            dialog.pageList()->findItems(QStringLiteral("products.htm"), Qt::MatchExactly);
        if (found.isEmpty())
            return false;
        dialog.pageList()->setCurrentItem(found.front());
        return true;
    };
    const auto control = app->commandBars().findControl("Insert", "Hyperlink...");
    ASSERT_TRUE(control);
    EXPECT_TRUE(control->Execute());
    EXPECT_EQ(offered, (QStringList{QStringLiteral("products.htm"), QStringLiteral("sub/deep.htm"),
                                    QStringLiteral("sub/h.htm")}));
    auto div = document->createRange();
    ASSERT_TRUE(div->moveToElementText(document->all().tags("DIV").item("FPLink1")));
    EXPECT_EQ(div->htmlText(),
              "<DIV ID=FPLink1><a href=\"../products.htm\"><IMG ID=FPLink2 SRC=''></a></DIV>");
    EXPECT_TRUE(
        editor(page)->toPlainText().contains(QStringLiteral("<a href=\"../products.htm\">")));

    // Cancelled: nothing changes and the command reports it.
    const std::string before = document->text();
    window->runHyperlinkDialog = [](HyperlinkDialog&) { return false; };
    EXPECT_FALSE(control->Execute());
    EXPECT_EQ(document->text(), before);
}

TEST_F(MainWindowTest, HyperlinkOnTextAndTypedAddresses) {
    const auto page = open("t.htm", "<p>word</p>");
    page->document()->setSelection(3, 7);
    window->runHyperlinkDialog = [](HyperlinkDialog& dialog) {
        dialog.addressBox()->setText(QStringLiteral("  http://example.com/?a=\"1\"&b=2 "));
        return true;
    };
    ASSERT_TRUE(window->insertHyperlink());
    EXPECT_EQ(page->document()->text(),
              "<p><a href=\"http://example.com/?a=%221%22&b=2\">word</a></p>");
    // With only a caret the address is the link's text.
    page->document()->setSelection(0, 0);
    window->runHyperlinkDialog = [](HyperlinkDialog& dialog) {
        dialog.addressBox()->setText(QStringLiteral("a.htm?x<y"));
        return true;
    };
    ASSERT_TRUE(window->insertHyperlink());
    EXPECT_EQ(page->document()->text().substr(0, 32), "<a href=\"a.htm?x<y\">a.htm?x&lt;y");
    // Not in a preview.
    page->SetViewMode(kViewPreview);
    EXPECT_FALSE(window->insertHyperlink());
}

TEST_F(MainWindowTest, CopyPutsTheSelectionOnTheClipboard) {
    const auto page = open("k.htm", "<p>caf\xE9 <img src=a.gif></p>");
    page->document()->setSelection(8, 23);
    const auto control = app->commandBars().findControl("Edit", "Copy");
    ASSERT_TRUE(control);
    EXPECT_TRUE(control->Execute());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("<img src=a.gif>"));
    page->document()->setSelection(3, 7);
    EXPECT_TRUE(window->copySelection());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("caf\xC3\xA9"));
    page->document()->setSelection(4, 4);
    EXPECT_FALSE(window->copySelection());
}

TEST_F(MainWindowTest, QuitThenCancelClosesNothingAndUndoToTheSavedTextIsNoChange) {
    const auto first = open("q1.htm", "<p>one</p>");
    const auto second = open("q2.htm", "<p>two</p>");
    typeAt(first, 0, QStringLiteral("1"));
    typeAt(second, 0, QStringLiteral("2"));
    QStringList asked;
    window->askSaveChanges = [&](const QString& name) {
        asked << name;
        return asked.size() == 1 ? QMessageBox::Discard : QMessageBox::Cancel;
    };
    EXPECT_FALSE(window->close());
    EXPECT_EQ(asked, (QStringList{QStringLiteral("q1.htm"), QStringLiteral("q2.htm")}));
    EXPECT_EQ(window->tabs()->count(), 2);
    EXPECT_FALSE(first->isClosed());
    EXPECT_EQ(first->document()->text(), "1<p>one</p>");

    // Undo back to the text of the file: the page is unchanged, as its tab says.
    editor(first)->undo();
    EXPECT_FALSE(first->isModified());
    EXPECT_EQ(window->tabs()->tabText(window->tabs()->indexOf(view(first))),
              QStringLiteral("q1.htm"));
    // The same after a save; "Saved" is shown.
    window->tabs()->setCurrentWidget(view(second));
    window->action(QStringLiteral("actionSave"))->trigger();
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Saved"));
    typeAt(second, 0, QStringLiteral("3"));
    EXPECT_TRUE(second->isModified());
    editor(second)->undo();
    EXPECT_FALSE(second->isModified());
    EXPECT_EQ(readFile(web.path() / "q2.htm"), "2<p>two</p>");
}

TEST_F(MainWindowTest, FindAndReplaceInTheSourceAndFilesThatAreNoPages) {
    const auto page = open("r.htm", "<p>cat Cat cat</p>");
    window->action(QStringLiteral("actionFindReplace"))->trigger();
    auto* dialog = window->findChild<FindReplaceDialog*>();
    ASSERT_TRUE(dialog);
    dialog->findText()->setText(QStringLiteral("cat"));
    dialog->replaceText()->setText(QStringLiteral("dog"));
    dialog->matchCase()->setChecked(true);
    EXPECT_EQ(dialog->replaceAll(), 2);
    EXPECT_EQ(page->document()->text(), "<p>dog Cat dog</p>");
    editor(page)->undo(); // one step
    EXPECT_EQ(page->document()->text(), "<p>cat Cat cat</p>");
    dialog->matchCase()->setChecked(false);
    editor(page)->moveCursor(QTextCursor::Start);
    EXPECT_TRUE(dialog->findNext());
    EXPECT_TRUE(dialog->findNext());
    EXPECT_TRUE(dialog->replaceOne()); // the second one, "Cat"
    EXPECT_EQ(page->document()->text(), "<p>cat dog cat</p>");
    dialog->findText()->setText(QStringLiteral("bird"));
    EXPECT_FALSE(dialog->findNext());
    EXPECT_FALSE(dialog->status()->text().isEmpty());

    writeFile(web.path() / "style.css", "p{}");
    window->openListedFile(web.path() / "style.css");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("is not a page"))) << errors[0].toStdString();
    EXPECT_EQ(window->tabs()->count(), 1);
}

} // namespace
} // namespace tlx::host::test

namespace tlx::host::test {
namespace {

TEST_F(MainWindowTest, LinkPickedForTheAddinLeavesPageSelectionAndHistoryAsTheyWere) {
    writeFile(web.path() / "products.htm", "<p>p</p>");
    const std::string movie = "<OBJECT ID=oKestreliteBT001 WIDTH=10 HEIGHT=10><EMBED "
                              "src='b.swf' WIDTH=10 HEIGHT=10></OBJECT>";
    const auto page = open("sub/m.htm", "<body><p>x</p>" + movie + "</body>");
    ASSERT_TRUE(page);
    const auto& document = page->document();
    const std::string before = document->text();
    const std::size_t at = before.find(movie);
    ScriptedPlatform platform;
    AddinContext context(platform, web.str());
    context.Editor = HostEditor(app);

    struct Case {
        bool movieSelected;
        bool confirm;
        std::string expected;
    };
    for (const Case& c : {Case{true, true, "../products.htm"}, Case{true, false, ""},
                          Case{false, true, "../products.htm"}}) {
        SCOPED_TRACE(std::to_string(c.movieSelected) + std::to_string(c.confirm));
        const std::size_t start = c.movieSelected ? at : 3;
        const std::size_t end = c.movieSelected ? at + movie.size() : 3;
        document->setSelection(start, end);
        bool markedWhileOpen = true;
        window->runHyperlinkDialog = [&](HyperlinkDialog& dialog) {
            markedWhileOpen =
                page->isModified() || window->tabs()
                                          ->tabText(window->tabs()->indexOf(view(page)))
                                          .endsWith(QLatin1Char('*'));
            const auto found =
                dialog.pageList()->findItems(QStringLiteral("products.htm"), Qt::MatchExactly);
            if (found.isEmpty())
                return false;
            dialog.pageList()->setCurrentItem(found.front());
            return c.confirm;
        };
        EXPECT_EQ(PickHyperlink(context), c.expected);
        EXPECT_FALSE(markedWhileOpen);
        EXPECT_EQ(document->text(), before);
        EXPECT_FALSE(page->isModified());
        EXPECT_EQ(document->selectionStart(), start);
        EXPECT_EQ(document->selectionEnd(), end);
        EXPECT_FALSE(editor(page)->document()->isUndoAvailable());
    }
}

TEST_F(MainWindowTest, OneUserActionIsOneNamedUndoStepAndTheModifiedMarkFollowsIt) {
    ScriptedPlatform platform;
    AddinContext context(platform, web.str());
    context.Editor = HostEditor(app);
    const auto menuText = [this](const char* name) {
        return window->action(QString::fromLatin1(name))->text().remove(QLatin1Char('&'));
    };
    struct Case {
        std::string file;
        std::string bytes;
    };
    for (const Case& c :
         {Case{"u.htm", "<html>\r\n<head><meta charset=utf-8></head><body><p>caf\xC3\xA9</p>\n"
                        "</body></html>"},
          Case{"j.htm", "<html>\n<head><meta charset=Shift_JIS></head><body><p>\x93\xFA\x96\x7B"
                        "</p>\r\n</body></html>"},
          Case{"l.htm", "<html>\n<head><meta charset=iso-8859-1></head><body><p>caf\xE9</p>\r\n"
                        "</body></html>"}}) {
        SCOPED_TRACE(c.file);
        const auto page = open(c.file, c.bytes);
        ASSERT_TRUE(page);
        const auto& document = page->document();
        const std::size_t caret = c.bytes.find("</p>") + 4;
        document->setSelection(caret, caret);
        {
            const UserAction action(context.Editor, "Insert Flash Button");
            InsertFlashObject(context.Editor, "oKestreliteBT001", "b.swf?T1=Go", "10", "10",
                              "#FFFFFF", "", "", false);
        }
        const std::string inserted = document->text();
        ASSERT_NE(inserted.find("oKestreliteBT001"), std::string::npos);
        EXPECT_TRUE(page->isModified());
        EXPECT_EQ(menuText("actionUndo"), QStringLiteral("Undo Insert Flash Button"));

        // One undo takes the whole insertion back, to the saved bytes: no "*".
        window->action(QStringLiteral("actionUndo"))->trigger();
        EXPECT_EQ(document->text(), c.bytes);
        EXPECT_FALSE(page->isModified());
        EXPECT_FALSE(window->tabs()
                         ->tabText(window->tabs()->indexOf(view(page)))
                         .contains(QLatin1Char('*')));
        EXPECT_EQ(menuText("actionRedo"), QStringLiteral("Redo Insert Flash Button"));

        // Both redo keys bring it back whole, whatever keys the desktop's theme gives redo
        // (X11's leave Ctrl+Y out).
        EXPECT_EQ(window->action(QStringLiteral("actionRedo"))->shortcuts(),
                  (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        for (const auto modifiers :
             {Qt::KeyboardModifiers(Qt::ControlModifier),
              Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier)}) {
            const Qt::Key key = modifiers & Qt::ShiftModifier ? Qt::Key_Z : Qt::Key_Y;
            QTest::keyClick(editor(page), key, modifiers);
            EXPECT_EQ(document->text(), inserted) << int(key);
            EXPECT_TRUE(page->isModified());
            editor(page)->undo();
            EXPECT_EQ(document->text(), c.bytes);
            EXPECT_FALSE(page->isModified());
        }
        // Typing undone all the way back gives the saved bytes again, line breaks of either
        // kind included, and the page is unchanged.
        editor(page)->selectAll();
        editor(page)->textCursor().removeSelectedText();
        EXPECT_TRUE(page->isModified());
        editor(page)->undo();
        EXPECT_EQ(document->text(), c.bytes);
        EXPECT_FALSE(page->isModified());
        window->closeWindow(page);
    }
}

TEST_F(MainWindowTest, PanelCommandsAreUndoneInOneStepNamedAfterThem) {
    const std::string bytes = "<html><body>\n" + tlx::test::AlteredOwnedObject("oKestreliteBT001") +
                              tlx::test::AlteredOwnedObject("oKestreliteBT002") +
                              "\n</body></html>\n";
    const auto page = open("s.htm", bytes);
    ASSERT_TRUE(page);
    ScriptedPlatform platform;
    AddinContext context(platform, web.str());
    context.Editor = HostEditor(app);
    MainPanel panel(context);
    platform.messageBoxAnswers = {MsgResult::Yes, MsgResult::Ok};
    panel.Command2->click();
    ASSERT_NE(page->document()->text(), bytes);
    EXPECT_EQ(window->action(QStringLiteral("actionUndo"))->text().remove(QLatin1Char('&')),
              QStringLiteral("Undo Scan And Fix Invisible Flash Objects"));
    window->action(QStringLiteral("actionUndo"))->trigger();
    EXPECT_EQ(page->document()->text(), bytes);
    EXPECT_FALSE(page->isModified());
}

} // namespace
} // namespace tlx::host::test
