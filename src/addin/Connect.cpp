#include "addin/Connect.h"

#include "addin/ToolbarPositionFile.h"
#include "markup/FlashFix.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace tlx {

namespace {

// Runs one step of the connection or of a hook that the user did not ask for; whatever fails
// inside it ends that step only and is written to the log.
template <typename Step> void Guarded(Step&& step) noexcept {
    try {
        step();
    } catch (const std::exception&) {
        LogCurrentException("Connect");
    }
}

// Runs a step the user asked for; a failure is logged and named in the editor's status bar as
// `failed` followed by the reason.
template <typename Step>
void GuardedTelling(const HostEditor& editor, std::string_view failed, Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        const std::string what = LogCurrentException("Connect");
        try {
            editor.SetStatusText(std::string(failed) + ": " + what + ".");
        } catch (const std::exception&) {
            LogCurrentException("Connect: status bar");
        }
    }
}

} // namespace

Connect::Connect(AddinContext& context, MainPanelSlot& panel) : context_(context), panel_(panel) {}

Connect::~Connect() {
    if (connected_)
        IDTExtensibility2_OnDisconnection();
}

void Connect::IDTExtensibility2_OnConnection(ApplicationPtr application, int /*connectMode*/,
                                             std::any addInInst) {
    // 1. The application handle and the add-in instance; the application's events.
    Guarded([&] {
        context_.Editor = HostEditor(std::move(application));
        addInInst_ = std::move(addInInst);
        connected_ = true;
        BindApplicationEvents();
    });
    // 2. The active page's document.
    Guarded([&] {
        const PageWindowPtr window = context_.Editor.ActivePageWindow();
        BindDocument(window ? window->Document() : nullptr);
    });
    // 3.
    context_.PanelOpen = false;
    // 4. Toolbar, popup and button.
    Guarded([&] { MakeCommandBars(); });
    // 5.
    Guarded([&] { ToolbarPosition(true); });
}

void Connect::IDTExtensibility2_OnDisconnection(int /*removeMode*/) {
    // 1.
    Guarded([&] { panel_.Unload(); });
    // 2. and 3.
    Guarded([&] { ToolbarPosition(false); });
    Guarded([&] { RemoveCommandBars(); });
    // 4. Let go of every host object.
    menuClick_.reset();
    m_cbbMenu.reset();
    fpApplic_.clear();
    addInInst_.reset();
    fpeUpdate_.reset();
    fpe_.reset();
    context_.Editor = HostEditor(nullptr);
    context_.SelectedObjectId.clear();
    connected_ = false;
    // 5.
    Guarded([&] { panel_.Unload(); });
}

void Connect::BindApplicationEvents() {
    fpApplic_.clear();
    HostApplication* application = context_.Editor.Application();
    if (!application)
        return;
    fpApplic_.push_back(application->OnBeforePageSave().connect(
        [this](const PageWindowPtr& page, bool saveAsUI, bool& cancel) {
            FPApplic_OnBeforePageSave(page, saveAsUI, cancel);
        }));
    fpApplic_.push_back(application->OnPageNew().connect(
        [this](const PageWindowPtr& page) { FPApplic_OnPageNew(page); }));
    fpApplic_.push_back(application->OnPageOpen().connect(
        [this](const PageWindowPtr& page) { FPApplic_OnPageOpen(page); }));
    fpApplic_.push_back(application->WindowActivate().connect(
        [this](const PageWindowPtr& window) { FPApplic_WindowActivate(window); }));
    fpApplic_.push_back(application->WindowDeactivate().connect(
        [this](const PageWindowPtr& window) { FPApplic_WindowDeactivate(window); }));
    fpApplic_.push_back(application->OnPageClose().connect(
        [this](const PageWindowPtr& page, bool& cancel) { FPApplic_OnPageClose(page, cancel); }));
}

void Connect::BindDocument(DocumentPtr document) {
    if (document == fpe_)
        return;
    fpeUpdate_.reset();
    fpe_ = std::move(document);
    if (fpe_)
        fpeUpdate_ = fpe_->onafterupdate().connect([this] { FPE_onafterupdate(); });
}

CommandBarPtr Connect::FindToolbar() const {
    HostApplication* application = context_.Editor.Application();
    return application ? application->CommandBars().Item(kToolbarName) : nullptr;
}

void Connect::MakeCommandBars() {
    HostApplication* application = context_.Editor.Application();
    if (!application)
        return;
    CommandBarPtr toolbar = application->CommandBars().Item(kToolbarName);
    if (!toolbar) {
        toolbar = application->CommandBars().Add(kToolbarName, kToolbarPositionTop, false, true);
        if (!toolbar)
            return;
        toolbar->SetVisible(true);
    }
    const ControlsPtr toolbarControls = toolbar->Controls();
    if (!toolbarControls)
        return;
    ControlPtr popup = toolbarControls->Item(kPopupCaption);
    if (!popup) {
        popup = toolbarControls->Add(ControlType::Popup, std::nullopt, false);
        if (!popup)
            return;
        popup->SetBeginGroup(true);
        popup->SetCaption(kPopupCaption);
        popup->SetVisible(true);
    }
    const ControlsPtr popupControls = popup->Controls();
    if (!popupControls)
        return;
    ControlPtr button = popupControls->Item(kButtonCaption);
    if (!button) {
        button = popupControls->Add(ControlType::Button, 1, false);
        if (!button)
            return;
        button->SetBeginGroup(false);
        button->SetStyle(kButtonStyleIconAndCaption);
        button->SetCaption(kButtonCaption);
        button->SetVisible(true);
        button->SetFaceId(kButtonFaceId);
    }
    m_cbbMenu = button;
    menuClick_ = button->Click().connect([this](HostControl&, bool&) { m_cbbMenu_Click(); });
}

void Connect::RemoveCommandBars() {
    const CommandBarPtr toolbar = FindToolbar();
    if (!toolbar)
        return;
    const ControlsPtr toolbarControls = toolbar->Controls();
    const ControlPtr popup = toolbarControls ? toolbarControls->Item(kPopupCaption) : nullptr;
    if (!popup)
        return;
    const ControlsPtr popupControls = popup->Controls();
    if (!popupControls)
        return;
    if (popupControls->Count() == 1) {
        // Only when that one control is ours: another add-in's last button stays where it is.
        if (!popupControls->Item(kButtonCaption))
            return;
        popup->Delete();
        // Other add-ins may keep popups of their own on the shared toolbar.
        if (toolbarControls->Count() == 0)
            toolbar->Delete();
    } else if (const ControlPtr button = popupControls->Item(kButtonCaption)) {
        button->Delete();
    }
}

void Connect::ToolbarPosition(bool load) {
    const CommandBarPtr toolbar = FindToolbar();
    if (!toolbar)
        return;
    const std::string path = ToolbarPositionPath(context_.InstallFolder);
    if (load) {
        const RestoredToolbarPosition restored = ReadToolbarPositionFile(path);
        // Each value the editor refuses leaves its property as it was.
        if (restored.Position)
            toolbar->SetPosition(*restored.Position);
        if (restored.Left)
            toolbar->SetLeft(*restored.Left);
        if (restored.Top)
            toolbar->SetTop(*restored.Top);
        if (restored.RowIndex)
            toolbar->SetRowIndex(*restored.RowIndex);
    } else {
        ToolbarPositionValues values;
        values.Position = toolbar->Position();
        values.Left = toolbar->Left();
        values.Top = toolbar->Top();
        values.RowIndex = toolbar->RowIndex();
        WriteToolbarPositionFile(path, values);
    }
}

void Connect::m_cbbMenu_Click() {
    GuardedTelling(context_.Editor, kPanelOpenFailedText, [&] {
        // A panel that did not open must not be moved by the window events.
        struct OpenUnlessShown {
            AddinContext& context;
            bool shown = false;
            ~OpenUnlessShown() {
                if (!shown)
                    context.PanelOpen = false;
            }
        } open{context_};
        context_.PanelOpen = true;
        panel_.Show();
        open.shown = true;
    });
}

void Connect::FPApplic_OnBeforePageSave(const PageWindowPtr& page, bool, bool&) {
    // The save goes on whatever the check meets; `cancel` is never touched.
    BeforeSaveCheck(context_.Editor, context_.platform);
    GuardedTelling(context_.Editor, kTextFilesNotRemovedText,
                   [&] { DeleteReplacedTextFiles(context_, page); });
}

void Connect::FPApplic_OnPageNew(const PageWindowPtr&) {
    Guarded([&] {
        if (!context_.PanelOpen)
            return;
        panel_.SetTopmost(true);
        BindDocument(context_.Editor.ActiveDocument());
    });
}

void Connect::FPApplic_OnPageOpen(const PageWindowPtr& page) {
    FPApplic_OnPageNew(page);
}

void Connect::FPApplic_WindowActivate(const PageWindowPtr&) {
    Guarded([&] {
        if (!context_.PanelOpen)
            return;
        panel_.SetTopmost(true);
        panel_.SetVisible(true);
        BindDocument(context_.Editor.ActiveDocument());
    });
}

void Connect::FPApplic_WindowDeactivate(const PageWindowPtr&) {
    Guarded([&] {
        if (!context_.PanelOpen)
            return;
        panel_.SetTopmost(false);
        panel_.SetVisible(false);
    });
}

void Connect::FPApplic_OnPageClose(const PageWindowPtr& page, bool&) {
    // A page closed without saving keeps naming its old text files on disk: they stay.
    const DocumentPtr document = page ? page->Document() : nullptr;
    if (!document)
        return;
    const std::string href = document->locationHref();
    std::erase_if(context_.TextFilesToDelete,
                  [&](const TextFileToDelete& entry) { return entry.PageHref == href; });
}

void Connect::FPE_onafterupdate() {
    context_.StatusFlag = std::string(kStatusFPReady);
}

} // namespace tlx
