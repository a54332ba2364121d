#include "shell/WaitCursor.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace sj {
namespace {

std::vector<bool> Shown;

void RecordCursor(bool wait) {
    Shown.push_back(wait);
}

class WaitCursorTest : public testing::Test {
protected:
    void SetUp() override {
        while (WaitCursorCount() > 0)
            EndWaitCursor();
        Shown.clear();
        FPrevious = SetWaitCursorSetter(&RecordCursor);
    }
    void TearDown() override { SetWaitCursorSetter(FPrevious); }

    TWaitCursorSetter FPrevious = nullptr;
};

TEST_F(WaitCursorTest, OnlyTheOutermostEndRestoresTheDefaultCursor) {
    BeginWaitCursor();
    BeginWaitCursor();
    EXPECT_EQ(Shown, (std::vector<bool>{true, true}));
    EndWaitCursor();
    EXPECT_EQ(WaitCursorCount(), 1);
    EXPECT_EQ(Shown.size(), 2u) << "one level left: the hourglass stays";
    EndWaitCursor();
    EXPECT_EQ(WaitCursorCount(), 0);
    EXPECT_EQ(Shown, (std::vector<bool>{true, true, false}));
}

TEST_F(WaitCursorTest, UnmatchedEndChangesNothing) {
    EndWaitCursor();
    EndWaitCursor();
    EXPECT_EQ(WaitCursorCount(), 0);
    EXPECT_TRUE(Shown.empty());
    BeginWaitCursor();
    EndWaitCursor();
    EXPECT_EQ(Shown, (std::vector<bool>{true, false}));
}

TEST_F(WaitCursorTest, ScopeLeavesTheWaitStateWhenAnErrorPasses) {
    BeginWaitCursor();
    try {
        const TWaitCursorScope scope;
        EXPECT_EQ(WaitCursorCount(), 2);
        throw std::runtime_error("split failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(WaitCursorCount(), 1);
    EndWaitCursor();
    EXPECT_EQ(Shown.back(), false);
}

TEST_F(WaitCursorTest, ReplacingTheSetterReturnsThePreviousOne) {
    EXPECT_EQ(SetWaitCursorSetter(nullptr), &RecordCursor);
    EXPECT_EQ(SetWaitCursorSetter(&RecordCursor), &PlatformWaitCursor);
}

} // namespace
} // namespace sj
