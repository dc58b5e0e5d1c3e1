#pragma once
// A main window without renderings over a temporary web, for the editor's tests.

#include "common/TempFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "host/qt/MainWindow.h"
#include "host/qt/PageView.h"
#include "common/QtTestEnvironment.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::host::test {

using tlx::testing::readFile;
using tlx::testing::writeFile;

inline void processEvents() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = Application::create();
        ASSERT_TRUE(app->openWeb(web.path()));
        window = std::make_unique<MainWindow>(app, MainWindow::Options{false});
        window->showError = [this](const QString& message) { errors << message; };
        window->askSaveChanges = [](const QString&) { return QMessageBox::Cancel; };
        window->runHyperlinkDialog = [](HyperlinkDialog&) { return false; };
        window->show();
        processEvents();
    }
    void TearDown() override {
        // Nothing may be asked while the window goes.
        window->askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
        window.reset();
    }

    PageWindowHandle open(const std::string& name, const std::string& bytes) {
        writeFile(web.path() / name, bytes);
        auto page = app->openPage(web.path() / name);
        processEvents();
        return page;
    }
    PageView* view(const PageWindowHandle& page) const { return window->viewFor(page); }
    QPlainTextEdit* editor(const PageWindowHandle& page) const {
        return view(page)->sourceEditor();
    }
    // Puts the caret at the shown position `at` and types `text` there.
    void typeAt(const PageWindowHandle& page, int at, const QString& text) {
        QTextCursor cursor = editor(page)->textCursor();
        cursor.setPosition(at);
        editor(page)->setTextCursor(cursor);
        editor(page)->insertPlainText(text);
    }

    tlx::testing::TempFolder web;
    std::shared_ptr<Application> app;
    std::unique_ptr<MainWindow> window;
    QStringList errors;
};

} // namespace tlx::host::test
