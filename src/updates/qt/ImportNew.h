#pragma once
// The import dialog "Import New Flash Files!": the user picks a downloaded content package and
// imports it into the library. A large package shows its progress while it unpacks and can be
// cancelled; a cancelled import leaves the library and the catalogs as they were.

#include "platform/Platform.h"
#include "platform/qt/DialogParts.h"
#include "updates/PackageImport.h"

#include <QDialog>
#include <filesystem>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tlx {

inline constexpr std::string_view kImportCaption = "Import New Flash Files!";
inline constexpr std::string_view kNoFileSelectedCaption = "No File Selected";
inline constexpr std::string_view kChooseArchiveTitle = "ZIP Archive To Import";
inline constexpr std::string_view kChooseArchiveFilter = "Zip Files|*.zip";

class ImportNew : public QDialog {
public:
    ImportNew(Platform& platform, std::filesystem::path installFolder, QWidget* parent = nullptr);

    // ---- controls
    QPushButton* Command1 = nullptr; // choose the archive
    QLabel* aFileName = nullptr;     // the chosen archive, or "No File Selected"
    QPushButton* Command2 = nullptr; // "Import Now"
    QPushButton* Command7 = nullptr; // "Cancel"
    QProgressBar* Progress = nullptr;
    QLabel* lblProgress = nullptr;

    // ---- handlers; none lets an exception out
    void Command1_Click();
    // Runs the import on this thread, letting the window's events run between entries (and
    // every few megabytes inside a large one), so that Cancel stays usable.
    void Command2_Click();
    // Closes the dialog; during an import it cancels the import first.
    void Command7_Click();

    bool Importing() const { return importing_; }
    // The outcome of the last import started here.
    std::optional<ImportOutcome> LastOutcome() const { return lastOutcome_; }

    // Escape and the window's close button cancel a running import the same way.
    void reject() override;

private:
    bool onProgress(const ImportProgress& progress);

    Platform& platform_;
    std::filesystem::path installFolder_;
    bool importing_ = false;
    bool cancelRequested_ = false;
    std::optional<ImportOutcome> lastOutcome_;
};

using ImportNewForm = DialogForm<ImportNew, "ImportNew">;

} // namespace tlx
