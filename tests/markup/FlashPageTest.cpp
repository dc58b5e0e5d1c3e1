// The markup routines on real pages, with the editor's own document and application models
// behind HostEditor.

#include "common/ScriptedPlatform.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "markup/FlashFix.h"
#include "markup/FlashObject.h"
#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tlx;

namespace {

// The rewritten form of an object with these values.
std::string Canonical(const std::string& id, const std::string& movie, const std::string& width,
                      const std::string& height, const std::string& bgcolor,
                      const std::string& wmode, const std::string& salign = "") {
    FlashObject object;
    object.Id = id;
    object.MovieRef = movie;
    object.Width = width;
    object.Height = height;
    object.Background = bgcolor;
    object.WMode = wmode;
    object.SAlign = salign;
    return FlashObjectMarkup(object, SAlignPlacement::BeforeFlashVars);
}

// An owned object as another editor leaves it: lower-case tags, quoted attributes, "&amp;",
// a Play parameter and no FlashVars.
std::string AlteredObject(const std::string& id, const std::string& query,
                          const std::string& eol = "\n") {
    return "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" codebase=\"https://"
           "download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,23,0\" "
           "id=\"" +
           id + "\" name=\"" + id + "\" width=\"150\" height=\"40\">" + eol +
           "  <param name=\"movie\" value=\"b1.swf?" + query + "\">" + eol +
           "  <param name=\"quality\" value=\"high\">" + eol +
           "  <param name=\"bgcolor\" value=\"#FFFFFF\">" + eol +
           "  <param name=\"WMode\" value=\"transparent\">" + eol +
           "  <param name=\"Play\" value=\"-1\">" + eol + "  <param name=\"SAlign\" value=\"lt\">" +
           eol + "  <embed src=\"b1.swf?" + query +
           "\" quality=\"high\" width=\"150\" height=\"40\"></embed>" + eol + "</object>";
}

class FlashPage : public ::testing::Test {
protected:
    FlashPage() : app_(host::Application::create()), editor_(app_) {}

    // A new page holding `text`, made the active page.
    std::shared_ptr<host::HtmlDocument> open(const std::string& text) {
        window_ = app_->newPage();
        auto document = window_->document();
        document->replaceRange(0, document->text().size(), text);
        return document;
    }
    std::shared_ptr<host::HtmlDocument> document() const { return window_->document(); }
    const std::string& text() const { return window_->document()->text(); }
    // Puts the selection over the first occurrence of `piece` in the page.
    void select(const std::string& piece) {
        const std::size_t at = text().find(piece);
        ASSERT_NE(at, std::string::npos) << piece;
        document()->setSelection(at, at + piece.size());
    }
    void caretBefore(const std::string& piece) {
        const std::size_t at = text().find(piece);
        ASSERT_NE(at, std::string::npos) << piece;
        document()->setSelection(at, at);
    }

    std::shared_ptr<host::Application> app_;
    HostEditor editor_;
    host::PageWindowHandle window_;
};

const std::string kHead = "<html><head><title>T</title></head><body>\n";
const std::string kTail = "\n</body></html>\n";

} // namespace

// ---- sequence numbers --------------------------------------------------------------------

TEST_F(FlashPage, NextObjectNumberCountsOwnedFlashObjectsOfEveryKind) {
    open(kHead + "<p>no objects</p>" + kTail);
    EXPECT_EQ(NextObjectNumber(editor_), "001");

    open(kHead + Canonical("oKestreliteBT001", "b.swf?T1=a", "1", "1", "#000000", "OPAQUE") +
         Canonical("oKestreliteHD007", "h.swf?T1=a", "1", "1", "#000000", "OPAQUE") +
         Canonical("OKESTRELITEBT050", "b.swf", "1", "1", "#000000", "OPAQUE") +
         Canonical("oFromFileFL090", "f.swf", "1", "1", "#000000", "OPAQUE") +
         // Named like an owned object but no Flash movie in it.
         "<object id=oKestreliteCL080><param name=src value=x.avi></object>" + kTail);
    EXPECT_EQ(NextObjectNumber(editor_), "008");

    open(kHead + Canonical("oKestreliteMV998", "m.swf", "1", "1", "#000000", "OPAQUE") + kTail);
    EXPECT_EQ(NextObjectNumber(editor_), "999");
    open(kHead + Canonical("oKestreliteMV999", "m.swf", "1", "1", "#000000", "OPAQUE") + kTail);
    EXPECT_EQ(NextObjectNumber(editor_), "");
    open(kHead + "<object id=\"oKestreliteMV 42\"><param name=movie value=\"m.swf\"></object>" +
         kTail);
    EXPECT_EQ(NextObjectNumber(editor_), "043"); // leading blanks skipped
}

// ---- the writer -----------------------------------------------------------------------------

TEST_F(FlashPage, InsertAtTheCaretLeavesTheRewrittenFormWithZeroWeighting) {
    open(kHead + "<p>Before</p><p>After</p>" + kTail);
    caretBefore("<p>After");
    InsertFlashObject(editor_, "oKestreliteBT001", "b1.swf?T1=Go", "150", "40", "#FFFFFF",
                      "transparent", "", false);
    EXPECT_EQ(text(), kHead + "<p>Before</p>" +
                          Canonical("oKestreliteBT001", "b1.swf?T1=Go&CWR=0&CWG=0&CWB=0", "150",
                                    "40", "#FFFFFF", "TRANSPARENT") +
                          "<p>After</p>" + kTail);
    EXPECT_NE(text().find("<PARAM NAME=FlashVars VALUE=\"T1=Go&CWR=0&CWG=0&CWB=0\">"),
              std::string::npos);
    EXPECT_EQ(NextObjectNumber(editor_), "002");
}

TEST_F(FlashPage, LocalFilesGetNoWeightingAndMayHaveNoFlashVars) {
    open(kHead + "<p>x</p>" + kTail);
    caretBefore("<p>x");
    InsertFlashObject(editor_, "oFromFileFL001", "clip.swf", "100%", "100%", "#000000", "opaque",
                      "", false);
    EXPECT_EQ(text(),
              kHead + Canonical("oFromFileFL001", "clip.swf", "100%", "100%", "#000000", "OPAQUE") +
                  "<p>x</p>" + kTail);
    EXPECT_NE(text().find("<PARAM NAME=FlashVars VALUE=\"\">"), std::string::npos);
    EXPECT_EQ(text().find("CWR"), std::string::npos);
}

TEST_F(FlashPage, ReplaceKeepsTheColourWeightingOfTheSelectedObject) {
    const std::string old = Canonical("oKestreliteHD003", "h.swf?T1=Old&CWR=40&CWG=-10&CWB=0",
                                      "300", "60", "#FF0000", "OPAQUE");
    open(kHead + "<p>a</p>" + old + "<p>b</p>" + kTail);
    select(old);
    ASSERT_NE(document()->activeElement(), nullptr);
    InsertFlashObject(editor_, "oKestreliteHD003", "h2.swf?T1=New+Text", "320", "64", "#00FF00",
                      "transparent", "", true);
    EXPECT_EQ(text(), kHead + "<p>a</p>" +
                          Canonical("oKestreliteHD003", "h2.swf?T1=New+Text&CWR=40&CWG=-10&CWB=0",
                                    "320", "64", "#00FF00", "TRANSPARENT") +
                          "<p>b</p>" + kTail);
}

TEST_F(FlashPage, ReplaceReadsWeightingThroughTheEditorsAmpersands) {
    open(kHead + AlteredObject("oKestreliteBT002", "T1=Hi&amp;CWR=5&amp;CWG=6&amp;CWB=-7") + kTail);
    caretBefore("<param name=\"quality\""); // a caret inside the object selects it
    InsertFlashObject(editor_, "oKestreliteBT002", "b9.swf?T1=Hi", "150", "40", "#FFFFFF", "opaque",
                      "", true);
    EXPECT_EQ(text(), kHead +
                          Canonical("oKestreliteBT002", "b9.swf?T1=Hi&CWR=5&CWG=6&CWB=-7", "150",
                                    "40", "#FFFFFF", "OPAQUE") +
                          kTail);
}

TEST_F(FlashPage, ReplaceWithoutASelectedObjectLeavesThePageAlone) {
    // A caret in text makes the paragraph, or the body itself, the active element: replacing
    // "the selected object" then would throw away that text.
    const std::string page = kHead + "<p>keep this</p>" + kTail;
    open(page);
    caretBefore("this");
    InsertFlashObject(editor_, "oKestreliteHD003", "h2.swf?T1=New", "320", "64", "#00FF00",
                      "opaque", "", true);
    EXPECT_EQ(text(), page);
    caretBefore("\n</body>");
    InsertFlashObject(editor_, "oKestreliteHD003", "h2.swf?T1=New", "320", "64", "#00FF00",
                      "opaque", "", true);
    EXPECT_EQ(text(), page);
}

TEST_F(FlashPage, InsertWithoutAPageDoesNothing) {
    InsertFlashObject(editor_, "oKestreliteBT001", "b1.swf?T1=Go", "1", "1", "#000000", "", "",
                      false);
    EXPECT_EQ(editor_.ActiveDocument(), nullptr);
}

TEST_F(FlashPage, WithNumbersUsedUpTheNewObjectIsStillTheOneRewritten) {
    // Two objects end up with the same ID once the numbers are used up; the one pasted is the
    // one put into its rewritten form, the other stays as it was.
    const std::string first = "<OBJECT ID=oKestreliteBT NAME=oKestreliteBT WIDTH=1 HEIGHT=1>"
                              "<PARAM NAME=movie VALUE=\"a.swf?T1=First\"><param name=Play "
                              "value=-1></OBJECT>";
    open(kHead + first + "<p>end</p>" + kTail);
    caretBefore("<p>end");
    InsertFlashObject(editor_, "oKestreliteBT", "b.swf?T1=Second", "2", "2", "#000000", "opaque",
                      "", false);
    EXPECT_EQ(text(), kHead + first +
                          Canonical("oKestreliteBT", "b.swf?T1=Second&CWR=0&CWG=0&CWB=0", "2", "2",
                                    "#000000", "OPAQUE") +
                          "<p>end</p>" + kTail);
}

// ---- the rewrite and its tests ------------------------------------------------------------

TEST_F(FlashPage, RewriteKeepsOnlyTheValuesTheAddInWrites) {
    auto doc = open(kHead + AlteredObject("oKestreliteBT001", "T1=Go&amp;TC=FF0000") + kTail);
    const ElementPtr object = doc->all().tags("OBJECT").item(std::size_t{0});
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(RewriteObjectMarkup(*object), Canonical("oKestreliteBT001", "b1.swf?T1=Go&TC=FF0000",
                                                      "150", "40", "#FFFFFF", "TRANSPARENT", "LT"));
}

TEST_F(FlashPage, RecognisesFlashObjectsAndAlteredMarkup) {
    const std::string clean =
        Canonical("oKestreliteBT001", "b.swf?T1=a&CWR=0", "1", "1", "#000000", "OPAQUE");
    const std::string ampersand = "<OBJECT ID=x1><PARAM NAME=movie VALUE=\"c.swf?A=1&amp;B=2\">"
                                  "<PARAM NAME=FlashVars VALUE=\"A=1\"></OBJECT>";
    const std::string noFlashVars = "<OBJECT ID=x2><PARAM NAME=Movie VALUE=\"c.swf\"></OBJECT>";
    const std::string codebaseOnly =
        "<OBJECT ID=x3 codebase=\"http://example.com/flash/swflash.cab\"></OBJECT>";
    const std::string otherControl =
        "<OBJECT ID=x4 classid=\"clsid:05589FA1-C356-11CE-BF01-00AA0055595A\">"
        "<PARAM NAME=FileName VALUE=\"clip.avi\"></OBJECT>";
    auto doc = open(kHead + clean + ampersand + noFlashVars + codebaseOnly + otherControl +
                    AlteredObject("oKestreliteBT002", "T1=b") + "<p>text</p>" + kTail);
    const ElementCollection objects = doc->all().tags("OBJECT");
    ASSERT_EQ(objects.size(), 6u);
    const bool flash[] = {true, true, true, true, false, true};
    const bool altered[] = {false, true, true, false, false, true};
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(IsFlashObjectElement(*objects.item(i)), flash[i]) << i;
        EXPECT_EQ(NeedsFix(*objects.item(i)), altered[i]) << i;
    }
    const ElementPtr paragraph = doc->all().tags("P").item(std::size_t{0});
    ASSERT_NE(paragraph, nullptr);
    EXPECT_FALSE(IsFlashObjectElement(*paragraph));
    EXPECT_FALSE(NeedsFix(*paragraph));
}

// ---- fixing pages written by other hands --------------------------------------------------

TEST_F(FlashPage, FixRewritesOwnedObjectsAndKeepsEveryOtherByte) {
    const std::string eol = "\r\n";
    const std::string before = "<HTML>\r\n<head><meta charset=iso-8859-1>\r\n"
                               "<script>if (a < b && c) { document.write('<object>'); }</script>"
                               "\r\n</head>\r\n<Body   BGCOLOR=white>\r\n<!-- a comment: "
                               "<object id=oKestreliteBT009> -->\r\n<p>Caf\xe9 cr\xe8me</p>\r\n";
    const std::string owned = AlteredObject("oKestreliteBT001", "T1=Caf\xe9&amp;CWR=0", eol);
    const std::string middle = "\r\n<P CLASS=x>  odd   spacing </P>\r\n";
    const std::string foreign = AlteredObject("flashintro", "T1=Theirs&amp;A=1", eol);
    const std::string droppedVars =
        "<OBJECT ID=oKestreliteHD002 NAME=oKestreliteHD002 WIDTH=10 HEIGHT=20>"
        "<PARAM NAME=movie VALUE=\"h.swf?T1=Head&CWR=0\"><PARAM NAME=bgcolor VALUE=#123456>"
        "<PARAM NAME=WMode VALUE=Opaque></OBJECT>";
    const std::string after = "\r\n</Body>\r\n</HTML>\r\n";
    open(before + owned + middle + foreign + middle + droppedVars + after);

    const FixResult result = FixFlashObjects(editor_);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.rewritten, 2u);
    EXPECT_EQ(text(), before +
                          Canonical("oKestreliteBT001", "b1.swf?T1=Caf\xe9&CWR=0", "150", "40",
                                    "#FFFFFF", "TRANSPARENT", "LT") +
                          middle + foreign + middle +
                          Canonical("oKestreliteHD002", "h.swf?T1=Head&CWR=0", "10", "20",
                                    "#123456", "OPAQUE") +
                          after);

    // Fixing the fixed page changes nothing.
    const std::string fixed = text();
    int updates = 0;
    Subscription counting = document()->onafterupdate().connect([&] { ++updates; });
    const FixResult again = FixFlashObjects(editor_);
    EXPECT_EQ(again.rewritten, 0u);
    EXPECT_FALSE(again.failed);
    EXPECT_EQ(text(), fixed);
    EXPECT_EQ(updates, 0);
}

TEST_F(FlashPage, FixWithoutAPageFails) {
    EXPECT_TRUE(FixFlashObjects(editor_).failed);
}

// ---- the save-time check ------------------------------------------------------------------

TEST_F(FlashPage, SaveTimeCheckLeavesACleanPageAlone) {
    const std::string page =
        kHead + Canonical("oKestreliteBT001", "b.swf?T1=a&CWR=0", "1", "1", "#000000", "OPAQUE") +
        kTail;
    open(page);
    ScriptedPlatform platform;
    EXPECT_FALSE(BeforeSaveCheck(editor_, platform));
    EXPECT_EQ(platform.progressFormsShown, 0);
    EXPECT_EQ(text(), page);
}

TEST_F(FlashPage, SaveTimeCheckRemovesAPlayParameter) {
    const std::string clean =
        Canonical("oKestreliteBT001", "b.swf?T1=a&CWR=0", "1", "1", "#000000", "OPAQUE");
    std::string played = clean;
    played.insert(played.find("<EMBED"), "<PARAM NAME=Play VALUE=0>");
    open(kHead + played + kTail);
    ScriptedPlatform platform;
    EXPECT_TRUE(BeforeSaveCheck(editor_, platform));
    EXPECT_EQ(platform.progressFormsShown, 1);
    EXPECT_EQ(platform.progressFormsOpen, 0);
    ASSERT_EQ(platform.progressLabels.size(), 1u);
    EXPECT_EQ(platform.progressLabels[0], "Running Cross Browser Check/Fix On Flash Objects.");
    EXPECT_EQ(text(), kHead + clean + kTail);
}

TEST_F(FlashPage, SaveTimeCheckOnAnotherMakersObjectChangesNothing) {
    const std::string page =
        kHead + AlteredObject("theirMovie", "T1=x&amp;B=2") + "<p>x</p>" + kTail;
    open(page);
    ScriptedPlatform platform;
    EXPECT_TRUE(BeforeSaveCheck(editor_, platform));
    EXPECT_EQ(platform.progressFormsShown, 1);
    EXPECT_EQ(platform.progressFormsOpen, 0);
    EXPECT_EQ(text(), page);
}

TEST_F(FlashPage, SaveTimeCheckDoesNothingInViewsThatCannotBeEdited) {
    const std::string page = kHead + AlteredObject("oKestreliteBT001", "T1=x&amp;B=2") + kTail;
    for (const int mode : {2, 8}) {
        open(page);
        ASSERT_TRUE(window_->SetViewMode(mode));
        ScriptedPlatform platform;
        EXPECT_FALSE(BeforeSaveCheck(editor_, platform));
        EXPECT_EQ(platform.progressFormsShown, 0);
        EXPECT_EQ(text(), page);
    }
}

TEST_F(FlashPage, SavingThroughTheEditorWritesTheFixedPage) {
    const fs::path folder =
        fs::temp_directory_path() / ("tlx-markup-save-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "page.htm";
    std::ofstream(file, std::ios::binary)
        << kHead + AlteredObject("oKestreliteBT001", "T1=x") + kTail;

    window_ = app_->openPage(file);
    ASSERT_NE(window_, nullptr);
    ScriptedPlatform platform;
    Subscription hook = app_->OnBeforePageSave().connect(
        [&](const PageWindowPtr&, bool, bool&) { BeforeSaveCheck(editor_, platform); });
    ASSERT_TRUE(app_->savePage(window_));
    std::ifstream in(file, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, kHead +
                         Canonical("oKestreliteBT001", "b1.swf?T1=x", "150", "40", "#FFFFFF",
                                   "TRANSPARENT", "LT") +
                         kTail);
    fs::remove_all(folder);
}

TEST_F(FlashPage, SaveWhoseRepairFailsKeepsTheTypedPageAndSaysWhy) {
    const fs::path folder =
        fs::temp_directory_path() / ("tlx-markup-savefail-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "page.htm";
    const std::string typed = kHead + AlteredObject("oKestreliteBT001", "T1=x") + kTail;
    std::ofstream(file, std::ios::binary) << kHead + kTail;

    window_ = app_->openPage(file);
    ASSERT_NE(window_, nullptr);
    window_->document()->replaceRange(0, text().size(), typed);
    ScriptedPlatform platform;
    platform.progressFormFailure = "no display for the progress form";
    Subscription hook = app_->OnBeforePageSave().connect(
        [&](const PageWindowPtr&, bool, bool&) { BeforeSaveCheck(editor_, platform); });
    ASSERT_TRUE(app_->savePage(window_));
    std::ifstream in(file, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, typed);
    EXPECT_EQ(app_->statusText(), "The Flash objects were not repaired before saving: no display "
                                  "for the progress form. The page was saved as typed.");
    fs::remove_all(folder);
}

// ---- the scan on request ------------------------------------------------------------------

TEST_F(FlashPage, ScanOnRequestAsksFirst) {
    const std::string page = kHead + AlteredObject("oKestreliteBT001", "T1=x") + kTail;
    open(page);
    ScriptedPlatform platform;
    platform.messageBoxAnswers = {MsgResult::No};
    ScanAndFixOnRequest(editor_, platform);
    EXPECT_EQ(text(), page);
    const auto asked = platform.callsOf("messageBox");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].args[0],
              "Performing this function will scan your\rcurrent document for changes made to "
              "any Flash\rObjects by either Frontpage or the Flash 6 Player\rand correct "
              "them.\r\rThis should also rectify cross browser issues\rin respect to resizing "
              "and/or using FrontPages ActiveX Control \rProperties instead of the Kestrelite "
              "Properties options.\r\rDo you wish to continue? (Recommend Yes)");
    EXPECT_EQ(asked[0].args.back(), "VORNE Media Mirvane Kestrelite");

    platform.messageBoxAnswers = {MsgResult::Yes};
    ScanAndFixOnRequest(editor_, platform);
    EXPECT_EQ(text(), kHead +
                          Canonical("oKestreliteBT001", "b1.swf?T1=x", "150", "40", "#FFFFFF",
                                    "TRANSPARENT", "LT") +
                          kTail);
    const auto reported = platform.callsOf("messageBox");
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[2].args.front(), "Scan Complete");
    EXPECT_EQ(reported[2].args.back(), "VORNE Media Mirvane");
}

TEST_F(FlashPage, ScanOnRequestWithoutAPageReportsNoSuccess) {
    ScriptedPlatform platform;
    platform.messageBoxAnswers = {MsgResult::Yes};
    ScanAndFixOnRequest(editor_, platform);
    EXPECT_EQ(platform.callsOf("messageBox").size(), 1u);
}

// ---- the page's folder --------------------------------------------------------------------

TEST_F(FlashPage, PageFolderIsTheFolderHoldingThePage) {
    const fs::path web =
        fs::canonical(fs::temp_directory_path()) / ("tlx-markup-web-" + std::to_string(::getpid()));
    fs::create_directories(web / "sub" / "dir");
    fs::create_directories(web / "my dir" / "caf\xc3\xa9");
    std::ofstream(web / "sub" / "dir" / "page.htm") << kHead + kTail;
    std::ofstream(web / "my dir" / "caf\xc3\xa9" / "a page.htm") << kHead + kTail;
    std::ofstream(web / "index.htm") << kHead + kTail;
    ASSERT_TRUE(app_->openWeb(web));

    ASSERT_NE(app_->openPage(web / "sub" / "dir" / "page.htm"), nullptr);
    FolderPtr folder = GetPageFolder(editor_);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(fs::path(folder->LocalPath()), web / "sub" / "dir");

    // Names that addresses write with escapes.
    ASSERT_NE(app_->openPage(web / "my dir" / "caf\xc3\xa9" / "a page.htm"), nullptr);
    folder = GetPageFolder(editor_);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(fs::path(folder->LocalPath()), web / "my dir" / "caf\xc3\xa9");

    ASSERT_NE(app_->openPage(web / "index.htm"), nullptr);
    folder = GetPageFolder(editor_);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(fs::path(folder->LocalPath()), web);

    app_->newPage();
    folder = GetPageFolder(editor_);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(fs::path(folder->LocalPath()), web);
    fs::remove_all(web);
}

TEST_F(FlashPage, AnObjectInsideAnotherOwnedObjectIsRewrittenAndTheOuterOneKept) {
    // The outer object's rewrite would drop the inner object (and let the next fix find the
    // outer one altered again): the inner object is rewritten, the outer one stays as it is.
    const std::string inner = AlteredObject("oKestreliteBT002", "T1=in");
    const std::string outerStart = "<object id=oKestreliteHD001 width=5 height=6>"
                                   "<param name=movie value=\"h.swf?T1=out&amp;CWR=1\">";
    open(kHead + outerStart + inner + "</object><p>after</p>" + kTail);
    const FixResult result = FixFlashObjects(editor_);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.rewritten, 1u);
    EXPECT_EQ(text(), kHead + outerStart +
                          Canonical("oKestreliteBT002", "b1.swf?T1=in", "150", "40", "#FFFFFF",
                                    "TRANSPARENT", "LT") +
                          "</object><p>after</p>" + kTail);
}

TEST_F(FlashPage, RewriteOfOddValuesKeepsThemAndAddsNoMarkup) {
    // Values the page holds escaped stay values after the rewrite: they neither turn into tags
    // nor spill into other attributes, and the fix stays settled.
    const std::string odd =
        "<object id=\"oKestreliteMV 42\" width=\"150\" height=\"40\">"
        "<param name=\"movie\" value=\"m.swf?T1=a\">"
        "<param name=\"bgcolor\" value=\"#fff&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">"
        "<param name=\"WMode\" value=\"a b\"></object>";
    auto doc = open(kHead + odd + kTail);
    const FixResult result = FixFlashObjects(editor_);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.rewritten, 1u);
    EXPECT_EQ(doc->all().tags("SCRIPT").size(), 0u) << text();

    const ElementPtr object = doc->all().item("oKestreliteMV 42");
    ASSERT_NE(object, nullptr) << text();
    EXPECT_EQ(object->width(), "150");
    std::string colour;
    std::string wmode;
    for (const ElementPtr& param : object->all().tags("PARAM")) {
        if (param->name() == "bgcolor")
            colour = param->value();
        if (param->name() == "WMode")
            wmode = param->value();
    }
    EXPECT_EQ(colour, "#fff><script>alert(1)</script>");
    EXPECT_EQ(wmode, "A B");
    EXPECT_FALSE(NeedsFix(*object)) << object->outerHTML();

    const std::string fixed = text();
    EXPECT_EQ(FixFlashObjects(editor_).rewritten, 0u);
    EXPECT_EQ(text(), fixed);
}

TEST_F(FlashPage, RewriteWithoutWidthOrColourKeepsTheOtherAttributes) {
    // Written empty and unquoted, a value would take the next attribute for itself: the height,
    // or the FlashVars of the EMBED.
    auto doc = open(kHead +
                    "<object id=oKestreliteBT003 height=40>"
                    "<param name=movie value=\"b.swf?T1=b\"></object>" +
                    kTail);
    EXPECT_EQ(FixFlashObjects(editor_).rewritten, 1u);
    const ElementPtr object = doc->all().item("oKestreliteBT003");
    ASSERT_NE(object, nullptr) << text();
    EXPECT_EQ(object->width(), "");
    EXPECT_EQ(object->height(), "40");
    const ElementPtr embed = object->all().tags("EMBED").item(std::size_t{0});
    ASSERT_NE(embed, nullptr);
    EXPECT_EQ(embed->getAttribute("FlashVars"), "T1=b");
    EXPECT_EQ(embed->getAttribute("bgcolor"), "");
    EXPECT_EQ(embed->getAttribute("height"), "40");

    const std::string fixed = text();
    EXPECT_EQ(FixFlashObjects(editor_).rewritten, 0u);
    EXPECT_EQ(text(), fixed);
}

// ---- pages the fuzzing of the fix found -------------------------------------------------

// Each page: how many objects its fix rewrites, a piece the fixed page must hold, and whether
// the save-time check flags it before the fix. After the fix a second fix changes nothing and
// the check flags no owned object.
TEST_F(FlashPage, FixIsStableAndAgreesWithTheCheckOnMalformedPages) {
    const std::string playText = Canonical("oKestreliteBT001", "play.swf?T1=Play+now&TC=PLAY", "1",
                                           "1", "#PLAY00", "PLAYFUL");
    struct Case {
        const char* what;
        std::string page;
        std::size_t rewritten;
        std::string kept;
        bool flagged;
    };
    const Case cases[] = {
        {"a character reference in the movie reads back as the fix read it",
         "<object id=oKestreliteBT003 codebase=flash><param name=movie "
         "value=\"a.swf?T1=Fish&amp;lt;3\"></object>",
         1, "VALUE=\"a.swf?T1=Fish&#38;lt;3\"", true},
        {"an owned object inside another keeps the outer one whole",
         "<object id=oKestreliteBT004 codebase=flash><param name=movie value=\"o.swf\">"
         "<object id=oKestreliteBT005 codebase=flash><param name=movie value=\"i.swf\">"
         "<param name=play value=1></object></object>",
         1, "<object id=oKestreliteBT004 codebase=flash><param name=movie value=\"o.swf\">", true},
        {"an unclosed object would take the rest of the page with it",
         "<object id=oKestreliteBT006 codebase=flash><param name=movie value=\"u.swf\"><p>rest", 0,
         "<p>rest", false},
        {"an object the fix does not take for Flash is not flagged either",
         "<object id=oKestreliteBT001 data=\"movie.swf\" type=\"application/x-shockwave-flash\">",
         0, "data=\"movie.swf\"", false},
        {"Play in a text, a colour or a movie name is no sign of another editor", playText, 0,
         playText, false},
        {"a play attribute on the EMBED is",
         "<object id=oKestreliteBT007 codebase=flash><param name=movie value=\"p.swf\">"
         "<param name=FlashVars value=\"\"><embed src=\"p.swf\" play=true></embed></object>",
         1, "<OBJECT", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = open(kHead + c.page + kTail);
        bool flagged = false;
        for (const ElementPtr& object : doc->all().tags("OBJECT"))
            flagged = flagged || NeedsFix(*object);
        EXPECT_EQ(flagged, c.flagged);
        const FixResult first = FixFlashObjects(editor_);
        EXPECT_EQ(first.rewritten, c.rewritten) << text();
        EXPECT_NE(text().find(c.kept), std::string::npos) << text();
        const std::string fixed = text();
        EXPECT_EQ(FixFlashObjects(editor_).rewritten, 0u);
        EXPECT_EQ(text(), fixed);
        for (const ElementPtr& object : doc->all().tags("OBJECT"))
            EXPECT_FALSE(NeedsFix(*object)) << object->outerHTML();
    }
    // The movie reference reads back as it was read before the fix.
    open("<object id=oKestreliteBT003 codebase=flash><param name=movie "
         "value=\"a.swf?T1=Fish&amp;lt;3\"></object>");
    FixFlashObjects(editor_);
    const ElementPtr object = document()->all().tags("OBJECT").item(std::size_t{0});
    ASSERT_NE(object, nullptr);
    for (const ElementPtr& param : object->all().tags("PARAM")) {
        if (param->name() == "movie") {
            EXPECT_EQ(param->value(), "a.swf?T1=Fish&lt;3");
        }
    }
}
