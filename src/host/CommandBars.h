#pragma once
// The editor's command bars: toolbars and menus, their controls (buttons and popups), as the
// add-in and the editor's own windows use them. The model knows nothing about widgets; the
// windows follow it through CommandBars::Changed().
//
// Names and captions are matched with letter case ignored; in captions an "&" that marks a
// keyboard accelerator is ignored too ("&Copy" is found as "Copy", "&&" stands for one "&").
//
// A deleted bar or control is gone from its collection for good; handles still held to it
// answer every call with false, nullptr or the empty text.

#include "hostapi/HostEditor.h"
#include "hostapi/Signal.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::host {

class CommandBar;
class Control;
class Controls;

// What changed in the command bars, for the windows that show them.
struct CommandBarsChange {
    enum class Kind { BarAdded, BarRemoved, ControlAdded, ControlRemoved, PropertyChanged };
    Kind kind;
    // The bar concerned (for a control: the bar the control is on, through its popups).
    std::shared_ptr<CommandBar> bar;
    // The control concerned; nullptr when the change is the bar's own.
    std::shared_ptr<Control> control;
    // For PropertyChanged: the property's name ("Visible", "Caption", "Position", ...).
    std::string property;
};

// Letter case and accelerator markers dropped: the form in which captions are compared.
std::string normalizedCaption(std::string_view caption);
// Letter case dropped: the form in which bar names are compared.
std::string normalizedBarName(std::string_view name);

namespace detail {
// What the bars, their collections and controls share: the list of bars (so that a bar can
// take itself out) and the change signal.
struct CommandBarsHub {
    Signal<const CommandBarsChange&> changed;
    // A control's command that failed, with the note for the user.
    Signal<const std::string&> commandFailed;
    std::vector<std::shared_ptr<CommandBar>> bars;
};
void notify(const std::weak_ptr<CommandBarsHub>& hub, const CommandBarsChange& change);
} // namespace detail

// The note given when a control's handler or action fails; the reason follows.
inline constexpr std::string_view kCommandFailedText = "The command failed: ";

// Button styles (`Style`): 0 automatic, 1 icon, 2 caption, 3 icon and caption.
inline constexpr int kButtonStyleMax = 3;

class Control : public HostControl, public std::enable_shared_from_this<Control> {
public:
    Control(ControlType type, bool temporary, std::weak_ptr<host::Controls> parent,
            std::weak_ptr<CommandBar> bar, std::weak_ptr<detail::CommandBarsHub> hub);

    ControlType Type() const override { return type_; }
    bool BeginGroup() const override;
    bool SetBeginGroup(bool value) override;
    std::string Caption() const override;
    bool SetCaption(std::string_view caption) override;
    bool Visible() const override;
    bool SetVisible(bool value) override;
    int Style() const override;
    bool SetStyle(int style) override;
    int FaceId() const override;
    bool SetFaceId(int faceId) override;
    bool Delete() override;
    // A button: raises Click; unless a handler cancels the default, runs the built-in action.
    // True when a handler or the action took the click (and the action did not fail). A
    // handler or action that throws ends the click: false, and CommandFailed() tells why.
    bool Execute() noexcept override;
    ControlsPtr Controls() const override;
    Signal<HostControl&, bool&>& Click() override { return click_; }

    // ---- host side
    bool isDeleted() const { return deleted_; }
    bool isTemporary() const { return temporary_; }
    bool isBuiltIn() const { return builtIn_; }
    void markBuiltIn() { builtIn_ = true; }
    // The editor's own action of a built-in control (Insert > Hyperlink..., Edit > Copy);
    // it returns whether it did its work. An empty function removes the action.
    void setAction(std::function<bool()> action) { action_ = std::move(action); }
    bool hasAction() const { return static_cast<bool>(action_); }
    std::shared_ptr<host::Controls> popupControls() const;
    std::shared_ptr<CommandBar> bar() const { return bar_.lock(); }

    // Called by the collection that drops this control (and its popup's controls).
    void detach();

private:
    void changed(const char* property);

    ControlType type_;
    bool temporary_;
    bool builtIn_ = false;
    bool deleted_ = false;
    bool beginGroup_ = false;
    bool visible_ = true;
    int style_ = 0;
    int faceId_ = 0;
    std::string caption_;
    std::shared_ptr<host::Controls> children_;
    std::weak_ptr<host::Controls> parent_;
    std::weak_ptr<CommandBar> bar_;
    std::weak_ptr<detail::CommandBarsHub> hub_;
    std::function<bool()> action_;
    Signal<HostControl&, bool&> click_;
};

class Controls : public HostControls, public std::enable_shared_from_this<Controls> {
public:
    Controls(std::weak_ptr<CommandBar> bar, std::weak_ptr<detail::CommandBarsHub> hub);

    ControlPtr Item(std::string_view caption) const override;
    ControlPtr Item(int index) const override;
    // `before` must lie in 1..Count()+1; the type must be a button or a popup.
    ControlPtr Add(ControlType type, std::optional<int> before, bool temporary) override;
    int Count() const override;

    // ---- host side
    std::shared_ptr<Control> find(std::string_view caption) const;
    const std::vector<std::shared_ptr<Control>>& items() const { return items_; }
    bool remove(const Control& control);
    void detachAll();

private:
    std::weak_ptr<CommandBar> bar_;
    std::weak_ptr<detail::CommandBarsHub> hub_;
    std::vector<std::shared_ptr<Control>> items_;
    bool detached_ = false;
};

class CommandBar : public HostCommandBar, public std::enable_shared_from_this<CommandBar> {
public:
    // Made through create(): a bar's controls need a handle to the bar.
    static std::shared_ptr<CommandBar> create(std::string name, int position, bool menuBar,
                                              bool temporary,
                                              std::weak_ptr<detail::CommandBarsHub> hub);

    std::string Name() const override { return name_; }
    ControlsPtr Controls() const override;
    bool Visible() const override;
    bool SetVisible(bool value) override;
    // Built-in bars cannot be deleted.
    bool Delete() override;
    int Position() const override;
    // 0..4.
    bool SetPosition(int value) override;
    int Left() const override;
    // Left and Top: screen coordinates in -32768..32767.
    bool SetLeft(int value) override;
    int Top() const override;
    bool SetTop(int value) override;
    int RowIndex() const override;
    // 0 or more.
    bool SetRowIndex(int value) override;

    // ---- host side
    bool isDeleted() const { return deleted_; }
    bool isBuiltIn() const { return builtIn_; }
    void markBuiltIn() { builtIn_ = true; }
    // A menu of the editor's menu bar rather than a toolbar (the built-in "Insert", "Edit").
    bool isMenu() const { return menu_; }
    void setMenu(bool menu) { menu_ = menu; }
    bool isMenuBar() const { return menuBar_; }
    bool isTemporary() const { return temporary_; }
    std::shared_ptr<host::Controls> controls() const { return controls_; }
    void detach();

private:
    CommandBar(std::string name, int position, bool menuBar, bool temporary,
               std::weak_ptr<detail::CommandBarsHub> hub);
    bool setInt(int& field, int value, int low, int high, const char* property);

    std::string name_;
    int position_;
    bool menuBar_;
    bool temporary_;
    bool builtIn_ = false;
    bool menu_ = false;
    bool deleted_ = false;
    bool visible_ = false;
    int left_ = 0;
    int top_ = 0;
    int rowIndex_ = 0;
    std::shared_ptr<host::Controls> controls_;
    std::weak_ptr<detail::CommandBarsHub> hub_;
};

class CommandBars : public HostCommandBars {
public:
    // The editor's built-in bars: "Insert" with "Hyperlink..." and "Edit" with "Copy".
    CommandBars();

    CommandBarPtr Item(std::string_view name) const override;
    // Fails (nullptr) for a name already taken or a position outside 0..4. An empty name
    // becomes "Custom 1", "Custom 2", ...
    CommandBarPtr Add(std::string_view name, int position, bool menuBar, bool temporary) override;

    // ---- host side
    std::shared_ptr<CommandBar> find(std::string_view name) const;
    // Bars in the order they were made, built-in ones first.
    std::vector<std::shared_ptr<CommandBar>> bars() const;
    // The control `caption` of the bar `barName`, nullptr when either is absent.
    std::shared_ptr<Control> findControl(std::string_view barName, std::string_view caption) const;
    Signal<const CommandBarsChange&>& Changed() { return hub_->changed; }
    // Raised with kCommandFailedText and the reason when a control's handler or action throws.
    Signal<const std::string&>& CommandFailed() { return hub_->commandFailed; }

private:
    std::shared_ptr<detail::CommandBarsHub> hub_;
};

} // namespace tlx::host
