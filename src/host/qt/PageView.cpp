#include "host/qt/PageView.h"

#include "host/HtmlDocument.h"
#include "host/qt/HtmlHighlighter.h"
#include "host/qt/ScriptBridge.h"
#include "host/qt/WebServer.h"
#include "platform/Log.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace tlx::host {

namespace {

constexpr char kSourceAttribute[] = "data-tlx-src";

} // namespace

// The page of a rendering: never leaves the page being edited (links in the page or in its
// movies, new windows).
class RenderingPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

    // The one address the rendering may show.
    void setPageUrl(const QUrl& url) { pageUrl_ = url.adjusted(QUrl::RemoveFragment); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!isMainFrame)
            return true;
        const bool own = !pageUrl_.isEmpty() && url.adjusted(QUrl::RemoveFragment) == pageUrl_;
        if (!own)
            LogInfo("PageView", "the rendering does not follow a link to " +
                                    url.toDisplayString().toStdString());
        return own;
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    QUrl pageUrl_;
};

void RenderingBridge::ready() {
    emit scriptReady();
}

void RenderingBridge::picked(double sourceOffset) {
    // An offset is a whole number of bytes (below 2^53 every whole number is exact); anything
    // else is no element's.
    constexpr double kExactBelow = 9007199254740992.0;
    if (sourceOffset >= 0 && sourceOffset < kExactBelow && std::floor(sourceOffset) == sourceOffset)
        emit elementPicked(static_cast<std::size_t>(sourceOffset));
}

void RenderingBridge::updated(int update, bool ok) {
    emit updateDone(update, ok);
}

namespace {

// Whether the body part of a served page holds a script of its own (which an in-place update
// would not run).
bool bodyHasScript(const QByteArray& served, qsizetype bodyAt) {
    return served.mid(bodyAt).toLower().contains("<script");
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
}

} // namespace

PageView::PageView(PageWindowHandle window, WebServer* server, QWidget* parent)
    : QWidget(parent), window_(std::move(window)), server_(server) {
    document_ = window_ ? window_->document() : nullptr;

    splitter_ = new QSplitter(Qt::Horizontal, this);
    editor_ = new QPlainTextEdit(splitter_);
    editor_->setObjectName(QStringLiteral("sourceEditor"));
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setTabStopDistance(editor_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    highlighter_ = new HtmlHighlighter(editor_->document());

    if (server_) {
        webView_ = new QWebEngineView(splitter_);
        page_ = new RenderingPage(webView_);
        bridge_ = new RenderingBridge(page_);
        InstallScriptBridge(
            *page_, *bridge_,
            {QStringLiteral(":/tlx/FlashParams.js"), QStringLiteral(":/tlx/RenderingPage.js")});
        connect(bridge_, &RenderingBridge::scriptReady, this, [this] {
            if (!closing_)
                scriptReady_ = true;
        });
        connect(bridge_, &RenderingBridge::elementPicked, this, [this](std::size_t offset) {
            if (!closing_)
                selectElementStartingAt(offset);
        });
        connect(bridge_, &RenderingBridge::updateDone, this, &PageView::onUpdateDone);
        // A new document has its own script, which says when it is ready.
        connect(page_, &QWebEnginePage::loadStarted, this, [this] { scriptReady_ = false; });
        webView_->setPage(page_);
        // Sound events of a page (a sound movie started from an image's mouse-over) play in
        // the rendering as they would for a visitor who has already interacted with the page.
        webView_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        rendering_ = webView_;
        connect(webView_, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (closing_)
                return;
            if (savedScroll_.isValid()) {
                const QStringList xy = savedScroll_.toString().split(QLatin1Char(','));
                if (xy.size() == 2)
                    page_->runJavaScript(QStringLiteral("window.scrollTo(%1,%2)")
                                             .arg(xy[0].toInt())
                                             .arg(xy[1].toInt()));
            }
            renderingDone(ok);
        });
    } else {
        rendering_ = new QWidget(splitter_);
    }
    rendering_->setObjectName(QStringLiteral("rendering"));
    splitter_->addWidget(editor_);
    splitter_->addWidget(rendering_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({500, 500});
    splitter_->setChildrenCollapsible(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    renderTimer_.setSingleShot(true);
    renderTimer_.setInterval(kRenderDelayMs);
    connect(&renderTimer_, &QTimer::timeout, this, &PageView::refreshRendering);

    loadFromDocument();
    if (document_ && !document_->isModified())
        savedText_ = document_->text();

    connect(editor_->document(), &QTextDocument::contentsChange, this,
            &PageView::onEditorContentsChange);
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, &PageView::selectionToDocument);
    connect(editor_, &QPlainTextEdit::selectionChanged, this, &PageView::selectionToDocument);

    if (document_) {
        textSubscription_ = document_->textChanged().connect(
            [this](std::size_t start, std::size_t removed, std::size_t inserted) {
                onDocumentTextChanged(start, removed, inserted);
            });
        selectionSubscription_ =
            document_->selectionChanged().connect([this] { selectionFromDocument(); });
        actionStartSubscription_ =
            document_->userActionStarted().connect([this](const std::string& name) {
                inAction_ = true;
                actionEdited_ = false;
                actionStart_ = editor_->document()->availableUndoSteps();
                actionName_ = QString::fromStdString(name);
            });
        actionEndSubscription_ = document_->userActionEnded().connect([this] { endUserAction(); });
    }
    connect(editor_->document(), &QTextDocument::undoCommandAdded, this,
            &PageView::onUndoCommandAdded);
    // The editor's history is back at the saved text only once its undo step is done.
    connect(editor_->document(), &QTextDocument::modificationChanged, this, [this](bool changed) {
        if (changed || fromDocument_ || closing_)
            return;
        try {
            const bool was = document_ && document_->isModified();
            followSavedState();
            if (was && !document_->isModified())
                emit textEdited();
        } catch (const std::exception&) {
            toDocument_ = false;
            LogCurrentException("PageView: back at the saved text");
        }
    });
    connect(editor_->document(), &QTextDocument::undoAvailable, this, &PageView::historyChanged);
    connect(editor_->document(), &QTextDocument::redoAvailable, this, &PageView::historyChanged);
    applyViewMode();
}

PageView::~PageView() {
    // Nothing of the rendering may reach this view any more: the web view goes first, while
    // the rest of the view is whole, and every callback it may still run sees closing_.
    closing_ = true;
    renderTimer_.stop();
    textSubscription_.reset();
    selectionSubscription_.reset();
    actionStartSubscription_.reset();
    actionEndSubscription_.reset();
    disconnect(editor_->document(), nullptr, this, nullptr);
    if (webView_) {
        disconnect(webView_, nullptr, this, nullptr);
        if (page_) {
            page_->disconnect();
            bridge_->disconnect();
        }
        QWebEngineView* view = webView_;
        webView_ = nullptr;
        page_ = nullptr;
        rendering_ = nullptr;
        delete view; // with its page
    }
}

void PageView::markSaved() {
    if (document_)
        savedText_ = document_->text();
    editor_->document()->setModified(false);
}

void PageView::followSavedState() {
    if (!document_ || !savedText_ || !document_->isModified())
        return;
    if (document_->text() == *savedText_) {
        document_->setModified(false);
        return;
    }
    // The editor's history is back where the page was saved (undo all the way back): the
    // page is the saved one again, byte for byte, even where the characters shown were
    // written back in other bytes than those of the file.
    if (editor_->document()->isModified() ||
        codec_.decode(*savedText_) != codec_.decode(document_->text()))
        return;
    const std::string& bytes = document_->text();
    const std::string& saved = *savedText_;
    std::size_t prefix = 0;
    while (prefix < bytes.size() && prefix < saved.size() && bytes[prefix] == saved[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < bytes.size() - prefix && suffix < saved.size() - prefix &&
           bytes[bytes.size() - 1 - suffix] == saved[saved.size() - 1 - suffix])
        ++suffix;
    toDocument_ = true;
    const bool restored = document_->replaceRange(
        prefix, bytes.size() - suffix, saved.substr(prefix, saved.size() - prefix - suffix));
    toDocument_ = false;
    if (restored)
        document_->setModified(false);
    else
        LogWarning("PageView", "the saved bytes of the page could not be put back");
}

void PageView::onUndoCommandAdded() {
    // A new step ends here; whatever was recorded from here on (steps undone, now gone) is
    // no more.
    const int steps = editor_->document()->availableUndoSteps();
    stepEnds_.erase(stepEnds_.lower_bound(steps), stepEnds_.end());
    stepEnds_[steps] = QString();
    emit historyChanged();
}

void PageView::endUserAction() {
    inAction_ = false;
    if (!actionEdited_)
        return;
    actionEdited_ = false;
    // The action's changes are one step now: it ends here and bears the action's name.
    const int steps = editor_->document()->availableUndoSteps();
    stepEnds_.erase(stepEnds_.upper_bound(actionStart_), stepEnds_.end());
    stepEnds_[steps] = actionName_;
    emit historyChanged();
}

QString PageView::undoName() const {
    const int steps = editor_->document()->availableUndoSteps();
    const auto it = stepEnds_.find(steps);
    return steps > 0 && it != stepEnds_.end() ? it->second : QString();
}

QString PageView::redoName() const {
    if (editor_->document()->availableRedoSteps() == 0)
        return QString();
    const auto it = stepEnds_.upper_bound(editor_->document()->availableUndoSteps());
    return it != stepEnds_.end() ? it->second : QString();
}

void PageView::loadFromDocument() {
    if (!document_)
        return;
    const std::string& bytes = document_->text();
    codec_ = SourceCodec::forBytes(bytes);
    removedText_.clear();
    fromDocument_ = true;
    editor_->setPlainText(codec_.decode(bytes));
    fromDocument_ = false;
    // A new text has no history; a page with unsaved changes stays changed.
    stepEnds_.clear();
    actionEdited_ = false;
    editor_->document()->setModified(document_->isModified());
    selectionFromDocument();
}

QString PageView::editorText(int from, int count) const {
    QTextCursor cursor(editor_->document());
    cursor.setPosition(from);
    cursor.setPosition(from + count, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void PageView::onEditorContentsChange(int position, int removed, int added) {
    if (fromDocument_ || !document_)
        return;
    try {
        // The text widget may count the final block's end in a change; it is no character.
        const int length = editor_->document()->characterCount() - 1;
        if (const int excess = position + added - length; excess > 0) {
            added -= excess;
            removed -= excess;
        }
        if (position < 0 || added < 0 || removed < 0)
            return loadFromDocument();
        // Only the bytes of what really changed (re-colouring reports unchanged text as
        // changed, and a replacement of many places is one change).
        const std::string& bytes = document_->text();
        const TextCodec::Edit edit = codec_.edit(bytes, position, position + removed,
                                                 editorText(position, added), removedText_);
        if (edit.start == edit.end && edit.bytes.empty())
            return;
        // What goes whose bytes typing would not give back, kept for an undo to bring back.
        if (auto gone = codec_.removed(bytes, codec_.byteOffset(bytes, position),
                                       codec_.byteOffset(bytes, position + removed));
            gone && gone->bytes.size() <= kMaxRemembered) {
            removedText_.push_back(std::move(*gone));
            if (removedText_.size() > kRememberedEdits)
                removedText_.erase(removedText_.begin());
        }
        const bool escaped = edit.escaped;
        toDocument_ = true;
        document_->replaceRange(edit.start, edit.end, edit.bytes);
        toDocument_ = false;
        // The editor shows what the bytes now hold: a character written as a reference shows
        // as the reference, typed bytes that joined the bytes beside them into another
        // character show as that character. Else every later position would be wrong.
        showDocumentText(true);
        if (escaped && !escapeReported_) {
            escapeReported_ = true;
            emit charactersEscaped(codec_.charset());
        }
        selectionToDocument();
        scheduleRendering();
        followSavedState();
        emit textEdited();
    } catch (const std::exception&) {
        toDocument_ = false;
        fromDocument_ = false;
        LogCurrentException("PageView: typing");
    }
}

void PageView::showDocumentText(bool sameUndoStep) {
    const QString wanted = codec_.decode(document_->text());
    QTextDocument* shownDocument = editor_->document();
    if (sameUndoStep && wanted != shownText() && shownDocument->availableRedoSteps() == 0 &&
        shownDocument->isUndoAvailable()) {
        // The edit just made is taken back and the text the page now holds shown instead, as
        // one step: undoing it then takes back what was typed, reference and all. (Joining
        // the previous step cannot do this: a plain insertion is no part of an edit block.)
        fromDocument_ = true;
        shownDocument->undo();
        fromDocument_ = false;
    }
    const QString shown = shownText();
    const qsizetype limit = std::min(wanted.size(), shown.size());
    qsizetype prefix = 0;
    while (prefix < limit && wanted.at(prefix) == shown.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < limit - prefix &&
           wanted.at(wanted.size() - 1 - suffix) == shown.at(shown.size() - 1 - suffix))
        ++suffix;
    if (prefix == shown.size() && prefix == wanted.size())
        return;
    const int vscroll = editor_->verticalScrollBar()->value();
    fromDocument_ = true;
    QTextCursor cursor(editor_->document());
    // Where the edit block begins is where undoing it leaves the caret.
    cursor.setPosition(int(prefix));
    // Every change of one user action goes into the same undo step.
    if (!sameUndoStep && inAction_ && actionEdited_)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    if (!sameUndoStep)
        actionEdited_ = inAction_;
    cursor.setPosition(int(shown.size() - suffix), QTextCursor::KeepAnchor);
    cursor.insertText(wanted.mid(prefix, wanted.size() - suffix - prefix));
    cursor.endEditBlock();
    fromDocument_ = false;
    editor_->verticalScrollBar()->setValue(vscroll);
}

QString PageView::shownText() const {
    QString shown = editor_->document()->toRawText();
    shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return shown;
}

void PageView::onDocumentTextChanged(std::size_t, std::size_t, std::size_t) {
    scheduleRendering();
    if (toDocument_)
        return;
    try {
        const std::string& bytes = document_->text();
        if (!codec_.fits(bytes)) {
            loadFromDocument();
            emit textEdited();
            return;
        }
        showDocumentText(false);
        selectionFromDocument();
        followSavedState();
        emit textEdited();
    } catch (const std::exception&) {
        fromDocument_ = false;
        LogCurrentException("PageView: showing a change of the page");
    }
}

void PageView::selectionToDocument() {
    if (fromDocument_ || !document_)
        return;
    const QTextCursor cursor = editor_->textCursor();
    const std::string& bytes = document_->text();
    const std::size_t anchor = codec_.byteOffset(bytes, cursor.anchor());
    const std::size_t position = codec_.byteOffset(bytes, cursor.position());
    toDocument_ = true;
    document_->setSelection(std::min(anchor, position), std::max(anchor, position));
    toDocument_ = false;
}

void PageView::selectionFromDocument() {
    if (toDocument_ || !document_)
        return;
    const std::string& bytes = document_->text();
    const int start = int(codec_.charPosition(bytes, document_->selectionStart()));
    const int end = int(codec_.charPosition(bytes, document_->selectionEnd()));
    QTextCursor cursor = editor_->textCursor();
    if (cursor.anchor() == start && cursor.position() == end)
        return;
    fromDocument_ = true;
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
    fromDocument_ = false;
}

void PageView::applyViewMode() {
    const int mode = window_ ? window_->ViewMode() : kViewNormal;
    const bool source = mode == kViewNormal || mode == kViewHtml;
    const bool rendered = mode != kViewHtml;
    editor_->setVisible(source);
    editor_->setReadOnly(!source);
    rendering_->setVisible(rendered);
    if (rendered && webView_ && loads_ == 0 && !renderTimer_.isActive())
        refreshRendering();
}

void PageView::setServedAddress(const QString& mount, const QString& relativePath) {
    if (mount == mount_ && relativePath == servedPath_)
        return;
    mount_ = mount;
    servedPath_ = relativePath;
    if (webView_)
        scheduleRendering();
}

bool PageView::isServedAt(const QString& mount, const QString& relativePath) const {
    return !mount_.isEmpty() && mount.compare(mount_, Qt::CaseInsensitive) == 0 &&
           relativePath.compare(servedPath_, Qt::CaseInsensitive) == 0;
}

QUrl PageView::renderingUrl() const {
    return server_ && !mount_.isEmpty() ? server_->urlFor(mount_, servedPath_) : QUrl();
}

QByteArray PageView::servedText(qsizetype* bodyAt) const {
    if (bodyAt)
        *bodyAt = -1;
    if (!document_)
        return QByteArray();
    // Where the body's start tag stands, when it is written in the source.
    std::size_t bodyStart = std::string::npos;
    if (const auto body = document_->body())
        if (const auto span = document_->spanOf(body);
            span && span->first < document_->text().size() && document_->text()[span->first] == '<')
            bodyStart = span->first;
    const std::string& text = document_->text();
    QByteArray served;
    served.reserve(qsizetype(text.size() + text.size() / 4));
    std::size_t copied = 0;
    for (const auto& element : document_->all()) {
        const auto span = document_->spanOf(element);
        if (!span || span->first < copied || span->first >= text.size() || text[span->first] != '<')
            continue;
        // Only start tags written in the source (not elements the parser implied).
        std::size_t nameEnd = span->first + 1;
        while (nameEnd < text.size() && isNameChar(text[nameEnd]))
            ++nameEnd;
        const std::string tag = element->tagName();
        if (nameEnd - span->first - 1 != tag.size() ||
            !std::equal(tag.begin(), tag.end(), text.begin() + std::ptrdiff_t(span->first + 1),
                        [](char a, char b) {
                            return std::toupper(static_cast<unsigned char>(a)) ==
                                   std::toupper(static_cast<unsigned char>(b));
                        }))
            continue;
        if (bodyAt && span->first == bodyStart)
            *bodyAt = served.size() + qsizetype(span->first - copied);
        served.append(text.data() + copied, qsizetype(nameEnd - copied));
        served.append(' ');
        served.append(kSourceAttribute);
        served.append("=\"");
        served.append(QByteArray::number(qulonglong(span->first)));
        served.append('"');
        copied = nameEnd;
    }
    served.append(text.data() + copied, qsizetype(text.size() - copied));
    return served;
}

bool PageView::selectElementStartingAt(std::size_t sourceOffset) {
    if (!document_)
        return false;
    const auto element = document_->elementAt(sourceOffset);
    const auto span = element ? document_->spanOf(element) : std::nullopt;
    if (!span)
        return false;
    // elementAt gives the OBJECT for anything inside one, else the element itself.
    const std::string tag = element->tagName();
    if (span->first != sourceOffset && tag != "OBJECT")
        return false;
    if (tag == "OBJECT" || tag == "EMBED" || tag == "IMG") {
        // A movie or a picture is selected whole, as a control is.
        document_->setSelection(span->first, span->second);
    } else {
        // Anything else gets the caret at the end of its content: what is inserted next goes
        // there, and the element itself is kept (a selection would be replaced by it).
        std::size_t caret = span->second;
        const std::string outer = element->outerHTML();
        const std::string endTag = "</" + tag + ">";
        if (outer.size() >= endTag.size() &&
            std::equal(endTag.begin(), endTag.end(), outer.end() - std::ptrdiff_t(endTag.size()),
                       [](char a, char b) {
                           return std::toupper(static_cast<unsigned char>(a)) ==
                                  std::toupper(static_cast<unsigned char>(b));
                       }))
            caret -= endTag.size();
        document_->setSelection(caret, caret);
    }
    editor_->setFocus(Qt::OtherFocusReason);
    return true;
}

void PageView::onUpdateDone(int update, bool ok) {
    if (closing_ || update != updateNumber_)
        return; // an older update, overtaken by a newer one
    if (ok)
        renderingDone(true);
    else
        loadWholePage();
}

void PageView::renderingDone(bool ok) {
    ++loads_;
    if (changePending_ && sinceChange_.isValid()) {
        lastLatencyMs_ = sinceChange_.elapsed();
        changePending_ = false;
    }
    emit renderingLoaded(ok);
}

void PageView::scheduleRendering() {
    if (!webView_ || closing_)
        return;
    if (!changePending_) {
        changePending_ = true;
        sinceChange_.start();
    }
    if (renderTimer_.isActive())
        return; // the coming rendering takes this change too
    // At once (after the current burst of edits) when the last rendering is long enough ago,
    // else when it is: at most one rendering per kRenderDelayMs while typing goes on.
    const qint64 since = lastRender_.isValid() ? lastRender_.elapsed() : kRenderDelayMs;
    renderTimer_.start(int(std::max<qint64>(0, kRenderDelayMs - since)));
}

void PageView::refreshRendering() {
    if (!webView_ || closing_)
        return;
    renderTimer_.stop();
    const QUrl url = renderingUrl();
    if (url.isEmpty())
        return;
    lastRender_.start();
    // A page saved under another name, or moved to another mount, is loaded from its new
    // address: the shown one no longer serves it.
    if (loads_ == 0 || servedHead_.isEmpty() || url != loadedUrl_)
        return loadWholePage();
    // The same head and no script in the body: only the body is put in place, which keeps the
    // reader's place and is quick.
    qsizetype bodyAt = -1;
    const QByteArray served = servedText(&bodyAt);
    if (bodyAt <= 0 || served.left(bodyAt) != servedHead_ || bodyHasScript(served, bodyAt))
        return loadWholePage();
    // Without the script of the shown document (still loading, or failed) only a load shows
    // the text.
    if (!scriptReady_)
        return loadWholePage();
    ++updateNumber_;
    emit bridge_->updateRequested(updateNumber_);
}

void PageView::loadWholePage() {
    if (!webView_ || closing_)
        return;
    const QUrl url = renderingUrl();
    if (url.isEmpty())
        return;
    ++updateNumber_; // updates still under way are void
    qsizetype bodyAt = -1;
    const QByteArray served = servedText(&bodyAt);
    servedHead_ = bodyAt > 0 ? served.left(bodyAt) : QByteArray();
    const bool samePage = url == loadedUrl_;
    loadedUrl_ = url;
    page_->setPageUrl(url);
    if (loads_ == 0 || !samePage) {
        savedScroll_ = QVariant();
        webView_->load(url);
        return;
    }
    // Keep the reader's place in the page across the reload.
    QPointer<PageView> self(this);
    page_->runJavaScript(QStringLiteral("window.scrollX+','+window.scrollY"),
                         [self, url](const QVariant& scroll) {
                             if (!self || self->closing_ || !self->webView_)
                                 return;
                             self->savedScroll_ = scroll;
                             self->webView_->load(url);
                         });
}

} // namespace tlx::host
