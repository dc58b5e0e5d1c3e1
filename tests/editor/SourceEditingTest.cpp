// The source editor and the document: typing edits the bytes, edits made through the document
// show in the editor, the selection is one.

#include "EditorTestSupport.h"
#include "host/qt/FindReplaceDialog.h"
#include "host/qt/SourceCodec.h"

#include <QAction>
#include <QLineEdit>
#include <QStatusBar>
#include <QTextDocument>

namespace tlx::host::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

TEST(SourceCodec, MapsPositionsOverMultiByteCharactersAndLineBreaks) {
    // "a", "é" (2 bytes), CR LF, "😀" (4 bytes, two UTF-16 units), lone CR, "b".
    const std::string bytes = "a\xC3\xA9\r\n\xF0\x9F\x98\x80\rb";
    const SourceCodec codec = SourceCodec::forBytes(bytes);
    ASSERT_TRUE(codec.isUtf8());
    EXPECT_TRUE(codec.usesCrLf());
    const QString shown = codec.decode(bytes);
    EXPECT_EQ(shown, QString::fromUtf8("a\xC3\xA9\n\xF0\x9F\x98\x80\nb"));
    const std::pair<qsizetype, std::size_t> pairs[] = {{0, 0}, {1, 1},  {2, 3}, {3, 5},
                                                       {5, 9}, {6, 10}, {7, 11}};
    for (const auto& [pos, offset] : pairs) {
        EXPECT_EQ(codec.byteOffset(bytes, pos), offset) << pos;
        EXPECT_EQ(codec.charPosition(bytes, offset), pos) << offset;
    }
    // Inside a character or a CR LF: the start of it.
    EXPECT_EQ(codec.charPosition(bytes, 2), 1);
    EXPECT_EQ(codec.charPosition(bytes, 4), 2);
    EXPECT_EQ(codec.byteOffset(bytes, 100), bytes.size());
    EXPECT_EQ(codec.encode(QStringLiteral("x\ny")), "x\r\ny");
}

TEST(SourceCodec, SingleBytePagesKeepEveryByteAndTakeWhatTheyCannotHoldAsReferences) {
    const std::string bytes = "caf\xE9 \x80 \x81\n";
    const SourceCodec codec = SourceCodec::forBytes(bytes);
    ASSERT_FALSE(codec.isUtf8());
    EXPECT_FALSE(codec.usesCrLf());
    const QString shown = codec.decode(bytes);
    EXPECT_EQ(shown, QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xC2\x81\n"));
    EXPECT_EQ(codec.encode(shown), bytes);
    EXPECT_EQ(codec.encode(QString::fromUtf8("\xE2\x9C\x93\xF0\x9F\x98\x80")), "&#10003;&#128512;");
    EXPECT_FALSE(SourceCodec::isValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(SourceCodec::isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_TRUE(SourceCodec::isValidUtf8("\xE2\x82\xAC"));
}

TEST(SourceCodec, TypedTextIsWrittenInTheCharsetThePageDeclares) {
    // What "é€✓" typed into a page becomes, by the page's bytes: as a browser would read it.
    struct Case {
        std::string page;
        bool utf8;
        std::string typed;
    };
    const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    const Case cases[] = {
        {"<p>plain</p>", true, "\xC3\xA9\xE2\x82\xAC\xE2\x9C\x93"},
        {meta + "UTF-8\"><p>caf\xC3\xA9</p>", true, "\xC3\xA9\xE2\x82\xAC\xE2\x9C\x93"},
        // ASCII bytes, but declared Windows-1252: typed text in that code page, not UTF-8.
        {meta + "windows-1252\"><p>plain</p>", false, "\xE9\x80&#10003;"},
        {"<meta charset='iso-8859-1'><p>caf\xC3\xA9</p>", false, "\xE9\x80&#10003;"},
        {"<meta charset=\"utf-8\"><p>\xE9</p>", false, "\xE9\x80&#10003;"}, // not UTF-8 after all
    };
    for (const Case& c : cases) {
        const SourceCodec codec = SourceCodec::forBytes(c.page);
        EXPECT_EQ(codec.isUtf8(), c.utf8) << c.page;
        EXPECT_EQ(codec.encode(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xE2\x9C\x93")), c.typed)
            << c.page;
        EXPECT_EQ(codec.encode(codec.decode(c.page)), c.page) << "every byte kept: " << c.page;
    }
}

using SourceEditing = EditorTest;

TEST_F(SourceEditing, TypingEditsTheBytesOfAUtf8Page) {
    const auto page = open("u.htm", "<p>\xC3\xA9t\xC3\xA9</p>\n");
    ASSERT_TRUE(page);
    EXPECT_EQ(editor(page)->toPlainText(), QString::fromUtf8("<p>\xC3\xA9t\xC3\xA9</p>\n"));
    typeAt(page, 6, QString::fromUtf8("\xF0\x9F\x98\x80!"));
    EXPECT_EQ(page->document()->text(), "<p>\xC3\xA9t\xC3\xA9\xF0\x9F\x98\x80!</p>\n");
    EXPECT_TRUE(page->isModified());
    // Backspace over the emoji (two UTF-16 units, four bytes).
    QTextCursor cursor = editor(page)->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    editor(page)->setTextCursor(cursor);
    cursor.removeSelectedText();
    EXPECT_EQ(page->document()->text(), "<p>\xC3\xA9t\xC3\xA9!</p>\n");
    // Undo in the editor reaches the document too.
    editor(page)->undo();
    editor(page)->undo();
    EXPECT_EQ(page->document()->text(), "<p>\xC3\xA9t\xC3\xA9</p>\n");
}

TEST_F(SourceEditing, TypingEditsTheBytesOfASingleByteCrLfPage) {
    const auto page = open("l.htm", "<p>caf\xE9</p>\r\n<p>x</p>\r\n");
    ASSERT_TRUE(page);
    const QString shown = editor(page)->toPlainText();
    EXPECT_EQ(shown, QString::fromUtf8("<p>caf\xC3\xA9</p>\n<p>x</p>\n"));
    // After "x" on the second line.
    typeAt(page, int(shown.indexOf(QLatin1Char('x'))) + 1,
           QString::fromUtf8("\xE2\x82\xAC\xE2\x9C\x93\n"));
    EXPECT_EQ(page->document()->text(), "<p>caf\xE9</p>\r\n<p>x\x80&#10003;\r\n</p>\r\n");
}

TEST_F(SourceEditing, PagesInMultiByteEncodingsShowTheirTextAndKeepEveryByteOutsideTheirEdits) {
    // Each page: a word, and bytes that are hard to keep (invalid sequences, characters with
    // two codes, trail bytes that are ASCII), with what the editor shows for them.
    struct Case {
        std::string charset;
        std::string word;
        std::u16string shownWord;
        std::string tricky;
        std::u16string shownTricky;
        std::string emoji; // the bytes "😀" typed into the page becomes
    };
    const std::string reference = "&#128512;";
    const Case cases[] = {
        // Backslash and tilde as themselves; NEC row 13 0x8790 and JIS 0x81E0 are both "≒",
        // IBM 0xFA5B and JIS 0x81E6 both "∵"; "ソ" and "表" end in 0x5C; 0x81 before a blank
        // and 0xA0 are invalid.
        {"shift_jis", "\x83\x65\x83\x58\x83\x67", u"\u30C6\u30B9\u30C8",
         "\x5C\x7E\x87\x90\x81\xE0\xFA\x5B\x81\xE6\x83\x5C\x81 \xA0\x95\x5C",
         u"\\~\u2252\u2252\u2235\u2235\u30BD\uFFFD \uFFFD\u8868", reference},
        // JIS X 0212 (three bytes), half-width katakana, 0xFF, full-width backslash, a lead
        // byte before a blank.
        {"EUC-JP", "\xA5\xC6\xA5\xB9\xA5\xC8", u"\u30C6\u30B9\u30C8",
         "\x8F\xB0\xA1\x8E\xB1\xFF\x5C\xA1\xC0\xA1\xB1\xA4 ",
         u"\u4E02\uFF71\uFFFD\\\uFF3C\uFFE3\uFFFD ", reference},
        // A Unified Hangul Code syllable, a lead byte before a blank, the euro sign.
        {"euc-kr", "\xB0\xA1\xB3\xAA\xB4\xD9", u"\uAC00\uB098\uB2E4", "\x81\x41\x5C\xA1 \xA2\xE6",
         u"\uAC02\\\uFFFD \u20AC", reference},
        // Declared GBK, read as GB18030: four-byte sequences, invalid bytes, the dash that
        // GB 2312 and GBK map differently; every character has a code, so nothing becomes a
        // reference.
        {"gbk", "\xC4\xE3\xBA\xC3", u"\u4F60\u597D",
         "\x81\x30\x81\x30\x81 \xFF\x5C\xA1\xAA\xA8\xBF", u"\u0080\uFFFD \uFFFD\\\u2014\u01F9",
         "\x94\x39\xFC\x36"},
        // "許" ends in 0x5C; a Hong Kong supplement code; 0x80 is invalid.
        {"big5", "\xA4\x40\xB3\x5C", u"\u4E00\u8A31", "\x88\x62\x80\x5C\xA1\x45\xF9\xFE\xA4 ",
         u"\uF325\uFFFD\\\u2027\uFFED\uFFFD ", reference},
        // A single-byte code page other than Windows-1252.
        {"koi8-r", "\xD4\xC5\xD3\xD4", u"\u0442\u0435\u0441\u0442", "\x80\xBF", u"\u2500\u00A9",
         reference},
    };
    const std::string object =
        "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id=FlashButton1 "
        "width=100 height=20><PARAM NAME=movie VALUE=\"button1.swf?T1=x\"><EMBED "
        "src=\"button1.swf?T1=x\" width=100 height=20></EMBED></OBJECT>";
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        const std::string head = "<html><head><meta http-equiv=\"Content-Type\" "
                                 "content=\"text/html; charset=" +
                                 c.charset + "\"></head><body>\r\n<p>";
        auto bytes = [&](const std::string& inserted, const std::string& pair) {
            return head + c.word + inserted + "</p>\r\n<p>" + pair + c.tricky + pair +
                   "</p>\r\n</body></html>\r\n";
        };
        const std::string name = "mb" + std::to_string(number++) + ".htm";
        const auto page = open(name, bytes("", "ab"));
        ASSERT_TRUE(page);
        const auto& document = page->document();
        QPlainTextEdit* edit = editor(page);
        const QString word = QString::fromStdU16String(c.shownWord);
        const QString tricky = QString::fromStdU16String(c.shownTricky);
        EXPECT_TRUE(edit->toPlainText().contains(QStringLiteral("<p>") + word +
                                                 QStringLiteral("</p>\n<p>ab") + tricky +
                                                 QStringLiteral("ab</p>")))
            << edit->toPlainText().toStdString();
        EXPECT_EQ(document->all().tags("P").size(), 2u);

        // Find selects the word, and the document's selection is its bytes.
        FindReplaceDialog find([edit] { return edit; });
        find.findText()->setText(word);
        ASSERT_TRUE(find.findNext());
        EXPECT_EQ(edit->textCursor().selectedText(), word);
        EXPECT_EQ(document->selectionStart(), head.size());
        EXPECT_EQ(document->selectionEnd(), head.size() + c.word.size());

        // Typed after it: the word again, and a character that most of these cannot hold,
        // which the editor then shows as the reference written.
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(cursor.selectionEnd());
        edit->setTextCursor(cursor);
        edit->insertPlainText(word + QString::fromUtf8("\xF0\x9F\x98\x80"));
        const std::string typed = c.word + c.emoji;
        EXPECT_EQ(document->text(), bytes(typed, "ab"));
        const bool escaped = c.emoji == reference;
        EXPECT_TRUE(edit->toPlainText().contains(
            word + word +
            (escaped ? QStringLiteral("&#128512;") : QString::fromUtf8("\xF0\x9F\x98\x80")) +
            QStringLiteral("</p>")));
        EXPECT_EQ(window->statusBar()->currentMessage().contains(
                      QString::fromStdString(c.charset == "gbk" ? "gb18030" : c.charset).toLower()),
                  escaped);

        // The add-in's insertion goes where the caret is.
        ASSERT_TRUE(document->createRange()->pasteHTML(object));
        EXPECT_EQ(document->text(), bytes(typed + object, "ab"));
        EXPECT_TRUE(document->all().item("FlashButton1"));

        // Replaced in, undone and done again: the bytes between the two stay.
        find.findText()->setText(QStringLiteral("ab"));
        find.replaceText()->setText(QStringLiteral("cd"));
        EXPECT_EQ(find.replaceAll(), 2);
        EXPECT_EQ(document->text(), bytes(typed + object, "cd"));
        edit->undo();
        EXPECT_EQ(document->text(), bytes(typed + object, "ab"));
        edit->redo();
        EXPECT_EQ(document->text(), bytes(typed + object, "cd"));

        // Deleted and brought back by undo: the same bytes.
        QTextCursor doomed = edit->textCursor();
        const int trickyAt = int(edit->toPlainText().indexOf(tricky));
        doomed.setPosition(trickyAt);
        doomed.setPosition(trickyAt + int(tricky.size()), QTextCursor::KeepAnchor);
        edit->setTextCursor(doomed);
        doomed.removeSelectedText();
        EXPECT_EQ(document->text().find(c.tricky), std::string::npos);
        edit->undo();
        EXPECT_EQ(document->text(), bytes(typed + object, "cd"));

        // Said once a page: another reference says nothing; undone with its typing at once,
        // leaving the caret where it was typed.
        window->statusBar()->clearMessage();
        const int second = int(edit->toPlainText().indexOf(QStringLiteral("<p>cd"))) + 3;
        typeAt(page, second, QString::fromUtf8("\xE2\x9C\x93"));
        EXPECT_NE(
            document->text().find((escaped ? "&#10003;" : "\x81\x37\xBD\x37") + std::string("cd")),
            std::string::npos);
        EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
        edit->undo();
        EXPECT_EQ(document->text(), bytes(typed + object, "cd"));
        EXPECT_EQ(edit->textCursor().position(), second);

        window->action(QStringLiteral("actionSave"))->trigger();
        EXPECT_EQ(readFile(web.path() / name), bytes(typed + object, "cd"));
    }
}

TEST_F(SourceEditing, EditsThroughTheDocumentShowAtOnceAndKeepTheUndoHistory) {
    const auto page = open("d.htm", "<html><body>\r\n<p id=a>one</p>\r\n<p id=b>two</p>\r\n"
                                    "</body></html>");
    ASSERT_TRUE(page);
    typeAt(page, 0, QStringLiteral("<!-- c -->"));
    ASSERT_TRUE(editor(page)->document()->isUndoAvailable());
    const auto element = page->document()->all().item("b");
    ASSERT_TRUE(element);
    ASSERT_TRUE(element->setOuterHTML("<p id=b>zwei \xC3\xBC</p>"));
    const SourceCodec codec = SourceCodec::forBytes(page->document()->text());
    EXPECT_EQ(editor(page)->toPlainText(), codec.decode(page->document()->text()));
    EXPECT_TRUE(editor(page)->document()->isUndoAvailable());
    // A paste of bytes that are no UTF-8 turns the page into a single-byte one.
    auto range = page->document()->createRange();
    ASSERT_TRUE(range->moveToElementText(page->document()->all().item("a")));
    ASSERT_TRUE(range->pasteHTML("<p>caf\xE9</p>"));
    EXPECT_TRUE(editor(page)->toPlainText().contains(QString::fromUtf8("caf\xC3\xA9")));
    EXPECT_TRUE(editor(page)->toPlainText().contains(QString::fromUtf8("\xC3\x83\xC2\xBC")));
    // Typing still goes to the right bytes.
    typeAt(page, 0, QStringLiteral("X"));
    EXPECT_EQ(page->document()->text().substr(0, 2), "X<");
}

TEST_F(SourceEditing, SelectionIsTheDocumentsBothWays) {
    const auto page = open("s.htm", "<p>\xC3\xA9\xC3\xA9</p><img id=i src=a.gif><object id=o>"
                                    "<param name=movie value=m.swf></object>");
    ASSERT_TRUE(page);
    const auto& document = page->document();
    // The add-in selects an element: the editor's selection covers its markup.
    auto range = document->createRange();
    ASSERT_TRUE(range->moveToElementText(document->all().item("i")));
    ASSERT_TRUE(range->select());
    EXPECT_EQ(editor(page)->textCursor().selectedText(), QStringLiteral("<img id=i src=a.gif>"));
    // The user selects in the editor: the document's selection is the same bytes.
    QTextCursor cursor = editor(page)->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor(page)->setTextCursor(cursor);
    EXPECT_EQ(document->selectionStart(), 3u);
    EXPECT_EQ(document->selectionEnd(), 7u);
    // A caret inside the OBJECT makes the OBJECT the active element.
    const int inParam = int(editor(page)->toPlainText().indexOf(QStringLiteral("movie")));
    cursor.setPosition(inParam);
    editor(page)->setTextCursor(cursor);
    ASSERT_TRUE(document->activeElement());
    EXPECT_EQ(document->activeElement()->tagName(), "OBJECT");
}

TEST_F(SourceEditing, ServedCopyMarksStartTagsAndClicksSelectElements) {
    const std::string text = "<html><body><p id=a>x</p><object id=o><param name=movie "
                             "value=m.swf><embed src=m.swf></object></body></html>";
    const auto page = open("c.htm", text);
    ASSERT_TRUE(page);
    const QByteArray served = view(page)->servedText();
    const auto p = text.find("<p");
    const auto param = text.find("<param");
    EXPECT_TRUE(served.contains(QByteArray("<p data-tlx-src=\"") +
                                QByteArray::number(qulonglong(p)) + "\" id=a>"));
    EXPECT_TRUE(served.contains("<html data-tlx-src=\"0\">"));
    // The editor's script runs in a world of its own, not from the page's text.
    EXPECT_FALSE(served.contains("<script"));
    EXPECT_EQ(page->document()->text(), text);
    // A click on the movie's PARAM or on the OBJECT selects the whole OBJECT.
    ASSERT_TRUE(view(page)->selectElementStartingAt(param));
    const auto object = page->document()->all().item("o");
    const auto span = page->document()->spanOf(object);
    ASSERT_TRUE(span);
    EXPECT_EQ(page->document()->selectionStart(), span->first);
    EXPECT_EQ(page->document()->selectionEnd(), span->second);
    EXPECT_TRUE(editor(page)->textCursor().selectedText().startsWith(QStringLiteral("<object")));
    // An offset inside text starts no element.
    EXPECT_FALSE(view(page)->selectElementStartingAt(p + 3));
    // A press on a paragraph puts the caret at the end of its text: inserting there keeps it.
    ASSERT_TRUE(view(page)->selectElementStartingAt(p));
    const auto x = text.find("x</p>") + 1;
    EXPECT_EQ(page->document()->selectionStart(), x);
    EXPECT_EQ(page->document()->selectionEnd(), x);
}

TEST_F(SourceEditing, ViewModesShowTheirPanes) {
    const auto page = open("v.htm", "<p>v</p>");
    ASSERT_TRUE(page);
    PageView* pageView = view(page);
    auto shown = [&] {
        return std::make_pair(pageView->sourceEditor()->isVisible(),
                              pageView->renderingPane()->isVisible());
    };
    EXPECT_EQ(shown(), std::make_pair(true, true));
    ASSERT_TRUE(page->SetViewMode(kViewHtml));
    EXPECT_EQ(shown(), std::make_pair(true, false));
    EXPECT_TRUE(window->action(QStringLiteral("actionViewHtml"))->isChecked());
    ASSERT_TRUE(page->SetViewMode(kViewPreview));
    EXPECT_EQ(shown(), std::make_pair(false, true));
    EXPECT_TRUE(pageView->sourceEditor()->isReadOnly());
    ASSERT_TRUE(page->SetViewMode(kViewReadOnly));
    EXPECT_EQ(shown(), std::make_pair(false, true));
    EXPECT_TRUE(window->action(QStringLiteral("actionViewPreview"))->isChecked());
    window->action(QStringLiteral("actionViewNormal"))->trigger();
    EXPECT_EQ(page->ViewMode(), kViewNormal);
    EXPECT_EQ(shown(), std::make_pair(true, true));
    EXPECT_FALSE(pageView->sourceEditor()->isReadOnly());
}

} // namespace
} // namespace tlx::host::test
