#pragma once
// The about box of the main menu: the product's name and version and links to the maker's
// web site and to the Flash player's (Ruffle's), and a button that copies the versions of the
// program and of what it runs on, for a report of a problem.

#include "platform/Platform.h"
#include "platform/qt/DialogParts.h"
#include "updates/Endpoint.h"

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string_view>

class QLabel;
class QPushButton;

namespace tlx {

inline constexpr std::string_view kAboutProductName = "Mirvane Kestrelite";
inline constexpr std::string_view kAboutVersion = "1.31";
inline constexpr std::string_view kPlayerWebSite = "https://ruffle.rs/";

// The versions for a report: the program, Qt and its web engine, Ruffle (from the package.json
// of `ruffleFolder`), the system, and where the log is. One item a line.
std::string VersionReport(const std::filesystem::path& ruffleFolder);

class AboutBox : public QDialog {
public:
    // Links open through `platform`'s shell open.
    explicit AboutBox(Platform& platform, QWidget* parent = nullptr);

    QLabel* lblProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblMaker = nullptr;
    QLabel* lblPlayer = nullptr;
    QPushButton* btCopyInfo = nullptr; // copies VersionReport to the clipboard

private:
    Platform& platform_;
};

using AboutBoxForm = DialogForm<AboutBox, "frmAbout">;

} // namespace tlx
