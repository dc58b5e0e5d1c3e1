// The import dialog through the scripted platform.

#include "updates/qt/ImportNew.h"

#include "common/QtTestEnvironment.h"
#include "common/ScriptedPlatform.h"
#include "updates/TestFiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace tlx::testing;

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

const std::string kCatalog = "[SingleText]{old.swf}(Old)*&[120](30)&*\r\n";

struct ImportNewTest : ::testing::Test {
    TempFolder temp;
    fs::path install = temp.path() / "install";
    fs::path package = temp.path() / "package.zip";
    ScriptedPlatform platform;
    std::unique_ptr<ImportNew> dialog;
    bool closed = false;

    void SetUp() override {
        writeFile(install / "buttons.kqz", kCatalog);
        writeFile(install / "FlashMovies" / "old.swf", "OLD");
        open();
    }
    void open() {
        dialog = std::make_unique<ImportNew>(platform, install);
        closed = false;
        QObject::connect(dialog.get(), &QDialog::finished, [this] { closed = true; });
    }
    void choose(const fs::path& path) {
        platform.openFileAnswers.push_back(path.string());
        dialog->Command1_Click();
    }
    std::string lastMessage() const {
        const auto boxes = platform.callsOf("messageBox");
        return boxes.empty() ? std::string() : boxes.back().args.at(0);
    }
};

TEST_F(ImportNewTest, ChoosingAndImportingShowEveryMessageAndCloseWhenDone) {
    EXPECT_EQ(dialog->windowTitle(), QString("Import New Flash Files!"));
    EXPECT_EQ(dialog->aFileName->text(), QString("No File Selected"));
    EXPECT_EQ(dialog->Command2->text(), QString("Import Now"));
    EXPECT_EQ(dialog->Command7->text(), QString("Cancel"));

    // Cancelling the file dialog changes nothing.
    dialog->Command1_Click();
    EXPECT_EQ(platform.callsOf("openFileDialog").at(0).args.at(0), "ZIP Archive To Import");
    EXPECT_EQ(platform.callsOf("openFileDialog").at(0).args.at(1), "Zip Files|*.zip");
    EXPECT_EQ(dialog->aFileName->text(), QString("No File Selected"));

    struct Case {
        const char* what;
        ZipEntries entries; // none: no file chosen
        std::string message;
        std::string icon;
        bool closes;
    };
    const Case cases[] = {
        {"nothing chosen", {}, "No File Selected To Import!", "16", false},
        {"no data file",
         {{"b.swf", "B"}},
         "Corrupt Import or Missing Data File Information.",
         "16",
         true},
        {"an unknown family",
         {{"impinfo.dat", "[Sounds]\r\n{s.swf}(S)\r\n"}, {"s.swf", "S"}},
         "Bad Import Data File OR Missing Mirvane Flash Data Files...Aborting!",
         "16",
         false},
        {"a good package",
         {{"impinfo.dat", "[Buttons]\r\n[SingleText]{b.swf}(B)\r\n"}, {"b.swf", "B"}},
         "Files Imported! Enjoy!",
         "64",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        if (!c.entries.empty()) {
            writeZip(package, c.entries);
            choose(package);
            EXPECT_EQ(dialog->aFileName->text().toStdString(), package.string());
        }
        dialog->Command2_Click();
        const auto box = platform.callsOf("messageBox").back().args;
        EXPECT_EQ(box, (std::vector<std::string>{c.message, "0", c.icon, "Mirvane"}));
        EXPECT_EQ(closed, c.closes);
    }
    EXPECT_EQ(readFile(install / "buttons.kqz"), kCatalog + "\r[SingleText]{b.swf}(B)");
}

TEST_F(ImportNewTest, AFileChooserThatFailsSaysWhyAndKeepsTheCaption) {
    platform.openFileFailure = "no file chooser on this desktop";
    dialog->Command1_Click();
    EXPECT_EQ(lastMessage(),
              "This command stopped on an unexpected error:\rno file chooser on this desktop");
    EXPECT_EQ(dialog->aFileName->text(), QString("No File Selected"));
}

TEST_F(ImportNewTest, ALargePackageShowsItsProgressAndCancelLeavesEverythingAsBefore) {
    ZipEntries entries;
    std::string dataFile = "[Buttons]\r\n";
    for (int i = 0; i < 500; ++i) {
        const std::string name = "m" + std::to_string(i) + ".swf";
        entries.emplace_back(name, "FWS movie " + std::to_string(i));
        dataFile += "[SingleText]{" + name + "}(M" + std::to_string(i) + ")\r\n";
    }
    entries.emplace_back("old.swf", "NEW");
    entries.emplace_back("impinfo.dat", dataFile);
    writeZip(package, entries);
    choose(package);
    const auto before = snapshot(temp.path());

    // The window's events run while it unpacks; the user presses Cancel half-way.
    std::vector<int> shown;
    for (int turn = 0; turn < 250; ++turn)
        platform.pendingEvents.push_back([&] {
            EXPECT_TRUE(dialog->Progress->isVisible() || !dialog->isVisible());
            shown.push_back(dialog->Progress->value());
            EXPECT_EQ(dialog->Progress->maximum(), 502);
        });
    platform.pendingEvents.push_back([&] { dialog->Command7_Click(); });
    dialog->Command2_Click();
    EXPECT_EQ(dialog->LastOutcome(), ImportOutcome::Cancelled);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(platform.callsOf("messageBox").empty());
    EXPECT_EQ(snapshot(temp.path()), before);
    ASSERT_EQ(shown.size(), 250u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GT(shown.back(), 200);

    // Not cancelled, it runs to the end.
    open();
    choose(package);
    dialog->Command2_Click();
    EXPECT_EQ(dialog->LastOutcome(), ImportOutcome::Imported);
    EXPECT_EQ(readFile(install / "FlashMovies" / "m499.swf"), "FWS movie 499");
    EXPECT_EQ(readFile(install / "FlashMovies" / "old.swf"), "NEW");
}

} // namespace
} // namespace tlx
