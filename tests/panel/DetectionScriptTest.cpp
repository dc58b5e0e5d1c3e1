// The detection script command on pages of the editor's model.

#include "panel/DetectionScript.h"

#include "BuildPaths.h"
#include "addin/AddinTestSupport.h"
#include "common/ScriptedPlatform.h"
#include "markup/TextHelpers.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

const std::string kTemplate =
    "<script type=\"text/javascript\" id=\"FLASHCheck1\">\n"
    "var flashPage = \"FlashPage.htm\";\nvar noFlashPage = \"NonPage.htm\";\n</script>\n";

class DetectionScriptTest : public ::testing::Test {
protected:
    DetectionScriptTest() : app(host::Application::create()), editor(app) {
        test::WriteFile(folder.path() / "FlashDetect.TXT", kTemplate);
        document = test::OpenPage(*app, test::kPageHead + "<p>Hello</p>" + test::kPageTail);
    }
    const std::string& Text() const { return document->text(); }
    static int Count(const std::string& text, const std::string& piece) {
        int n = 0;
        for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
            ++n;
        return n;
    }
    DetectionOutcome Run(MsgResult answer, std::optional<std::string> typed) {
        platform.messageBoxAnswers = {answer, MsgResult::Ok};
        platform.inputBoxAnswers = {std::move(typed)};
        return InsertDetectionScript(editor, platform, folder.str());
    }

    test::TempFolder folder;
    std::shared_ptr<host::Application> app;
    HostEditor editor;
    ScriptedPlatform platform;
    std::shared_ptr<host::HtmlDocument> document;
};

TEST_F(DetectionScriptTest, FirstRunOffersTheDefaultAndInsertsBeforeTheBody) {
    EXPECT_EQ(Run(MsgResult::Yes, std::string("NonFlashPage.htm")), DetectionOutcome::Inserted);
    const auto boxes = platform.callsOf("messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].args[0], std::string(kDetectionQuestion));
    EXPECT_EQ(boxes[0].args[3], "VORNE Media Mirvane Kestrelite");
    EXPECT_EQ(boxes[1].args[0], "Redirection Code Now Enabled For Non Flash Enabled Browsers.");
    EXPECT_EQ(boxes[1].args[3], "Mirvane");
    const auto inputs = platform.callsOf("inputBox");
    ASSERT_EQ(inputs.size(), 1u);
    EXPECT_EQ(inputs[0].args,
              (std::vector<std::string>{"Page To Goto If NOT a Flash Enabled Browser?", "Mirvane",
                                        "NonFlashPage.htm"}));

    const std::string expected = test::kPageHead.substr(0, test::kPageHead.find("<body>")) +
                                 FillDetectionTemplate(kTemplate, "NonFlashPage.htm") +
                                 test::kPageHead.substr(test::kPageHead.find("<body>"));
    EXPECT_EQ(Text().substr(0, expected.size()), expected);
    EXPECT_NE(Text().find("flashPage = \"This Page\""), std::string::npos);
    EXPECT_NE(Text().find("noFlashPage = \"NonFlashPage.htm\""), std::string::npos);
}

TEST_F(DetectionScriptTest, SecondRunOffersTheFirstChoiceAndLeavesOneScript) {
    Run(MsgResult::Yes, std::string("old.htm"));
    EXPECT_NE(Text().find("noFlashPage = \"old.htm\""), std::string::npos);
    platform.calls.clear();
    // Cancel at the prompt keeps the offered page.
    EXPECT_EQ(Run(MsgResult::Yes, std::nullopt), DetectionOutcome::Inserted);
    EXPECT_EQ(platform.callsOf("inputBox")[0].args[2], "old.htm");
    EXPECT_EQ(Count(Text(), "FLASHCheck1"), 1) << Text();
    EXPECT_NE(Text().find("noFlashPage = \"old.htm\""), std::string::npos);
    EXPECT_EQ(Count(Text(), "<p>Hello</p>"), 1);
}

TEST_F(DetectionScriptTest, NoViewOrMissingTemplateLeaveThePageAsItWas) {
    const std::string before = Text();
    EXPECT_EQ(Run(MsgResult::No, std::string("x.htm")), DetectionOutcome::Declined);
    EXPECT_TRUE(platform.callsOf("inputBox").empty());

    for (int mode : {2, 8}) {
        app->activePageWindow()->SetViewMode(mode);
        EXPECT_EQ(Run(MsgResult::Yes, std::string("x.htm")), DetectionOutcome::NotEditable);
    }
    app->activePageWindow()->SetViewMode(0);
    EXPECT_TRUE(platform.callsOf("inputBox").empty());
    EXPECT_EQ(Text(), before);

    std::filesystem::remove(folder.path() / "FlashDetect.TXT");
    platform.calls.clear();
    EXPECT_EQ(Run(MsgResult::Yes, std::string("x.htm")), DetectionOutcome::MissingTemplate);
    const auto boxes = platform.callsOf("messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].args[0], "Application Missing Flash Detection Script, Please Reinstall "
                                "Version 1.3+ of Kestrelite");
    EXPECT_EQ(boxes[1].args[2], std::to_string(static_cast<int>(MsgIcon::Critical)));
    EXPECT_EQ(boxes[1].args[3], "Mirvane");
    EXPECT_EQ(Text(), before);
}

TEST_F(DetectionScriptTest, AnEmptyTemplateKeepsTheEarlierScriptAndIsReportedAsMissing) {
    Run(MsgResult::Yes, std::string("old.htm"));
    const std::string before = Text();
    ASSERT_EQ(Count(before, "FLASHCheck1"), 1);
    test::WriteFile(folder.path() / "FlashDetect.TXT", "");
    platform.calls.clear();
    EXPECT_EQ(Run(MsgResult::Yes, std::string("x.htm")), DetectionOutcome::MissingTemplate);
    const auto boxes = platform.callsOf("messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].args[0], std::string(kDetectionMissingTemplate));
    EXPECT_TRUE(platform.callsOf("inputBox").empty());
    EXPECT_EQ(Text(), before) << "the page keeps its working script";
}

TEST_F(DetectionScriptTest, PlaceholdersAreReplacedInOrderAndTypedQuotesCannotBreakTheScript) {
    EXPECT_EQ(FillDetectionTemplate("a=\"flashpage.HTM\" b=\"NonPage.htm\"", "MyFlashPage.htm"),
              "a=\"This Page\" b=\"MyFlashPage.htm\"");
    EXPECT_EQ(ScriptSafePageAddress("sub/old page.htm?x=1#top"), "sub/old page.htm?x=1#top");
    EXPECT_EQ(ScriptSafePageAddress("a\"</script>\\b\r\n"), "a%22%3C/script%3E%5Cb");

    Run(MsgResult::Yes, std::string("x\";alert(1);//"));
    EXPECT_NE(Text().find("noFlashPage = \"x%22;alert(1);//\""), std::string::npos) << Text();
    platform.calls.clear();
    Run(MsgResult::Yes, std::nullopt);
    EXPECT_EQ(platform.callsOf("inputBox")[0].args[2], "x%22;alert(1);//");
}

TEST_F(DetectionScriptTest, TakesThePageLineEndsAndARerunLeavesThePageAsTheFirstRunDid) {
    EXPECT_EQ(WithLineEnds("a\r\nb\rc\nd\r", "\n"), "a\nb\nc\nd\n");
    EXPECT_EQ(WithLineEnds("a\nb\r\n", "\r\n"), "a\r\nb\r\n");

    // The shipped template ends its lines in CR LF; this page in LF.
    test::WriteFile(folder.path() / "FlashDetect.TXT", WithLineEnds(kTemplate, "\r\n"));
    ASSERT_EQ(Run(MsgResult::Yes, std::string("old.htm")), DetectionOutcome::Inserted);
    const std::string first = Text();
    EXPECT_EQ(first.find('\r'), std::string::npos) << first;
    EXPECT_NE(first.find("noFlashPage = \"old.htm\";\n</script>\n<body>"), std::string::npos)
        << first;
    for (int run = 0; run < 3; ++run) {
        ASSERT_EQ(
            Run(MsgResult::Yes, run == 1 ? std::optional<std::string>("old.htm") : std::nullopt),
            DetectionOutcome::Inserted);
        EXPECT_EQ(Text(), first) << "run " << run + 2;
    }

    // A page whose lines end in CR LF gets CR LF.
    document =
        test::OpenPage(*app, WithLineEnds(test::kPageHead + "<p>x</p>" + test::kPageTail, "\r\n"));
    test::WriteFile(folder.path() / "FlashDetect.TXT", kTemplate);
    ASSERT_EQ(Run(MsgResult::Yes, std::nullopt), DetectionOutcome::Inserted);
    EXPECT_NE(Text().find("id=\"FLASHCheck1\">\r\nvar flashPage"), std::string::npos) << Text();
    EXPECT_EQ(Count(Text(), "\n"), Count(Text(), "\r\n")) << Text();
}

TEST_F(DetectionScriptTest,
       TheShippedTemplateSendsBrowsersWithoutScriptsOnAndARerunKeepsOneOfEach) {
    // The shipped template: a visitor without JavaScript is sent on by the element after the
    // script, which a rerun replaces along with the script.
    const std::string shipped =
        ReadWholeFile(std::string(TLX_SOURCE_DIR) + "/data/install/flashdetect.txt");
    ASSERT_NE(shipped.find("FLASHCheck1NoScript"), std::string::npos);
    test::WriteFile(folder.path() / "FlashDetect.TXT", shipped);
    ASSERT_EQ(Run(MsgResult::Yes, std::string("old.htm")), DetectionOutcome::Inserted);
    const std::string first = Text();
    EXPECT_NE(first.find("<noscript id=\"FLASHCheck1NoScript\"><meta http-equiv=\"refresh\" "
                         "content=\"0; url=old.htm\"></noscript>"),
              std::string::npos)
        << first;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Run(MsgResult::Yes, std::nullopt), DetectionOutcome::Inserted);
        EXPECT_EQ(Text(), first) << "run " << run + 2;
    }
    ASSERT_EQ(Run(MsgResult::Yes, std::string("other.htm")), DetectionOutcome::Inserted);
    EXPECT_EQ(Count(Text(), "FLASHCheck1NoScript"), 1) << Text();
    EXPECT_EQ(Count(Text(), "id=\"FLASHCheck1\""), 1) << Text();
    EXPECT_NE(Text().find("url=other.htm"), std::string::npos) << Text();
    EXPECT_EQ(Text().find("old.htm"), std::string::npos) << Text();
}

} // namespace
} // namespace tlx
