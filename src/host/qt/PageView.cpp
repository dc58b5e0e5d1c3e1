#include "host/qt/PageView.h"

#include "host/HtmlDocument.h"
#include "host/qt/HtmlHighlighter.h"
#include "host/qt/WebServer.h"

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
#include <functional>

namespace tlx::host {

namespace {

constexpr char kSourceAttribute[] = "data-tlx-src";
constexpr char kPickMessage[] = "tlx-pick:";
constexpr char kUpdatedMessage[] = "tlx-updated:";

// Added to the served copy of a page. Reports the source offset of the element a click lands
// in (through the console, which the view's page listens to); capturing at the window comes
// before the player's own handlers, and composedPath() reaches through the player's shadow
// tree to its element. tlxUpdate(n) fetches the page's current text again and puts its body
// in place of the shown one (the head is kept), then reports "tlx-updated:n ok" once the new
// body is painted.
constexpr char kPageScript[] =
    "<script>(function(){function pick(e){var p=e.composedPath?e.composedPath():[e.target];"
    "for(var i=0;i<p.length;i++){var n=p[i];if(n&&n.getAttribute){"
    "var v=n.getAttribute('data-tlx-src');if(v!==null){console.log('tlx-pick:'+v);return;}}}}"
    "window.addEventListener('mousedown',pick,true);"
    "window.tlxUpdate=function(n){fetch(location.href,{cache:'no-store'}).then(function(r){"
    "return r.text();}).then(function(t){var d=new DOMParser().parseFromString(t,'text/html');"
    "document.title=d.title;document.documentElement.replaceChild(document.adoptNode(d.body),"
    "document.body);requestAnimationFrame(function(){console.log('tlx-updated:'+n+' ok');});"
    "}).catch(function(){console.log('tlx-updated:'+n+' failed');});};})();</script>";

// The page of a rendering: hands the console messages of the page script on.
class RenderingPage : public QWebEnginePage {
public:
    RenderingPage(std::function<void(const QString&)> message, QObject* parent)
        : QWebEnginePage(parent), message_(std::move(message)) {}

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override {
        if (message_ && message.startsWith(QLatin1String("tlx-")))
            message_(message);
    }

private:
    std::function<void(const QString&)> message_;
};

// Whether the body part of a served page holds a script of its own (which an in-place update
// would not run).
bool bodyHasScript(const QByteArray& served, qsizetype bodyAt) {
    const qsizetype end = served.size() - qsizetype(sizeof(kPageScript) - 1);
    const QByteArray body = served.mid(bodyAt, end - bodyAt).toLower();
    return body.contains("<script");
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
        QPointer<PageView> self(this);
        webView_->setPage(new RenderingPage(
            [self](const QString& message) {
                if (self)
                    self->onPageMessage(message);
            },
            webView_));
        // Sound events of a page (a sound movie started from an image's mouse-over) play in
        // the rendering as they would for a visitor who has already interacted with the page.
        webView_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        rendering_ = webView_;
        connect(webView_, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (savedScroll_.isValid()) {
                const QStringList xy = savedScroll_.toString().split(QLatin1Char(','));
                if (xy.size() == 2)
                    webView_->page()->runJavaScript(QStringLiteral("window.scrollTo(%1,%2)")
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
    }
    applyViewMode();
}

PageView::~PageView() {
    textSubscription_.reset();
    selectionSubscription_.reset();
}

void PageView::loadFromDocument() {
    if (!document_)
        return;
    const std::string& bytes = document_->text();
    codec_ = SourceCodec::forBytes(bytes);
    fromDocument_ = true;
    editor_->setPlainText(codec_.decode(bytes));
    fromDocument_ = false;
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
        const std::string& bytes = document_->text();
        std::size_t start = codec_.byteOffset(bytes, position);
        std::size_t end = codec_.byteOffset(bytes, position + removed);
        std::string replacement = codec_.encode(editorText(position, added));
        // Only what really differs (re-colouring reports unchanged text as changed).
        std::size_t prefix = 0;
        while (start + prefix < end && prefix < replacement.size() &&
               bytes[start + prefix] == replacement[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (end - suffix > start + prefix && replacement.size() - suffix > prefix &&
               bytes[end - suffix - 1] == replacement[replacement.size() - suffix - 1])
            ++suffix;
        if (start + prefix == end - suffix && prefix == replacement.size() - suffix)
            return;
        replacement = replacement.substr(prefix, replacement.size() - prefix - suffix);
        start += prefix;
        end -= suffix;
        toDocument_ = true;
        document_->replaceRange(start, end, replacement);
        toDocument_ = false;
        selectionToDocument();
        scheduleRendering();
        emit textEdited();
    } catch (...) {
        toDocument_ = false;
    }
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
        const QString wanted = codec_.decode(bytes);
        QString shown = editor_->document()->toRawText();
        shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
        const qsizetype limit = std::min(wanted.size(), shown.size());
        qsizetype prefix = 0;
        while (prefix < limit && wanted.at(prefix) == shown.at(prefix))
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < limit - prefix &&
               wanted.at(wanted.size() - 1 - suffix) == shown.at(shown.size() - 1 - suffix))
            ++suffix;
        if (prefix != shown.size() || prefix != wanted.size()) {
            const int vscroll = editor_->verticalScrollBar()->value();
            fromDocument_ = true;
            QTextCursor cursor(editor_->document());
            cursor.beginEditBlock();
            cursor.setPosition(int(prefix));
            cursor.setPosition(int(shown.size() - suffix), QTextCursor::KeepAnchor);
            cursor.insertText(wanted.mid(prefix, wanted.size() - suffix - prefix));
            cursor.endEditBlock();
            fromDocument_ = false;
            editor_->verticalScrollBar()->setValue(vscroll);
        }
        selectionFromDocument();
        emit textEdited();
    } catch (...) {
        fromDocument_ = false;
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
    served.reserve(qsizetype(text.size() + text.size() / 4 + sizeof(kPageScript)));
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
    served.append(kPageScript);
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
    if (span->first != sourceOffset && element->tagName() != "OBJECT")
        return false;
    document_->setSelection(span->first, span->second);
    editor_->setFocus(Qt::OtherFocusReason);
    return true;
}

void PageView::onPageMessage(const QString& message) {
    if (message.startsWith(QLatin1String(kPickMessage))) {
        bool ok = false;
        const qulonglong offset = message.mid(qsizetype(sizeof(kPickMessage) - 1)).toULongLong(&ok);
        if (ok)
            selectElementStartingAt(static_cast<std::size_t>(offset));
        return;
    }
    if (message.startsWith(QLatin1String(kUpdatedMessage))) {
        const QStringList parts =
            message.mid(qsizetype(sizeof(kUpdatedMessage) - 1)).split(QLatin1Char(' '));
        if (parts.size() != 2 || parts[0].toInt() != updateNumber_)
            return; // an older update, overtaken by a newer one
        if (parts[1] == QLatin1String("ok"))
            renderingDone(true);
        else
            loadWholePage();
    }
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
    if (!webView_)
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
    if (!webView_)
        return;
    renderTimer_.stop();
    if (renderingUrl().isEmpty())
        return;
    lastRender_.start();
    if (loads_ == 0 || servedHead_.isEmpty())
        return loadWholePage();
    // The same head and no script in the body: only the body is put in place, which keeps the
    // reader's place and is quick.
    qsizetype bodyAt = -1;
    const QByteArray served = servedText(&bodyAt);
    if (bodyAt <= 0 || served.left(bodyAt) != servedHead_ || bodyHasScript(served, bodyAt))
        return loadWholePage();
    ++updateNumber_;
    webView_->page()->runJavaScript(
        QStringLiteral("window.tlxUpdate ? (tlxUpdate(%1), 1) : 0").arg(updateNumber_),
        [self = QPointer<PageView>(this)](const QVariant& started) {
            if (self && started.toInt() != 1)
                self->loadWholePage();
        });
}

void PageView::loadWholePage() {
    const QUrl url = renderingUrl();
    if (url.isEmpty())
        return;
    ++updateNumber_; // updates still under way are void
    qsizetype bodyAt = -1;
    const QByteArray served = servedText(&bodyAt);
    servedHead_ = bodyAt > 0 ? served.left(bodyAt) : QByteArray();
    if (loads_ == 0) {
        webView_->load(url);
        return;
    }
    // Keep the reader's place in the page across the reload.
    QPointer<PageView> self(this);
    webView_->page()->runJavaScript(QStringLiteral("window.scrollX+','+window.scrollY"),
                                    [self, url](const QVariant& scroll) {
                                        if (!self)
                                            return;
                                        self->savedScroll_ = scroll;
                                        self->webView_->load(url);
                                    });
}

} // namespace tlx::host
