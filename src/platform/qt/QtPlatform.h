#pragma once
// The platform services on the Qt desktop. Each window is built by a function of its own so
// that its content can be checked without running its modal loop.

#include "platform/Platform.h"

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <QUrl>
#include <memory>

class QAction;
class QFileDialog;
class QInputDialog;
class QLabel;
class QMenu;
class QMessageBox;
class QNetworkAccessManager;
class QWidget;

namespace tlx {

// Texts from the add-in are UTF-8; bytes that are not valid UTF-8 come from single-byte data
// files and are read as Windows-1252 so that nothing turns into replacement characters.
QString toQString(const std::string& text);
std::string fromQString(const QString& text);

// A prompt whose lines are joined by carriage returns (an empty line being two) as shown text:
// every CR, CR LF or lone LF becomes one line break.
QString promptText(const std::string& prompt);

// The classic filter "Name (*.swf)|*.swf|All (*.*)|*.*" as a Qt name filter list. Patterns
// match names in either letter case and "*.*" means every file.
QString convertFileFilter(const std::string& classicFilter);

// Colours with red in the lowest byte.
QColor colourToQColor(int colour);
int qColorToColour(const QColor& colour);

std::unique_ptr<QMessageBox> buildMessageBox(const std::string& prompt, MsgButtons buttons,
                                             MsgIcon icon, const std::string& title,
                                             QWidget* parent = nullptr);
// The answer of a message box after it closed; the escape answer when no button was clicked.
MsgResult messageBoxResult(const QMessageBox& box);

std::unique_ptr<QInputDialog> buildInputDialog(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText,
                                               QWidget* parent = nullptr);
std::unique_ptr<QFileDialog> buildFileDialog(const FileDialogOptions& options, bool save,
                                             QWidget* parent = nullptr);

// A popup menu whose actions carry their command numbers as data (separators and submenus
// carry none). An entry with entries of its own, or with command 0, is a submenu.
std::unique_ptr<QMenu> buildPopupMenu(const std::vector<MenuEntry>& entries,
                                      QWidget* parent = nullptr);
// The command number of a chosen action, 0 for none.
int commandOf(const QAction* action);

// What the shell open does with a target: the address to hand to the desktop, or the classic
// error code (<= 32) when the target is refused.
struct ShellTarget {
    QUrl url;
    int error = 0;
};
ShellTarget classifyShellTarget(const std::string& target);

// The small window shown while long work runs: a label "lblWorking" and a progress bar that
// only says that something is going on. Closed when destroyed.
class QtProgressForm : public ProgressForm {
public:
    QtProgressForm();
    ~QtProgressForm() override;
    void setLabel(const std::string& text) override;
    QWidget* window() const { return window_.get(); }

private:
    std::unique_ptr<QWidget> window_;
    QLabel* label_ = nullptr;
};

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
    std::optional<int> colourDialog(int initialColour) override;
    int popupMenu(const std::vector<MenuEntry>& entries) override;
    // Hands an address to the desktop's opener (xdg-open); 31 when it says that nothing can
    // open it (no web browser), 33 when it opened it or is still at work after a moment.
    int shellOpen(const std::string& target) override;
    // The opener shellOpen runs, "xdg-open" unless set.
    void setOpener(const QString& program);
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() override;
    ClipboardContent clipboardContent() override;
    void setClipboardContent(const ClipboardContent& content) override;
    void doEvents() override;
    bool waitUntil(const std::function<bool()>& done, int timeoutMs) override;
    void showModal(ModalForm& form) override;
    std::unique_ptr<ProgressForm> showProgressForm() override;
    std::uint32_t tickCount() override;
    // Never waits longer than the time-out; a time-out of 0 or less, or above 15 seconds, means 15
    // seconds.
    HttpReply httpGet(const std::string& url, int timeoutMs) override;
    std::unique_ptr<ZipArchive> openZip(const std::string& path) override;

private:
    std::optional<std::string> runFileDialog(const FileDialogOptions& options, bool save);

    QElapsedTimer clock_;
    std::unique_ptr<QNetworkAccessManager> network_;
    QString opener_ = QStringLiteral("xdg-open");
};

} // namespace tlx
