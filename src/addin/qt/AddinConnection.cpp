#include "addin/qt/AddinConnection.h"

#include "panel/qt/MainPanel.h"

#include <QWidget>

namespace tlx {

void QtMainPanelSlot::DeferredDelete::operator()(MainPanel* panel) const {
    // The panel may be unloading from one of its own handlers (its close label): it goes once
    // that handler has returned.
    if (panel) {
        panel->Form_Unload();
        panel->hide();
        panel->deleteLater();
    }
}

QtMainPanelSlot::QtMainPanelSlot(AddinContext& context, QWidget* hostWindow)
    : context_(context), hostWindow_(hostWindow) {}

QtMainPanelSlot::~QtMainPanelSlot() = default;

MainPanel& QtMainPanelSlot::Load() {
    if (!panel_) {
        panel_.reset(new MainPanel(
            context_, [this] { Unload(); }, hostWindow_.data()));
        ++loads_;
    }
    return *panel_;
}

void QtMainPanelSlot::Show() {
    Load().show();
}

void QtMainPanelSlot::SetVisible(bool visible) {
    Load().setVisible(visible);
}

void QtMainPanelSlot::SetTopmost(bool onTop) {
    Load().SetTopmost(onTop);
}

void QtMainPanelSlot::Unload() {
    panel_.reset();
}

AddinConnection::AddinConnection(ApplicationPtr application, Platform& platform,
                                 std::string installFolder, QWidget* hostWindow)
    : context_(platform, std::move(installFolder)), panel_(context_, hostWindow),
      connect_(context_, panel_) {
    context_.SetPanelTopmost = [this](bool onTop) {
        if (panel_.IsLoaded())
            panel_.SetTopmost(onTop);
    };
    connect_.IDTExtensibility2_OnConnection(std::move(application));
}

AddinConnection::~AddinConnection() {
    context_.SetPanelTopmost = [](bool) {};
    connect_.IDTExtensibility2_OnDisconnection();
}

std::unique_ptr<AddinConnection> connectAddins(ApplicationPtr application, Platform& platform,
                                               const std::string& installFolder,
                                               QWidget* hostWindow) {
    return std::make_unique<AddinConnection>(std::move(application), platform, installFolder,
                                             hostWindow);
}

} // namespace tlx
