#include "common/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

struct NamedForm : ModalForm {
    std::string formName() const override { return "fButton"; }
    void execModal() override {}
    bool touched = false;
};

TEST(ScriptedPlatform, AnswersFromQueuesThenLikeAUserWhoDismisses) {
    ScriptedPlatform platform;
    platform.messageBoxAnswers.push_back(MsgResult::No);
    EXPECT_EQ(platform.messageBox("Sure?", MsgButtons::YesNo, MsgIcon::Question, "Mirvane"),
              MsgResult::No);
    // Queue empty: the first button of the set.
    EXPECT_EQ(platform.messageBox("Sure?", MsgButtons::YesNo, MsgIcon::Question, "Mirvane"),
              MsgResult::Yes);
    EXPECT_EQ(platform.inputBox("Name", "Mirvane", "x"), std::nullopt);
    EXPECT_EQ(platform.popupMenu({MenuEntry::item("Help", 3)}), 0);

    ASSERT_EQ(platform.callsOf("messageBox").size(), 2u);
    EXPECT_EQ(platform.callsOf("messageBox")[0].args,
              (std::vector<std::string>{"Sure?", "4", "32", "Mirvane"}));
}

TEST(ScriptedPlatform, ModalActionsRunOnTheShownForm) {
    ScriptedPlatform platform;
    NamedForm form;
    platform.modalActions.push_back(
        [](ModalForm& f) { static_cast<NamedForm&>(f).touched = true; });
    platform.showModal(form);
    EXPECT_TRUE(form.touched);
    ASSERT_EQ(platform.callsOf("showModal").size(), 1u);
    EXPECT_EQ(platform.callsOf("showModal")[0].args[0], "fButton");
}

TEST(ScriptedPlatform, WaitUntilRunsPendingEventsAndTimesOutWhenNothingIsLeft) {
    ScriptedPlatform platform;
    bool ready = false;
    platform.pendingEvents.push_back([] {});
    platform.pendingEvents.push_back([&] { ready = true; });
    EXPECT_TRUE(platform.waitUntil([&] { return ready; }, 1000));
    EXPECT_FALSE(platform.waitUntil([] { return false; }, 1000));
}

TEST(ScriptedPlatform, ProgressFormsAreCountedUntilClosed) {
    ScriptedPlatform platform;
    {
        auto form = platform.showProgressForm();
        form->setLabel("Working...");
        EXPECT_EQ(platform.progressFormsOpen, 1);
    }
    EXPECT_EQ(platform.progressFormsOpen, 0);
    EXPECT_EQ(platform.progressLabels, std::vector<std::string>{"Working..."});
}

} // namespace
} // namespace tlx
