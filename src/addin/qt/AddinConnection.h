#pragma once
// The add-in connected to a running page editor: the one call the editor's start makes.

#include "addin/Connect.h"
#include "addin/MainPanelSlot.h"
#include "addinbase/AddinContext.h"

#include <QPointer>
#include <memory>
#include <string>

class QWidget;

namespace tlx {

class MainPanel;

// The main panel, loaded on first use and unloaded on request.
class QtMainPanelSlot : public MainPanelSlot {
public:
    QtMainPanelSlot(AddinContext& context, QWidget* hostWindow);
    ~QtMainPanelSlot() override;
    QtMainPanelSlot(const QtMainPanelSlot&) = delete;
    QtMainPanelSlot& operator=(const QtMainPanelSlot&) = delete;

    bool IsLoaded() const override { return panel_ != nullptr; }
    void Show() override;
    void SetVisible(bool visible) override;
    void SetTopmost(bool onTop) override;
    void Unload() override;

    // The loaded panel, nullptr when none.
    MainPanel* Panel() const { return panel_.get(); }
    // How many times a panel was loaded.
    int LoadCount() const { return loads_; }

private:
    MainPanel& Load();

    struct DeferredDelete {
        void operator()(MainPanel* panel) const;
    };

    AddinContext& context_;
    QPointer<QWidget> hostWindow_;
    std::unique_ptr<MainPanel, DeferredDelete> panel_;
    int loads_ = 0;
};

// Owns one connection of the add-in; destroying it disconnects.
class AddinConnection {
public:
    AddinConnection(ApplicationPtr application, Platform& platform, std::string installFolder,
                    QWidget* hostWindow);
    ~AddinConnection();
    AddinConnection(const AddinConnection&) = delete;
    AddinConnection& operator=(const AddinConnection&) = delete;

    AddinContext& Context() { return context_; }
    Connect& Addin() { return connect_; }
    QtMainPanelSlot& PanelSlot() { return panel_; }

private:
    AddinContext context_;
    QtMainPanelSlot panel_;
    Connect connect_;
};

// Connects the add-in to the editor whose application is `application`, with the install
// folder `installFolder`; `hostWindow` is the editor's main window (the panel first appears
// over it). Keep the result for as long as the add-in stays connected.
std::unique_ptr<AddinConnection> connectAddins(ApplicationPtr application, Platform& platform,
                                               const std::string& installFolder,
                                               QWidget* hostWindow);

} // namespace tlx
