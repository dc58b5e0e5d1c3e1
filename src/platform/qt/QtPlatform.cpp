#include "platform/qt/QtPlatform.h"

#include "platform/Log.h"
#include "platform/Zip.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <memory>

namespace tlx {

namespace {

// Windows-1252 for the bytes 0x80-0x9F; the rest of the high half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

QString escapeMnemonics(const std::string& caption) {
    return toQString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void addMenuEntries(QMenu& menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.separator) {
            menu.addSeparator();
        } else if (!entry.submenu.empty() || entry.command == 0) {
            // A submenu (possibly empty, like a link list that is missing).
            QMenu* sub = menu.addMenu(escapeMnemonics(entry.caption));
            sub->setEnabled(entry.enabled);
            addMenuEntries(*sub, entry.submenu);
        } else {
            QAction* action = menu.addAction(escapeMnemonics(entry.caption));
            action->setData(entry.command);
            action->setEnabled(entry.enabled);
        }
    }
}

MsgResult resultOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Abort:
        return MsgResult::Abort;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Ignore:
        return MsgResult::Ignore;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

// Classic shell error codes.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 33;

// No network wait lasts longer: the user is waiting for an answer.
constexpr int kMaxHttpTimeoutMs = 15000;
// How long the desktop's opener is given to say that nothing can open an address (it ends
// at once with an error then); one still at work has found a program.
constexpr int kOpenerVerdictMs = 2500;

} // namespace

QString toQString(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError())
        return decoded;
    return fromCp1252(text);
}

std::string fromQString(const QString& text) {
    return text.toStdString();
}

QString promptText(const std::string& prompt) {
    QString text = toQString(prompt);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString convertFileFilter(const std::string& classicFilter) {
    static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
    // A trailing "(*.swf)" in the name repeats the patterns; it is rebuilt from them.
    static const QRegularExpression patternTail(QStringLiteral("\\s*\\([^()]*[*.][^()]*\\)\\s*$"));

    const QStringList parts = toQString(classicFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(separators, Qt::SkipEmptyParts)) {
            if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
                patterns = {QStringLiteral("*")};
                break;
            }
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant))
                    patterns.append(variant);
        }
        if (patterns.isEmpty())
            continue;
        QString name = parts[i].trimmed();
        name.remove(patternTail);
        const QString list = patterns.join(QLatin1Char(' '));
        filters.append(name.isEmpty() ? list
                                      : name + QLatin1String(" (") + list + QLatin1Char(')'));
    }
    return filters.join(QLatin1String(";;"));
}

QColor colourToQColor(int colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int qColorToColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

std::unique_ptr<QMessageBox> buildMessageBox(const std::string& prompt, MsgButtons buttons,
                                             MsgIcon icon, const std::string& title,
                                             QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(toQString(title));
    box->setTextFormat(Qt::PlainText);
    box->setText(promptText(prompt));
    switch (icon) {
    case MsgIcon::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box->setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box->setIcon(QMessageBox::Information);
        break;
    case MsgIcon::None:
        box->setIcon(QMessageBox::NoIcon);
        break;
    }
    // The first button is the default one; Escape (and closing the window) answers as the
    // classic box: Cancel where there is one, otherwise No, Abort or OK.
    QMessageBox::StandardButtons set;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case MsgButtons::OkOnly:
        set = QMessageBox::Ok;
        break;
    case MsgButtons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case MsgButtons::AbortRetryIgnore:
        set = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        first = escape = QMessageBox::Abort;
        break;
    case MsgButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = QMessageBox::Yes;
        escape = QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        first = QMessageBox::Yes;
        escape = QMessageBox::No;
        break;
    case MsgButtons::RetryCancel:
        set = QMessageBox::Retry | QMessageBox::Cancel;
        first = QMessageBox::Retry;
        escape = QMessageBox::Cancel;
        break;
    }
    box->setStandardButtons(set);
    box->setDefaultButton(first);
    box->setEscapeButton(escape);
    // Wide enough for the whole title beside the window's buttons. The box fixes its own
    // size from its layout, so the width goes in as a spacer there.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true); // window managers set titles in bold, mostly
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + 140;
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

MsgResult messageBoxResult(const QMessageBox& box) {
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        clicked = box.escapeButton();
    return resultOf(clicked ? box.standardButton(clicked) : QMessageBox::Cancel);
}

std::unique_ptr<QInputDialog> buildInputDialog(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText, QWidget* parent) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setWindowTitle(toQString(title));
    dialog->setLabelText(promptText(prompt));
    dialog->setTextValue(toQString(defaultText));
    return dialog;
}

std::unique_ptr<QFileDialog> buildFileDialog(const FileDialogOptions& options, bool save,
                                             QWidget* parent) {
    // Without a folder of its own the dialog starts in the user's home, not in whatever folder
    // the program was started from.
    const QString folder =
        options.initialFolder.empty() ? QDir::homePath() : toQString(options.initialFolder);
    auto dialog = std::make_unique<QFileDialog>(parent, toQString(options.title), folder);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString filter = convertFileFilter(options.filter);
    if (!filter.isEmpty())
        dialog->setNameFilters(filter.split(QLatin1String(";;")));
    QString suffix = toQString(options.defaultExtension);
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    if (!suffix.isEmpty())
        dialog->setDefaultSuffix(suffix);
    if (!options.fileName.empty())
        dialog->selectFile(toQString(options.fileName));
    return dialog;
}

std::unique_ptr<QMenu> buildPopupMenu(const std::vector<MenuEntry>& entries, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    addMenuEntries(*menu, entries);
    return menu;
}

int commandOf(const QAction* action) {
    if (!action || !action->data().isValid())
        return 0;
    return action->data().toInt();
}

ShellTarget classifyShellTarget(const std::string& target) {
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QString text = toQString(target).trimmed();
    if (text.isEmpty())
        return {QUrl(), kFileNotFound};

    const QString lower = text.toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://")) ||
        lower.startsWith(QLatin1String("mailto:")) || lower.startsWith(QLatin1String("www."))) {
        const QUrl url(lower.startsWith(QLatin1String("www.")) ? QLatin1String("http://") + text
                                                               : text,
                       QUrl::TolerantMode);
        if (!url.isValid() || (url.scheme() != QLatin1String("mailto") && url.host().isEmpty()))
            return {QUrl(), kFileNotFound};
        return {url, 0};
    }

    QString path = text;
    if (lower.startsWith(QLatin1String("file:"))) {
        const QUrl url(text);
        if (!url.isValid() || !url.isLocalFile())
            return {QUrl(), kNoAssociation};
        path = url.toLocalFile();
    } else if (schemePattern.match(text).hasMatch()) {
        // javascript:, ftp:, smb: and the like are never handed on.
        return {QUrl(), kNoAssociation};
    }

    QFileInfo info(path);
    if (!info.exists() && path.contains(QLatin1Char('\\')))
        info = QFileInfo(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (!info.exists())
        return {QUrl(), kFileNotFound};
    // Opening must never run a program: executables and desktop launchers are refused.
    if (!info.isDir() && (info.isExecutable() || info.suffix().compare(QLatin1String("desktop"),
                                                                       Qt::CaseInsensitive) == 0))
        return {QUrl(), kNoAssociation};
    return {QUrl::fromLocalFile(info.absoluteFilePath()), 0};
}

QtProgressForm::QtProgressForm() {
    auto frame = std::make_unique<QFrame>(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                                       Qt::WindowStaysOnTopHint);
    frame->setObjectName(QStringLiteral("frmWorking"));
    frame->setWindowTitle(QStringLiteral("Working..."));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);
    frame->setAttribute(Qt::WA_ShowWithoutActivating);

    auto* layout = new QVBoxLayout(frame.get());
    label_ = new QLabel(QStringLiteral("Working..."), frame.get());
    label_->setObjectName(QStringLiteral("lblWorking"));
    label_->setAlignment(Qt::AlignCenter);
    layout->addWidget(label_);
    auto* bar = new QProgressBar(frame.get());
    bar->setObjectName(QStringLiteral("prgWorking"));
    bar->setRange(0, 0); // busy: nothing is counted
    bar->setTextVisible(false);
    layout->addWidget(bar);
    frame->setMinimumWidth(260);
    frame->adjustSize();

    // Centred over the active window, or on the screen.
    QRect area;
    if (QWidget* active = QApplication::activeWindow())
        area = active->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        frame->move(area.center() - frame->rect().center());

    window_ = std::move(frame);
    window_->show();
    window_->raise();
    // Painted at once: the work that follows may not let the event loop run for a while.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window_->repaint();
}

QtProgressForm::~QtProgressForm() {
    if (window_)
        window_->close();
}

void QtProgressForm::setLabel(const std::string& text) {
    label_->setText(toQString(text));
    // The form grows to its label, around the same centre.
    const QPoint centre = window_->geometry().center();
    window_->adjustSize();
    window_->move(centre - window_->rect().center());
    if (window_->isVisible())
        window_->repaint();
}

QtPlatform::QtPlatform() {
    clock_.start();
}

QtPlatform::~QtPlatform() = default;

MsgResult QtPlatform::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) {
    const auto box = buildMessageBox(prompt, buttons, icon, title, dialogParent());
    box->exec();
    return messageBoxResult(*box);
}

std::optional<std::string> QtPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) {
    const auto dialog = buildInputDialog(prompt, title, defaultText, dialogParent());
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQString(dialog->textValue());
}

std::optional<std::string> QtPlatform::runFileDialog(const FileDialogOptions& options, bool save) {
    const auto dialog = buildFileDialog(options, save, dialogParent());
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return fromQString(files.first());
}

std::optional<std::string> QtPlatform::openFileDialog(const FileDialogOptions& options) {
    return runFileDialog(options, false);
}

std::optional<std::string> QtPlatform::saveFileDialog(const FileDialogOptions& options) {
    return runFileDialog(options, true);
}

std::optional<int> QtPlatform::colourDialog(int initialColour) {
    QColorDialog dialog(colourToQColor(initialColour), dialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return qColorToColour(dialog.selectedColor());
}

int QtPlatform::popupMenu(const std::vector<MenuEntry>& entries) {
    const auto menu = buildPopupMenu(entries);
    return commandOf(menu->exec(QCursor::pos()));
}

int QtPlatform::shellOpen(const std::string& target) {
    const ShellTarget classified = classifyShellTarget(target);
    if (classified.error != 0)
        return classified.error;
    // The desktop's opener, not QDesktopServices: that reports success as soon as the opener
    // starts, also when no browser is there to take the address. The opener runs under a
    // shell that answers with its exit code, or with 0 once it has been at work for a moment
    // (it found a program; without a desktop it runs the browser itself). The shell leaves
    // it running then, so nothing this program ends or is ended by takes the browser along.
    static const QString kVerdict =
        QStringLiteral(
            "\"$1\" \"$2\" </dev/null >/dev/null 2>&1 & p=$!; i=0;"
            " while kill -0 $p 2>/dev/null; do i=$((i+1)); [ $i -ge %1 ] && exit 0; sleep 0.1;"
            " done; wait $p")
            .arg(kOpenerVerdictMs / 100);
    struct Outcome {
        bool ended = false;
        bool opened = false;
    };
    auto outcome = std::make_shared<Outcome>();
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(QStringLiteral("/bin/sh"));
    process->setArguments({QStringLiteral("-c"), kVerdict, QStringLiteral("sh"), opener_,
                           classified.url.isLocalFile()
                               ? classified.url.toLocalFile()
                               : classified.url.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [outcome, process](int code, QProcess::ExitStatus status) {
                         outcome->ended = true;
                         outcome->opened = status == QProcess::NormalExit && code == 0;
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [outcome, process](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         outcome->ended = true;
                         process->deleteLater();
                     });
    process->start();
    // The shell answers within its own limit; this one only guards against a shell that hangs.
    waitUntil([&outcome] { return outcome->ended; }, 2 * kOpenerVerdictMs);
    if (outcome->ended && !outcome->opened) {
        LogWarning("QtPlatform", "nothing could open " + fromQString(classified.url.toString()));
        return kNoAssociation;
    }
    return kOpened;
}

void QtPlatform::setOpener(const QString& program) {
    opener_ = program;
}

void QtPlatform::setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQString(text));
}

std::string QtPlatform::clipboardText() {
    return fromQString(QGuiApplication::clipboard()->text());
}

namespace {

// Qt holds an image or a colour put on the clipboard by this program as an object, not as
// bytes: they are kept as PNG and as the colour's name under these formats.
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kPng = QStringLiteral("image/png");
const QString kColour = QStringLiteral("application/x-color");

std::string toBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

ClipboardContent QtPlatform::clipboardContent() {
    ClipboardContent content;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return content;
    bool png = false;
    for (const QString& format : mime->formats()) {
        if (format == kQtImage || format == kColour)
            continue;
        png = png || format == kPng;
        content.formats.emplace_back(format.toStdString(), toBytes(mime->data(format)));
    }
    if (mime->hasImage() && !png) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (!image.isNull() && buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
            content.formats.emplace_back(kPng.toStdString(), toBytes(bytes));
    }
    if (mime->hasColor())
        content.formats.emplace_back(
            kColour.toStdString(),
            qvariant_cast<QColor>(mime->colorData()).name(QColor::HexArgb).toStdString());
    return content;
}

void QtPlatform::setClipboardContent(const ClipboardContent& content) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (content.formats.empty()) {
        clipboard->clear();
        return;
    }
    auto mime = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : content.formats) {
        const QString name = QString::fromStdString(format);
        const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
        if (name == kColour) {
            mime->setColorData(QColor::fromString(QString::fromLatin1(data)));
            continue;
        }
        mime->setData(name, data);
        if (name == kPng && !mime->hasImage())
            mime->setImageData(QImage::fromData(data, "PNG"));
    }
    clipboard->setMimeData(mime.release()); // the clipboard owns it now
}

void QtPlatform::doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtPlatform::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    if (timeoutMs <= 0) {
        doEvents();
        return done();
    }

    QEventLoop loop;
    bool finished = false;
    std::exception_ptr failure;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        // Nothing may leave a slot by an exception: it is carried out of the loop instead.
        try {
            if (done()) {
                finished = true;
                loop.quit();
            }
        } catch (...) {
            // Carried, not handled: the waiting caller gets it again, whatever it is.
            failure = std::current_exception();
            loop.quit();
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // never shorter than asked
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    limit.start(timeoutMs);
    loop.exec();
    poll.stop();
    if (failure)
        std::rethrow_exception(failure);
    return finished || done();
}

void QtPlatform::showModal(ModalForm& form) {
    form.execModal();
}

std::unique_ptr<ProgressForm> QtPlatform::showProgressForm() {
    return std::make_unique<QtProgressForm>();
}

std::uint32_t QtPlatform::tickCount() {
    // Wraps at 2^32 milliseconds like the system tick count.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(clock_.elapsed()));
}

HttpReply QtPlatform::httpGet(const std::string& url, int timeoutMs) {
    HttpReply result;
    const QUrl address(toQString(url).trimmed(), QUrl::TolerantMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || address.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = "Not a web address: " + url;
        return result;
    }
    if (timeoutMs <= 0)
        timeoutMs = kMaxHttpTimeoutMs;
    timeoutMs = std::min(timeoutMs, kMaxHttpTimeoutMs);
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(network_->get(request));

    QEventLoop loop;
    bool timedOut = false;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // never shorter than asked
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    limit.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    limit.stop();

    if (timedOut && !reply->isFinished()) {
        reply->abort();
        result.error = "No answer within " + std::to_string(timeoutMs) + " ms from " + url;
        return result;
    }
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.status != 0) {
        result.ok = true;
        const QByteArray body = reply->readAll();
        result.body.assign(body.constData(), static_cast<std::size_t>(body.size()));
    } else {
        result.error = fromQString(reply->errorString());
    }
    return result;
}

std::unique_ptr<ZipArchive> QtPlatform::openZip(const std::string& path) {
    return openZipFile(path);
}

} // namespace tlx
