#include "host/CommandBars.h"

#include "host/Application.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace tlx::host {
namespace {

// The toolbar, shared popup and button as an add-in finds or makes them when it connects.
ControlPtr findOrMakeButton(HostCommandBars& bars) {
    auto bar = bars.Item("VORNE Media");
    if (!bar) {
        bar = bars.Add("VORNE Media", 1, false, true);
        if (!bar)
            return nullptr;
        bar->SetVisible(true);
    }
    auto popup = bar->Controls()->Item("VORNE Mirvane");
    if (!popup) {
        popup = bar->Controls()->Add(ControlType::Popup, std::nullopt, false);
        popup->SetBeginGroup(true);
        popup->SetCaption("VORNE Mirvane");
        popup->SetVisible(true);
    }
    auto button = popup->Controls()->Item("Mirvane Kestrelite");
    if (!button) {
        button = popup->Controls()->Add(ControlType::Button, 1, false);
        button->SetBeginGroup(false);
        button->SetStyle(3);
        button->SetCaption("Mirvane Kestrelite");
        button->SetVisible(true);
        button->SetFaceId(346);
    }
    return button;
}

// What an add-in does when it disconnects.
void removeButton(HostCommandBars& bars) {
    const auto bar = bars.Item("VORNE Media");
    if (!bar)
        return;
    const auto popup = bar->Controls()->Item("VORNE Mirvane");
    if (!popup)
        return;
    if (popup->Controls()->Count() == 1) {
        popup->Delete();
        bar->Delete();
    } else if (const auto button = popup->Controls()->Item("Mirvane Kestrelite")) {
        button->Delete();
    }
}

TEST(CommandBars, FindOrMakeOnAFreshHostThenFindAgain) {
    CommandBars bars;
    std::vector<CommandBarsChange::Kind> changes;
    auto subscription =
        bars.Changed().connect([&](const CommandBarsChange& c) { changes.push_back(c.kind); });

    EXPECT_EQ(bars.Item("VORNE Media"), nullptr);
    const auto button = findOrMakeButton(bars);
    ASSERT_NE(button, nullptr);

    const auto bar = bars.Item("VORNE Media");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Position(), 1);
    ASSERT_EQ(bar->Controls()->Count(), 1);
    const auto popup = bar->Controls()->Item(1);
    EXPECT_EQ(popup->Type(), ControlType::Popup);
    EXPECT_TRUE(popup->BeginGroup());
    EXPECT_EQ(popup->Controls()->Item(1), button);
    EXPECT_EQ(button->Style(), 3);
    EXPECT_EQ(button->FaceId(), 346);
    EXPECT_EQ(button->Caption(), "Mirvane Kestrelite");

    // The windows hear of the bar, both controls and the properties set on them.
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes[0], CommandBarsChange::Kind::BarAdded);
    EXPECT_EQ(std::count(changes.begin(), changes.end(), CommandBarsChange::Kind::ControlAdded), 2);

    // Connecting again finds everything; names and captions ignore letter case.
    EXPECT_EQ(findOrMakeButton(bars), button);
    EXPECT_EQ(bars.Item("vorne media"), bar);
    EXPECT_EQ(bar->Controls()->Item("vorne MIRVANE"), popup);
    EXPECT_EQ(popup->Controls()->Count(), 1);
}

TEST(CommandBars, SharedPopupKeepsTheOtherAddInsButton) {
    CommandBars bars;
    const auto bar = bars.Add("VORNE Media", 1, false, true);
    const auto popup = bar->Controls()->Add(ControlType::Popup, std::nullopt, false);
    popup->SetCaption("VORNE Mirvane");
    const auto other = popup->Controls()->Add(ControlType::Button, std::nullopt, false);
    other->SetCaption("Other Tool");
    popup->SetBeginGroup(false);

    const auto ours = findOrMakeButton(bars);
    ASSERT_NE(ours, nullptr);
    // Reused as found: nothing set on the existing popup.
    EXPECT_FALSE(popup->BeginGroup());
    ASSERT_EQ(popup->Controls()->Count(), 2);
    EXPECT_EQ(popup->Controls()->Item(1), ours);
    EXPECT_EQ(popup->Controls()->Item(2), other);

    removeButton(bars);
    EXPECT_EQ(bars.Item("VORNE Media"), bar);
    ASSERT_EQ(popup->Controls()->Count(), 1);
    EXPECT_EQ(popup->Controls()->Item(1), other);
    EXPECT_EQ(popup->Controls()->Item("Mirvane Kestrelite"), nullptr);
    // The handle to the deleted button answers nothing.
    EXPECT_EQ(ours->Caption(), "");
    EXPECT_FALSE(ours->SetCaption("again"));
    EXPECT_FALSE(ours->Delete());
    EXPECT_FALSE(ours->Execute());
}

TEST(CommandBars, DeletingTheLastControlTakesPopupAndBar) {
    CommandBars bars;
    ASSERT_NE(findOrMakeButton(bars), nullptr);
    const auto bar = bars.Item("VORNE Media");
    const auto popup = bar->Controls()->Item("VORNE Mirvane");
    std::vector<CommandBarsChange> changes;
    auto subscription =
        bars.Changed().connect([&](const CommandBarsChange& c) { changes.push_back(c); });

    removeButton(bars);
    EXPECT_EQ(bars.Item("VORNE Media"), nullptr);
    EXPECT_EQ(popup->Controls(), nullptr);
    EXPECT_EQ(bar->Controls(), nullptr);
    EXPECT_FALSE(bar->SetVisible(true));
    EXPECT_FALSE(bar->Delete());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, CommandBarsChange::Kind::ControlRemoved);
    EXPECT_EQ(changes[0].control, popup);
    EXPECT_EQ(changes[1].kind, CommandBarsChange::Kind::BarRemoved);
    EXPECT_EQ(changes[1].bar, bar);

    // The name is free again for the next connection.
    EXPECT_NE(findOrMakeButton(bars), nullptr);
    EXPECT_NE(bars.Item("VORNE Media"), bar);
}

TEST(CommandBars, PlacementAndIndexesAreOneBased) {
    CommandBars bars;
    const auto controls = bars.Add("Tools", 1, false, true)->Controls();
    const auto a = controls->Add(ControlType::Button, std::nullopt, false);
    const auto b = controls->Add(ControlType::Button, std::nullopt, false);
    const auto c = controls->Add(ControlType::Button, 2, false);
    EXPECT_EQ(controls->Item(1), a);
    EXPECT_EQ(controls->Item(2), c);
    EXPECT_EQ(controls->Item(3), b);
    EXPECT_EQ(controls->Item(0), nullptr);
    EXPECT_EQ(controls->Item(4), nullptr);
    const auto last = controls->Add(ControlType::Button, 4, false);
    EXPECT_EQ(controls->Item(4), last);
    EXPECT_EQ(controls->Add(ControlType::Button, 0, false), nullptr);
    EXPECT_EQ(controls->Add(ControlType::Button, 6, false), nullptr);
    EXPECT_EQ(controls->Add(static_cast<ControlType>(4), std::nullopt, false), nullptr);
    EXPECT_EQ(controls->Count(), 4);
    // A button has no controls of its own.
    EXPECT_EQ(a->Controls(), nullptr);
}

TEST(CommandBars, BarNamesAndPositionProperties) {
    CommandBars bars;
    EXPECT_EQ(bars.Add("X", 5, false, true), nullptr);
    EXPECT_EQ(bars.Add("X", -1, false, true), nullptr);
    const auto bar = bars.Add("X", 1, false, true);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->Visible());
    EXPECT_EQ(bars.Add("x", 1, false, true), nullptr);
    EXPECT_EQ(bars.Add("", 1, false, true)->Name(), "Custom 1");
    EXPECT_EQ(bars.Add("", 1, false, true)->Name(), "Custom 2");

    EXPECT_TRUE(bar->SetPosition(4));
    EXPECT_TRUE(bar->SetLeft(-120));
    EXPECT_TRUE(bar->SetTop(300));
    EXPECT_TRUE(bar->SetRowIndex(2));
    // Refused values leave the property as it was.
    EXPECT_FALSE(bar->SetPosition(5));
    EXPECT_FALSE(bar->SetPosition(-1));
    EXPECT_FALSE(bar->SetTop(40000));
    EXPECT_FALSE(bar->SetRowIndex(-1));
    EXPECT_EQ(bar->Position(), 4);
    EXPECT_EQ(bar->Left(), -120);
    EXPECT_EQ(bar->Top(), 300);
    EXPECT_EQ(bar->RowIndex(), 2);
    EXPECT_TRUE(bar->Delete());
    EXPECT_FALSE(bar->SetPosition(0));
}

TEST(CommandBars, ButtonPropertiesAndCaptionMatching) {
    CommandBars bars;
    const auto controls = bars.Add("Tools", 1, false, true)->Controls();
    const auto popup = controls->Add(ControlType::Popup, std::nullopt, false);
    EXPECT_FALSE(popup->SetStyle(3));
    EXPECT_FALSE(popup->SetFaceId(346));
    EXPECT_FALSE(popup->Execute());
    const auto button = controls->Add(ControlType::Button, std::nullopt, false);
    EXPECT_FALSE(button->SetStyle(4));
    EXPECT_FALSE(button->SetFaceId(-1));
    EXPECT_EQ(button->Style(), 0);
    button->SetCaption("Save && &Close");
    // Both sides are compared without accelerator marks and letter case.
    EXPECT_EQ(controls->Item("SAVE && CLOSE"), button);
    EXPECT_EQ(controls->Item("save && c&lose"), button);
    EXPECT_EQ(controls->Item("Save Close"), nullptr);
}

TEST(CommandBars, BuiltInCommandsRunTheirActionUnlessCancelled) {
    CommandBars bars;
    const auto hyperlink = bars.Item("Insert")->Controls()->Item("Hyperlink...");
    ASSERT_NE(hyperlink, nullptr);
    ASSERT_NE(bars.Item("edit")->Controls()->Item("copy"), nullptr);
    EXPECT_FALSE(bars.Item("Insert")->Delete());
    EXPECT_NE(bars.Item("Insert"), nullptr);

    // No action supplied yet: nothing happens.
    EXPECT_FALSE(hyperlink->Execute());

    int runs = 0;
    bars.findControl("Insert", "Hyperlink...")->setAction([&] {
        ++runs;
        return true;
    });
    EXPECT_TRUE(hyperlink->Execute());
    EXPECT_EQ(runs, 1);

    bool cancel = true;
    HostControl* clicked = nullptr;
    auto subscription = hyperlink->Click().connect([&](HostControl& control, bool& cancelDefault) {
        clicked = &control;
        cancelDefault = cancel;
    });
    EXPECT_TRUE(hyperlink->Execute());
    EXPECT_EQ(clicked, hyperlink.get());
    EXPECT_EQ(runs, 1);
    cancel = false;
    EXPECT_TRUE(hyperlink->Execute());
    EXPECT_EQ(runs, 2);

    // An action that fails is reported.
    bars.findControl("Insert", "Hyperlink...")->setAction([] { return false; });
    EXPECT_FALSE(hyperlink->Execute());
}

TEST(CommandBars, ClickHandlersCannotBreakExecute) {
    CommandBars bars;
    const auto controls = bars.Add("Tools", 1, false, true)->Controls();
    const auto button = controls->Add(ControlType::Button, std::nullopt, false);
    int clicks = 0;
    auto counting = button->Click().connect([&](HostControl&, bool&) { ++clicks; });
    EXPECT_TRUE(button->Execute());
    EXPECT_EQ(clicks, 1);

    auto throwing =
        button->Click().connect([](HostControl&, bool&) { throw std::runtime_error("boom"); });
    EXPECT_FALSE(button->Execute());
    throwing.reset();

    // A handler may delete the very control it was clicked on.
    auto deleting = button->Click().connect([](HostControl& control, bool&) { control.Delete(); });
    EXPECT_TRUE(button->Execute());
    EXPECT_EQ(controls->Count(), 0);
    EXPECT_FALSE(button->Execute());
}

// A command that fails on a toolbar or menu button says why in the editor's status bar; one
// that merely does nothing leaves the status bar as it was.
TEST(CommandBars, AFailingCommandIsToldInTheStatusBar) {
    struct Case {
        const char* name;
        bool inHandler; // thrown by a Click handler rather than the built-in action
        std::function<bool()> body;
        bool executed;
        std::string status;
    };
    const std::filesystem::path page = "/web/page.htm";
    const std::vector<Case> cases = {
        {"handler throws", true, []() -> bool { throw std::runtime_error("boom"); }, false,
         "The command failed: boom"},
        {"action cannot write", false,
         [&]() -> bool {
             throw std::filesystem::filesystem_error(
                 "cannot write", page, std::make_error_code(std::errc::read_only_file_system));
         },
         false,
         "The command failed: filesystem error: cannot write: Read-only file system [" +
             page.string() + "]"},
        {"action out of memory", false, []() -> bool { throw std::bad_alloc(); }, false,
         "The command failed: std::bad_alloc"},
        {"action declines", false, [] { return false; }, false, "before"},
        {"action works", false, [] { return true; }, true, "before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto application = Application::create();
        application->SetStatusText("before");
        const auto control = application->commandBars().findControl("Insert", "Hyperlink...");
        ASSERT_NE(control, nullptr);
        Subscription handler;
        if (c.inHandler)
            handler = control->Click().connect([&](HostControl&, bool&) { c.body(); });
        else
            control->setAction(c.body);
        EXPECT_EQ(control->Execute(), c.executed);
        EXPECT_EQ(application->statusText(), c.status);
    }
}

} // namespace
} // namespace tlx::host
