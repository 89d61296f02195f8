#include "platform/sys/Prompts.h"
#include "platform/sys/HeadlessPrompts.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <stdexcept>

using platform::PromptButton;
using platform::PromptKind;

namespace {

// Restores the headless default however a test ends.
struct InstalledPrompts {
    explicit InstalledPrompts(platform::Prompts* p) { platform::setPrompts(p); }
    ~InstalledPrompts() { platform::setPrompts(nullptr); }
};

} // namespace

TEST(HeadlessPrompts, AnswersWhatChangesNothing) {
    using B = PromptButton;
    struct Case {
        std::vector<B> offered;
        B expected;
    };
    const Case cases[] = {
        {{}, B::Ok},
        {{B::Ok}, B::Ok},
        {{B::Ok, B::Cancel}, B::Cancel},
        {{B::Yes, B::No}, B::No},
        // Save-changes style: Cancel leaves the album open and unsaved, No would discard it.
        {{B::Yes, B::No, B::Cancel}, B::Cancel},
        {{B::Abort, B::Retry, B::Ignore}, B::Abort},
        {{B::Yes, B::YesToAll, B::NoToAll}, B::NoToAll},
        {{B::Yes, B::No, B::YesToAll, B::NoToAll}, B::No},
        {{B::Retry}, B::None},
    };
    platform::HeadlessPrompts headless;
    for (const Case& c : cases)
        EXPECT_EQ(headless.message(PromptKind::Confirmation, "c", "t", c.offered, B::Yes),
                  c.expected);
    EXPECT_FALSE(headless.inputText("c", "p", "initial", false));
    EXPECT_FALSE(headless.openFile("c", "All|*.*", "/tmp/"));
    EXPECT_FALSE(headless.pickFolder("c", "/tmp/"));
}

TEST(Prompts, ProcessWideServiceIsHeadlessUntilOneIsInstalled) {
    EXPECT_EQ(platform::prompts().message(PromptKind::Warning, "c", "t",
                                          {PromptButton::Yes, PromptButton::No}, PromptButton::Yes),
              PromptButton::No);
    platform::ScriptedPrompts scripted;
    {
        InstalledPrompts installed(&scripted);
        scripted.answerButton(PromptButton::Yes);
        EXPECT_EQ(platform::prompts().message(PromptKind::Warning, "c", "t",
                                              {PromptButton::Yes, PromptButton::No},
                                              PromptButton::No),
                  PromptButton::Yes);
    }
    EXPECT_EQ(&platform::prompts() == &scripted, false);
    EXPECT_EQ(scripted.calls().size(), 1u);
}

TEST(ScriptedPrompts, AnswersInOrderAndRecordsEveryQuestion) {
    platform::ScriptedPrompts s;
    s.answerButton(PromptButton::YesToAll);
    s.answerText(std::string("secret ü"));
    s.answerText(std::string("/home/u/a.zip"));
    s.answerText(std::nullopt);

    EXPECT_EQ(s.message(PromptKind::Confirmation, "Overwrite", "Replace a.txt?",
                        {PromptButton::Yes, PromptButton::No, PromptButton::YesToAll},
                        PromptButton::No),
              PromptButton::YesToAll);
    EXPECT_EQ(s.inputText("Password", "Enter password", "", true), "secret ü");
    EXPECT_EQ(s.openFile("Open", "Albums|*.zip", "/home/u/"), "/home/u/a.zip");
    EXPECT_EQ(s.pickFolder("Publish", "/home/u/"), std::nullopt);
    // Unscripted from here on: headless answers, counted.
    EXPECT_EQ(s.message(PromptKind::Error, "E", "Failed", {}, PromptButton::Ok), PromptButton::Ok);
    EXPECT_EQ(s.inputText("x", "y", "z", false), std::nullopt);

    ASSERT_EQ(s.calls().size(), 6u);
    const auto& first = s.calls()[0];
    EXPECT_EQ(first.type, platform::ScriptedPrompts::CallType::Message);
    EXPECT_EQ(first.kind, PromptKind::Confirmation);
    EXPECT_EQ(first.caption, "Overwrite");
    EXPECT_EQ(first.text, "Replace a.txt?");
    EXPECT_EQ(first.buttons.size(), 3u);
    EXPECT_EQ(first.defaultButton, PromptButton::No);
    EXPECT_TRUE(s.calls()[1].secret);
    EXPECT_EQ(s.calls()[2].filter, "Albums|*.zip");
    EXPECT_EQ(s.calls()[2].initial, "/home/u/");
    EXPECT_EQ(s.calls()[3].type, platform::ScriptedPrompts::CallType::PickFolder);
    EXPECT_EQ(s.unscriptedCalls(), 2);
    EXPECT_EQ(s.pendingAnswers(), 0u);
}

TEST(ScriptedPrompts, ScriptThatDoesNotFitTheQuestionIsATestFault) {
    platform::ScriptedPrompts s;
    s.answerButton(PromptButton::Retry);
    EXPECT_THROW(s.message(PromptKind::Warning, "c", "t", {PromptButton::Yes, PromptButton::No},
                           PromptButton::Yes),
                 std::logic_error);
    s.answerButton(PromptButton::Yes);
    EXPECT_THROW(s.openFile("c", "", ""), std::logic_error);
    s.answerText(std::string("x"));
    EXPECT_THROW(s.message(PromptKind::Information, "c", "t", {}, PromptButton::Ok),
                 std::logic_error);
}
