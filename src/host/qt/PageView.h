#pragma once
// One page window of the editor: the source editor (the page's text, with the caret and
// selection being the document's selection) beside the rendered page (a web view showing the
// page's current text through the loopback web server, with the Flash player in it).
//
// The document's bytes are the truth. Typing edits them through HtmlDocument::replaceRange;
// edits made through the document by anyone else show in the editor at once, replacing only
// the region that changed so that the editor's undo history stays.

#include "host/Application.h"
#include "host/qt/SourceCodec.h"
#include "hostapi/Signal.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstddef>
#include <map>
#include <optional>
#include <vector>

class QPlainTextEdit;
class QSplitter;
class QWebEngineView;

namespace tlx::host {

class HtmlDocument;
class HtmlHighlighter;
class RenderingPage;
class WebServer;

// The object the rendering's script reports to (through the web channel, from its own script
// world: see ScriptBridge.h). Its invokable methods are the script's messages; the editor's
// requests to the script are its signal updateRequested.
class RenderingBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The script of the shown document listens.
    Q_INVOKABLE void ready();
    // The user pressed the element whose start tag begins at this byte of the page's text.
    Q_INVOKABLE void picked(double sourceOffset);
    // The update asked for as number `update` shows, or could not be made.
    Q_INVOKABLE void updated(int update, bool ok);

signals:
    // To the script: bring the body up to the page's current text, then say updated(update).
    void updateRequested(int update);

    // What the script said, for the editor.
    void scriptReady();
    void elementPicked(std::size_t sourceOffset);
    void updateDone(int update, bool ok);
};

class PageView : public QWidget {
    Q_OBJECT

public:
    // Without a server the page has no rendering (a blank pane stands in for it).
    PageView(PageWindowHandle window, WebServer* server, QWidget* parent = nullptr);
    ~PageView() override;

    const PageWindowHandle& pageWindow() const { return window_; }
    QPlainTextEdit* sourceEditor() const { return editor_; }
    // The web view, or the blank pane when the page is shown without rendering.
    QWidget* renderingPane() const { return rendering_; }
    QWebEngineView* webView() const { return webView_; }

    // Shows the panes of the page window's view mode.
    void applyViewMode();
    // The page's text is what its file holds now: editing back to it (by undo, say) makes the
    // page unchanged again.
    void markSaved();

    // Where the server offers the page: `mount` and the path inside it. The page's own text
    // is served from memory there (see servedText).
    void setServedAddress(const QString& mount, const QString& relativePath);
    const QString& servedMount() const { return mount_; }
    const QString& servedPath() const { return servedPath_; }
    bool isServedAt(const QString& mount, const QString& relativePath) const;
    QUrl renderingUrl() const;

    // The page's current text as the rendering gets it: each element's start tag carries the
    // source offset of its tag (data-tlx-src), by which the rendering's script reports pressed
    // elements. The document is never changed by this.
    // `bodyAt` receives where the body's start tag begins in it (-1 when the page has none
    // written).
    QByteArray servedText(qsizetype* bodyAt = nullptr) const;

    // What a press on the element whose start tag begins at `sourceOffset` does in the
    // source: a movie (or anything inside its OBJECT) or a picture is selected, any other
    // element gets the caret at the end of its content. False when no element starts there.
    bool selectElementStartingAt(std::size_t sourceOffset);

    // Brings the rendering up to the current text now: the body is put in place when only the
    // body changed (and holds no script), else the page is loaded again.
    void refreshRendering();
    // Milliseconds from the last change of the text to the rendering showing it; -1 before.
    qint64 lastRenderLatencyMs() const { return lastLatencyMs_; }
    int renderingLoads() const { return loads_; }

    // While typing goes on the rendering follows at most once in this time; the first change
    // after a pause shows at once.
    static constexpr int kRenderDelayMs = 150;

    // The names of the user actions the editor's next undo and redo steps take back or
    // again ("Insert Flash Button"); empty for typing or when there is nothing to do.
    QString undoName() const;
    QString redoName() const;

signals:
    void renderingLoaded(bool ok);
    // The page's modified state may have changed.
    void textEdited();
    // What undo and redo would do may have changed.
    void historyChanged();
    // Typed characters the page's encoding (`charset`) cannot hold were written as numeric
    // character references; said once for each page.
    void charactersEscaped(const QString& charset);

private:
    void loadFromDocument();
    void onEditorContentsChange(int position, int removed, int added);
    void onDocumentTextChanged(std::size_t start, std::size_t removed, std::size_t inserted);
    // The bytes for the text `added` that replaces the bytes [start, end) shown at `position`.
    std::string bytesForEdit(std::size_t start, std::size_t end, int position, const QString& added,
                             bool& escaped) const;
    // Makes the editor show the document's text, changing only the region that differs (in
    // place of the editor's last undo step when `sameUndoStep`).
    void showDocumentText(bool sameUndoStep);
    // The editor's text, every line break a "\n".
    QString shownText() const;
    void selectionToDocument();
    void selectionFromDocument();
    void scheduleRendering();
    void loadWholePage();
    void renderingDone(bool ok);
    void onUpdateDone(int update, bool ok);
    QString editorText(int from, int count) const;
    void followSavedState();
    void onUndoCommandAdded();
    void endUserAction();

    PageWindowHandle window_;
    std::shared_ptr<HtmlDocument> document_;
    QPointer<WebServer> server_;
    SourceCodec codec_;
    QSplitter* splitter_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    HtmlHighlighter* highlighter_ = nullptr;
    QWidget* rendering_ = nullptr;
    QWebEngineView* webView_ = nullptr;
    RenderingPage* page_ = nullptr;     // the web view's page, owned by it
    RenderingBridge* bridge_ = nullptr; // what its script reports to, owned by the page
    bool scriptReady_ = false;          // the shown document's script listens
    QUrl loadedUrl_;                    // what the rendering was last loaded from
    bool closing_ = false;              // the view is being destroyed
    QString mount_;
    QString servedPath_;
    QTimer renderTimer_;
    QElapsedTimer sinceChange_;
    QElapsedTimer lastRender_;
    QByteArray servedHead_; // the served text before the body, as last loaded whole
    int updateNumber_ = 0;
    bool changePending_ = false;
    qint64 lastLatencyMs_ = -1;
    int loads_ = 0;
    QVariant savedScroll_;
    std::optional<std::string>
        savedText_;             // the page's text as last read from or written to its file
    bool fromDocument_ = false; // the editor is being updated from the document
    bool toDocument_ = false;   // the document is being updated from the editor
    bool escapeReported_ = false;
    // The last texts removed whose bytes typing would not give back (see TextCodec::Removed).
    std::vector<TextCodec::Removed> removedText_;
    static constexpr std::size_t kRememberedEdits = 16;
    static constexpr std::size_t kMaxRemembered = 1 << 16;
    Subscription textSubscription_;
    Subscription selectionSubscription_;
    Subscription actionStartSubscription_;
    Subscription actionEndSubscription_;

    // Undo history: where each step of the editor's undo stack ends (its count of undo steps
    // once done) and the name of the user action it is (empty for typing).
    std::map<int, QString> stepEnds_;
    bool inAction_ = false;     // a user action of the document is under way
    bool actionEdited_ = false; // and it changed the text already (its step is open)
    int actionStart_ = 0;       // the undo count before it
    QString actionName_;
};

} // namespace tlx::host
