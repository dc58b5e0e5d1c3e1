#pragma once
// The add-in object the page editor connects: it keeps the host application for the whole
// connection, listens to the application's and the active page's events, puts the button
// "Mirvane Kestrelite" into the popup "VORNE Mirvane" of the toolbar "VORNE Media" (shared with
// the maker's other add-ins) and keeps that toolbar's position in "mpos.dat".

#include "addin/MainPanelSlot.h"
#include "addinbase/AddinContext.h"
#include "hostapi/HostEditor.h"
#include "hostapi/Signal.h"

#include <any>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view kToolbarName = "VORNE Media";
inline constexpr std::string_view kPopupCaption = "VORNE Mirvane";
inline constexpr std::string_view kButtonCaption = "Mirvane Kestrelite";
inline constexpr int kToolbarPositionTop = 1;
inline constexpr int kButtonStyleIconAndCaption = 3;
inline constexpr int kButtonFaceId = 346;
// The status bar's note when the panel failed to open; the reason follows.
inline constexpr std::string_view kPanelOpenFailedText = "The Flash panel could not be opened";
// The status bar's note when a save could not remove the intro text files the page no longer
// names; the reason follows.
inline constexpr std::string_view kTextFilesNotRemovedText =
    "The replaced text files of the page could not be removed";

class Connect {
public:
    Connect(AddinContext& context, MainPanelSlot& panel);
    // Disconnects when still connected.
    ~Connect();
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    bool IsConnected() const { return connected_; }

    // ---- the connection interface; none of these throws
    void IDTExtensibility2_OnConnection(ApplicationPtr application, int connectMode = 0,
                                        std::any addInInst = {});
    void IDTExtensibility2_OnDisconnection(int removeMode = 0);
    void IDTExtensibility2_OnAddInsUpdate() {}
    void IDTExtensibility2_OnStartupComplete() {}
    void IDTExtensibility2_OnBeginShutdown() {}

    // The toolbar button: opens the main panel.
    void m_cbbMenu_Click();
    // true: restores the toolbar's position from "mpos.dat"; false: saves it there.
    void ToolbarPosition(bool load);

    // ---- host event hooks
    void FPApplic_OnBeforePageSave(const PageWindowPtr& page, bool saveAsUI, bool& cancel);
    void FPApplic_OnPageNew(const PageWindowPtr& page);
    void FPApplic_OnPageOpen(const PageWindowPtr& page);
    void FPApplic_WindowActivate(const PageWindowPtr& window);
    void FPApplic_WindowDeactivate(const PageWindowPtr& window);
    void FPApplic_OnPageClose(const PageWindowPtr& page, bool& cancel);
    void FPE_onafterupdate();

    // The document whose after-update event is received (FPE); nullptr when none.
    const DocumentPtr& BoundDocument() const { return fpe_; }

private:
    void BindApplicationEvents();
    void BindDocument(DocumentPtr document);
    void MakeCommandBars();
    void RemoveCommandBars();
    CommandBarPtr FindToolbar() const;

    AddinContext& context_;
    MainPanelSlot& panel_;
    bool connected_ = false;
    std::any addInInst_;

    // FPApplic: the application's events.
    std::vector<Subscription> fpApplic_;
    // FPE: the active page document and its after-update event.
    DocumentPtr fpe_;
    Subscription fpeUpdate_;
    // m_cbbMenu: our button and its click.
    ControlPtr m_cbbMenu;
    Subscription menuClick_;
};

} // namespace tlx
