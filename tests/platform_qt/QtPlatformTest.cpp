#include "platform/qt/QtPlatform.h"

#include "common/QtTestEnvironment.h"
#include "common/QtWait.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace tlx {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

TEST(QtPlatformText, PromptLinesJoinedByCarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(promptText("First line\rSecond line\r\rAfter an empty line"),
              QStringLiteral("First line\nSecond line\n\nAfter an empty line"));
    // A CR LF pair is one break, not two.
    EXPECT_EQ(promptText("a\r\nb\nc"), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(promptText(""), QString());
}

TEST(QtPlatformText, Utf8TextAndSingleByteTextBothDecode) {
    EXPECT_EQ(toQString("Gr\xC3\xBC\xC3\x9F"), QStringLiteral("Grüß"));
    // Bytes that are not UTF-8 come from single-byte files: Windows-1252.
    EXPECT_EQ(toQString("caf\xE9 \x80"), QString::fromUtf8("café €"));
    EXPECT_EQ(fromQString(QStringLiteral("Grüß")), "Gr\xC3\xBC\xC3\x9F");
}

TEST(QtPlatformFileFilter, ClassicFiltersBecomeQtNameFilters) {
    EXPECT_EQ(convertFileFilter("Flash Movies (*.swf)|*.swf|All Files (*.*)|*.*"),
              QStringLiteral("Flash Movies (*.swf *.SWF);;All Files (*)"));
    // Several patterns, names without a pattern list, names with a remark in parentheses.
    EXPECT_EQ(convertFileFilter("Web Pages|*.htm;*.html|Palettes (custom)|*.oxp"),
              QStringLiteral("Web Pages (*.htm *.HTM *.html *.HTML);;Palettes (custom) (*.oxp "
                             "*.OXP)"));
    EXPECT_EQ(convertFileFilter(""), QString());
    // A name without its pattern part is dropped rather than shown with no patterns.
    EXPECT_EQ(convertFileFilter("Zip Files (*.zip)|*.zip|Broken"),
              QStringLiteral("Zip Files (*.zip *.ZIP)"));
}

TEST(QtPlatformFileFilter, FileDialogIsBuiltFromTheOptions) {
    FileDialogOptions options;
    options.title = "Save Palette";
    options.filter = "Palettes (*.oxp)|*.oxp|All Files (*.*)|*.*";
    options.initialFolder = QDir::tempPath().toStdString();
    options.defaultExtension = ".oxp";
    const auto dialog = buildFileDialog(options, true);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Palette"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("oxp"));
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Palettes (*.oxp *.OXP)"),
                                                  QStringLiteral("All Files (*)")}));

    const auto open = buildFileDialog(FileDialogOptions{}, false);
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
}

TEST(QtPlatformColour, RedIsTheLowestByte) {
    EXPECT_EQ(colourToQColor(0x0080FF), QColor(255, 128, 0));
    EXPECT_EQ(colourToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(qColorToColour(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(qColorToColour(colourToQColor(0xABCDEF)), 0xABCDEF);
}

struct ButtonSetCase {
    MsgButtons buttons;
    QMessageBox::StandardButtons expected;
    QMessageBox::StandardButton defaultButton;
    MsgResult escapeResult;
};

TEST(QtPlatformMessageBox, EachButtonSetWithItsDefaultAndEscapeAnswer) {
    const ButtonSetCase cases[] = {
        {MsgButtons::OkOnly, QMessageBox::Ok, QMessageBox::Ok, MsgResult::Ok},
        {MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
         MsgResult::Cancel},
        {MsgButtons::AbortRetryIgnore,
         QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort,
         MsgResult::Abort},
        {MsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Yes, MsgResult::Cancel},
        {MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, MsgResult::No},
        {MsgButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry,
         MsgResult::Cancel},
    };
    for (const ButtonSetCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons));
        const auto box = buildMessageBox("Sure?", c.buttons, MsgIcon::Question, "Mirvane");
        EXPECT_EQ(box->standardButtons(), c.expected);
        EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton));
        // Escape pressed on the box answers as the classic box.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box.get(), &escape);
        EXPECT_EQ(messageBoxResult(*box), c.escapeResult);
    }
}

TEST(QtPlatformMessageBox, TitleIconTextAndClickedButton) {
    const auto box = buildMessageBox("Page not saved.\r\rSave it <first>.", MsgButtons::YesNoCancel,
                                     MsgIcon::Exclamation, "VORNE Media Mirvane");
    EXPECT_EQ(box->windowTitle(), QStringLiteral("VORNE Media Mirvane"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), QStringLiteral("Page not saved.\n\nSave it <first>."));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::No)->click();
    EXPECT_EQ(messageBoxResult(*box), MsgResult::No);

    EXPECT_EQ(buildMessageBox("x", MsgButtons::OkOnly, MsgIcon::Critical, "")->icon(),
              QMessageBox::Critical);
    EXPECT_EQ(buildMessageBox("x", MsgButtons::OkOnly, MsgIcon::Information, "")->icon(),
              QMessageBox::Information);
    EXPECT_EQ(buildMessageBox("x", MsgButtons::OkOnly, MsgIcon::Question, "")->icon(),
              QMessageBox::Question);
    EXPECT_EQ(buildMessageBox("x", MsgButtons::OkOnly, MsgIcon::None, "")->icon(),
              QMessageBox::NoIcon);
}

TEST(QtPlatformInputBox, PromptTitleAndDefault) {
    const auto dialog = buildInputDialog("Preset name:\rLetters only", "Mirvane", "Warm");
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Preset name:\nLetters only"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Mirvane"));
    EXPECT_EQ(dialog->textValue(), QStringLiteral("Warm"));
    EXPECT_EQ(dialog->inputMode(), QInputDialog::TextInput);
}

TEST(QtPlatformPopupMenu, EntriesSeparatorsDisabledEntriesAndSubmenus) {
    MenuEntry disabled = MenuEntry::item("Not now", 7);
    disabled.enabled = false;
    const std::vector<MenuEntry> entries = {
        MenuEntry::item("About Mirvane Flash", 300),
        MenuEntry::line(),
        disabled,
        MenuEntry::sub("On The Web", {MenuEntry::item("Tips & Tricks", 1001), MenuEntry::line(),
                                      MenuEntry::item("B", 1003)}),
        MenuEntry::sub("Empty", {}),
    };
    const auto menu = buildPopupMenu(entries);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("About Mirvane Flash"));
    EXPECT_EQ(commandOf(actions[0]), 300);
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(commandOf(actions[1]), 0);
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_EQ(commandOf(actions[2]), 7);

    QMenu* web = actions[3]->menu();
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->title(), QStringLiteral("On The Web"));
    EXPECT_EQ(commandOf(actions[3]), 0); // a submenu is never chosen itself
    const QList<QAction*> links = web->actions();
    ASSERT_EQ(links.size(), 3);
    // "&" is shown as written, not taken as a keyboard mnemonic.
    EXPECT_EQ(links[0]->text(), QStringLiteral("Tips && Tricks"));
    EXPECT_EQ(commandOf(links[0]), 1001);
    EXPECT_TRUE(links[1]->isSeparator());
    EXPECT_EQ(commandOf(links[2]), 1003);

    ASSERT_NE(actions[4]->menu(), nullptr);
    EXPECT_TRUE(actions[4]->menu()->actions().isEmpty());
    EXPECT_EQ(commandOf(nullptr), 0);
}

TEST(QtPlatformShellOpen, OnlyWebAddressesMailAndExistingDocumentsAreOpened) {
    EXPECT_EQ(classifyShellTarget("http://example.com/a b").url.host(),
              QStringLiteral("example.com"));
    EXPECT_EQ(classifyShellTarget("HTTPS://example.com/").error, 0);
    EXPECT_EQ(classifyShellTarget("mailto:someone@example.com").url.scheme(),
              QStringLiteral("mailto"));
    EXPECT_EQ(classifyShellTarget("www.example.com").url,
              QUrl(QStringLiteral("http://www.example.com")));

    for (const char* refused :
         {"javascript:alert(1)", "ftp://example.com/x", "smb://host/share", "http://", ""}) {
        SCOPED_TRACE(refused);
        const ShellTarget target = classifyShellTarget(refused);
        EXPECT_GT(target.error, 0);
        EXPECT_LE(target.error, 32);
        EXPECT_TRUE(target.url.isEmpty());
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString page = dir.filePath(QStringLiteral("index.htm"));
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
    file.close();
    EXPECT_EQ(classifyShellTarget(page.toStdString()).url, QUrl::fromLocalFile(page));
    EXPECT_EQ(classifyShellTarget(QUrl::fromLocalFile(page).toString().toStdString()).url,
              QUrl::fromLocalFile(page));
    EXPECT_EQ(classifyShellTarget(dir.filePath(QStringLiteral("missing.htm")).toStdString()).error,
              2);

    // A program is never started by opening it.
    ASSERT_TRUE(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    EXPECT_EQ(classifyShellTarget(page.toStdString()).error, 31);
    QFile launcher(dir.filePath(QStringLiteral("evil.desktop")));
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.close();
    EXPECT_EQ(classifyShellTarget(launcher.fileName().toStdString()).error, 31);

    QtPlatform platform;
    EXPECT_EQ(platform.shellOpen("javascript:alert(1)"), 31);
}

TEST(QtPlatformShellOpen, SaysWhetherTheDesktopsOpenerCouldOpenTheAddress) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto opener = [&](const char* name, const char* body) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("#!/bin/sh\necho \"$1\" >> ") +
                   QFile::encodeName(dir.filePath(QStringLiteral("asked"))) + "\n" + body + "\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    };
    struct Case {
        const char* what;
        QString program;
        int expected;
    };
    const Case cases[] = {
        // xdg-open ends with 3 when no browser is there to take the address.
        {"no browser", opener("nobrowser", "exit 3"), 31},
        {"opened", opener("opened", "exit 0"), 33},
        // Left running (a browser started without a desktop): not ended with this program.
        {"still at work", opener("slow", "sleep 6; touch \"$0.survived\""), 33},
        {"no opener at all", dir.filePath(QStringLiteral("missing")), 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtPlatform platform;
        platform.setOpener(c.program);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(platform.shellOpen("https://example.com/a"), c.expected);
        EXPECT_LT(clock.elapsed(), 5000) << "never waits long for the opener";
    }
    EXPECT_TRUE(tlx::testing::WaitUntil(
        [&] { return QFile::exists(dir.filePath(QStringLiteral("slow.survived"))); }, 10000))
        << "the opener still at work was left running";
    QFile asked(dir.filePath(QStringLiteral("asked")));
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(asked.readAll().count("https://example.com/a\n"), 3);
}

TEST(QtPlatformWait, WaitUntilReturnsWhenTheConditionHoldsDrivenByATimer) {
    QtPlatform platform;
    bool flag = false;
    QTimer::singleShot(50, [&] { flag = true; });
    const std::uint32_t start = platform.tickCount();
    EXPECT_TRUE(platform.waitUntil([&] { return flag; }, 5000));
    const std::uint32_t waited = platform.tickCount() - start;
    EXPECT_GE(waited, 40u);
    EXPECT_LT(waited, 2000u);
}

TEST(QtPlatformWait, WaitUntilGivesUpAfterTheTimeOut) {
    QtPlatform platform;
    int polls = 0;
    const std::uint32_t start = platform.tickCount();
    EXPECT_FALSE(platform.waitUntil([&] { return ++polls < 0; }, 150));
    const std::uint32_t waited = platform.tickCount() - start;
    EXPECT_GE(waited, 145u);
    EXPECT_LT(waited, 2000u);
    // Polled by a timer, not in a busy loop.
    EXPECT_LT(polls, 100);
    EXPECT_GT(polls, 2);

    EXPECT_TRUE(platform.waitUntil([] { return true; }, 0));
    EXPECT_FALSE(platform.waitUntil([] { return false; }, 0));
}

TEST(QtPlatformWait, AFailingConditionLeavesTheWaitAsAnException) {
    QtPlatform platform;
    int polls = 0;
    EXPECT_THROW(platform.waitUntil(
                     [&] {
                         if (++polls == 3)
                             throw std::runtime_error("host gone");
                         return false;
                     },
                     5000),
                 std::runtime_error);
    EXPECT_EQ(polls, 3);
}

TEST(QtPlatformWait, DoEventsRunsPendingEvents) {
    QtPlatform platform;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    platform.doEvents();
    EXPECT_TRUE(ran);
}

TEST(QtPlatformProgress, ShownWithItsLabelAndClosedWhenDestroyed) {
    QtPlatform platform;
    auto form = platform.showProgressForm();
    auto* qtForm = dynamic_cast<QtProgressForm*>(form.get());
    ASSERT_NE(qtForm, nullptr);
    const QPointer<QWidget> window = qtForm->window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool));
    const auto* label = window->findChild<QLabel*>(QStringLiteral("lblWorking"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Working..."));
    const auto* bar = window->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);

    form->setLabel("Importing movies...");
    EXPECT_EQ(label->text(), QStringLiteral("Importing movies..."));

    form.reset();
    EXPECT_TRUE(window.isNull());
}

TEST(QtPlatformClipboard, TextRoundTrips) {
    QtPlatform platform;
    platform.setClipboardText("<a href=\"x\">Grüß</a>");
    EXPECT_EQ(platform.clipboardText(), "<a href=\"x\">Grüß</a>");
}

// What another program (or this one) left on the clipboard comes back whole after the
// clipboard was borrowed for text: every format's bytes, an image and a colour.
TEST(QtPlatformClipboard, ContentPutBackHoldsEveryFormat) {
    QtPlatform platform;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("plain"));
    mime->setHtml(QStringLiteral("<b>rich</b>"));
    mime->setData(QStringLiteral("application/x-tlx-test"), QByteArray("\0\x01\xff", 3));
    mime->setImageData(image);
    mime->setColorData(QColor(1, 2, 3));
    QGuiApplication::clipboard()->setMimeData(mime);

    const ClipboardContent saved = platform.clipboardContent();
    platform.setClipboardText("borrowed");
    ASSERT_EQ(platform.clipboardText(), "borrowed");
    platform.setClipboardContent(saved);

    const QMimeData* back = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text(), QStringLiteral("plain"));
    EXPECT_EQ(back->html(), QStringLiteral("<b>rich</b>"));
    EXPECT_EQ(back->data(QStringLiteral("application/x-tlx-test")), QByteArray("\0\x01\xff", 3));
    ASSERT_TRUE(back->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(back->imageData()).convertToFormat(QImage::Format_RGB32),
              image);
    EXPECT_EQ(qvariant_cast<QColor>(back->colorData()), QColor(1, 2, 3));
    EXPECT_EQ(platform.clipboardContent(), saved);

    platform.setClipboardContent({});
    EXPECT_TRUE(platform.clipboardContent().formats.empty());
}

} // namespace
} // namespace tlx
