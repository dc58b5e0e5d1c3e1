#include "host/CommandBars.h"

#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace tlx::host {

std::string normalizedCaption(std::string_view caption) {
    std::string result;
    result.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '&') {
            // "&&" is a literal ampersand; a single one marks the accelerator.
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string normalizedBarName(std::string_view name) {
    std::string result(name);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

namespace detail {
void notify(const std::weak_ptr<CommandBarsHub>& hub, const CommandBarsChange& change) {
    const auto locked = hub.lock();
    if (!locked)
        return;
    try {
        locked->changed.raise(change);
    } catch (const std::exception&) {
        LogCurrentException("CommandBars: a change listener");
        // A window that fails to follow a change must not undo the change itself.
    }
}

namespace {
// Tells the listeners of the command bars that a control's command failed; whatever fails in
// the telling is written to the log.
void tellCommandFailed(const std::weak_ptr<CommandBarsHub>& hub, const std::string& reason) {
    try {
        if (const auto locked = hub.lock())
            locked->commandFailed.raise(std::string(kCommandFailedText) + reason);
    } catch (const std::exception&) {
        LogCurrentException("CommandBars: telling a failed command");
    }
}
} // namespace
} // namespace detail

// ---- Control ------------------------------------------------------------------------------

Control::Control(ControlType type, bool temporary, std::weak_ptr<host::Controls> parent,
                 std::weak_ptr<CommandBar> bar, std::weak_ptr<detail::CommandBarsHub> hub)
    : type_(type), temporary_(temporary), parent_(std::move(parent)), bar_(std::move(bar)),
      hub_(std::move(hub)) {
    if (type_ == ControlType::Popup)
        children_ = std::make_shared<host::Controls>(bar_, hub_);
}

void Control::changed(const char* property) {
    detail::notify(hub_, {CommandBarsChange::Kind::PropertyChanged, bar_.lock(), shared_from_this(),
                          property});
}

bool Control::BeginGroup() const {
    return !deleted_ && beginGroup_;
}

bool Control::SetBeginGroup(bool value) {
    if (deleted_)
        return false;
    if (beginGroup_ != value) {
        beginGroup_ = value;
        changed("BeginGroup");
    }
    return true;
}

std::string Control::Caption() const {
    return deleted_ ? std::string() : caption_;
}

bool Control::SetCaption(std::string_view caption) {
    if (deleted_)
        return false;
    if (caption_ != caption) {
        caption_ = std::string(caption);
        changed("Caption");
    }
    return true;
}

bool Control::Visible() const {
    return !deleted_ && visible_;
}

bool Control::SetVisible(bool value) {
    if (deleted_)
        return false;
    if (visible_ != value) {
        visible_ = value;
        changed("Visible");
    }
    return true;
}

int Control::Style() const {
    return deleted_ ? 0 : style_;
}

bool Control::SetStyle(int style) {
    if (deleted_ || type_ != ControlType::Button || style < 0 || style > kButtonStyleMax)
        return false;
    if (style_ != style) {
        style_ = style;
        changed("Style");
    }
    return true;
}

int Control::FaceId() const {
    return deleted_ ? 0 : faceId_;
}

bool Control::SetFaceId(int faceId) {
    if (deleted_ || type_ != ControlType::Button || faceId < 0)
        return false;
    if (faceId_ != faceId) {
        faceId_ = faceId;
        changed("FaceId");
    }
    return true;
}

bool Control::Delete() {
    if (deleted_)
        return false;
    const auto parent = parent_.lock();
    return parent && parent->remove(*this);
}

bool Control::Execute() noexcept {
    if (deleted_ || type_ != ControlType::Button)
        return false;
    try {
        // Keep this control alive while handlers run, even if one of them deletes it.
        const auto self = shared_from_this();
        bool cancelDefault = false;
        const bool handled = click_.handlerCount() > 0;
        click_.raise(*this, cancelDefault);
        if (cancelDefault)
            return true;
        if (action_) {
            const auto action = action_;
            return action();
        }
        return handled;
    } catch (...) {
        // The last stop before the window's event loop: whatever a handler throws is told.
        detail::tellCommandFailed(hub_, LogCurrentException("Control::Execute"));
        return false;
    }
}

ControlsPtr Control::Controls() const {
    return deleted_ ? nullptr : children_;
}

std::shared_ptr<host::Controls> Control::popupControls() const {
    return deleted_ ? nullptr : children_;
}

void Control::detach() {
    deleted_ = true;
    if (children_)
        children_->detachAll();
}

// ---- Controls -----------------------------------------------------------------------------

Controls::Controls(std::weak_ptr<CommandBar> bar, std::weak_ptr<detail::CommandBarsHub> hub)
    : bar_(std::move(bar)), hub_(std::move(hub)) {}

std::shared_ptr<Control> Controls::find(std::string_view caption) const {
    const std::string wanted = normalizedCaption(caption);
    for (const auto& control : items_)
        if (normalizedCaption(control->Caption()) == wanted)
            return control;
    return nullptr;
}

ControlPtr Controls::Item(std::string_view caption) const {
    return find(caption);
}

ControlPtr Controls::Item(int index) const {
    if (index < 1 || index > static_cast<int>(items_.size()))
        return nullptr;
    return items_[static_cast<std::size_t>(index - 1)];
}

ControlPtr Controls::Add(ControlType type, std::optional<int> before, bool temporary) {
    if (detached_ || (type != ControlType::Button && type != ControlType::Popup))
        return nullptr;
    const int count = static_cast<int>(items_.size());
    const int place = before.value_or(count + 1);
    if (place < 1 || place > count + 1)
        return nullptr;
    try {
        auto control = std::make_shared<Control>(type, temporary, weak_from_this(), bar_, hub_);
        items_.insert(items_.begin() + (place - 1), control);
        detail::notify(hub_, {CommandBarsChange::Kind::ControlAdded, bar_.lock(), control, {}});
        return control;
    } catch (const std::exception&) {
        LogCurrentException("Controls::Add");
        return nullptr;
    }
}

int Controls::Count() const {
    return static_cast<int>(items_.size());
}

bool Controls::remove(const Control& control) {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const auto& item) { return item.get() == &control; });
    if (it == items_.end())
        return false;
    const auto removed = *it;
    items_.erase(it);
    removed->detach();
    detail::notify(hub_, {CommandBarsChange::Kind::ControlRemoved, bar_.lock(), removed, {}});
    return true;
}

void Controls::detachAll() {
    detached_ = true;
    for (const auto& control : items_)
        control->detach();
    items_.clear();
}

// ---- CommandBar ---------------------------------------------------------------------------

CommandBar::CommandBar(std::string name, int position, bool menuBar, bool temporary,
                       std::weak_ptr<detail::CommandBarsHub> hub)
    : name_(std::move(name)), position_(position), menuBar_(menuBar), temporary_(temporary),
      hub_(std::move(hub)) {}

std::shared_ptr<CommandBar> CommandBar::create(std::string name, int position, bool menuBar,
                                               bool temporary,
                                               std::weak_ptr<detail::CommandBarsHub> hub) {
    std::shared_ptr<CommandBar> bar(
        new CommandBar(std::move(name), position, menuBar, temporary, hub));
    bar->controls_ = std::make_shared<host::Controls>(bar, std::move(hub));
    return bar;
}

ControlsPtr CommandBar::Controls() const {
    return deleted_ ? nullptr : controls_;
}

bool CommandBar::Visible() const {
    return !deleted_ && visible_;
}

bool CommandBar::SetVisible(bool value) {
    if (deleted_)
        return false;
    if (visible_ != value) {
        visible_ = value;
        detail::notify(hub_, {CommandBarsChange::Kind::PropertyChanged, shared_from_this(), nullptr,
                              "Visible"});
    }
    return true;
}

bool CommandBar::Delete() {
    if (deleted_ || builtIn_)
        return false;
    const auto hub = hub_.lock();
    if (!hub)
        return false;
    auto& bars = hub->bars;
    const auto it = std::find_if(bars.begin(), bars.end(),
                                 [this](const auto& bar) { return bar.get() == this; });
    if (it == bars.end())
        return false;
    const auto self = *it;
    bars.erase(it);
    detach();
    detail::notify(hub_, {CommandBarsChange::Kind::BarRemoved, self, nullptr, {}});
    return true;
}

void CommandBar::detach() {
    deleted_ = true;
    controls_->detachAll();
}

bool CommandBar::setInt(int& field, int value, int low, int high, const char* property) {
    if (deleted_ || value < low || value > high)
        return false;
    if (field != value) {
        field = value;
        detail::notify(hub_, {CommandBarsChange::Kind::PropertyChanged, shared_from_this(), nullptr,
                              property});
    }
    return true;
}

int CommandBar::Position() const {
    return position_;
}
bool CommandBar::SetPosition(int value) {
    return setInt(position_, value, 0, 4, "Position");
}
int CommandBar::Left() const {
    return left_;
}
bool CommandBar::SetLeft(int value) {
    return setInt(left_, value, -32768, 32767, "Left");
}
int CommandBar::Top() const {
    return top_;
}
bool CommandBar::SetTop(int value) {
    return setInt(top_, value, -32768, 32767, "Top");
}
int CommandBar::RowIndex() const {
    return rowIndex_;
}
bool CommandBar::SetRowIndex(int value) {
    return setInt(rowIndex_, value, 0, 32767, "RowIndex");
}

// ---- CommandBars --------------------------------------------------------------------------

CommandBars::CommandBars() : hub_(std::make_shared<detail::CommandBarsHub>()) {
    const auto addBuiltIn = [this](const char* barName, const char* caption) {
        auto bar = CommandBar::create(barName, 1, false, false, hub_);
        bar->markBuiltIn();
        bar->setMenu(true);
        const auto control = std::static_pointer_cast<Control>(
            bar->controls()->Add(ControlType::Button, std::nullopt, false));
        control->SetCaption(caption);
        control->markBuiltIn();
        hub_->bars.push_back(std::move(bar));
    };
    addBuiltIn("Edit", "Copy");
    addBuiltIn("Insert", "Hyperlink...");
}

std::shared_ptr<CommandBar> CommandBars::find(std::string_view name) const {
    const std::string wanted = normalizedBarName(name);
    for (const auto& bar : hub_->bars)
        if (normalizedBarName(bar->Name()) == wanted)
            return bar;
    return nullptr;
}

CommandBarPtr CommandBars::Item(std::string_view name) const {
    return find(name);
}

CommandBarPtr CommandBars::Add(std::string_view name, int position, bool menuBar, bool temporary) {
    if (position < 0 || position > 4)
        return nullptr;
    try {
        std::string barName(name);
        if (barName.empty()) {
            for (int n = 1; barName.empty() || find(barName); ++n)
                barName = "Custom " + std::to_string(n);
        } else if (find(barName)) {
            return nullptr;
        }
        auto bar = CommandBar::create(std::move(barName), position, menuBar, temporary, hub_);
        hub_->bars.push_back(bar);
        detail::notify(hub_, {CommandBarsChange::Kind::BarAdded, bar, nullptr, {}});
        return bar;
    } catch (const std::exception&) {
        LogCurrentException("CommandBars::Add");
        return nullptr;
    }
}

std::vector<std::shared_ptr<CommandBar>> CommandBars::bars() const {
    return hub_->bars;
}

std::shared_ptr<Control> CommandBars::findControl(std::string_view barName,
                                                  std::string_view caption) const {
    const auto bar = find(barName);
    return bar ? bar->controls()->find(caption) : nullptr;
}

} // namespace tlx::host
