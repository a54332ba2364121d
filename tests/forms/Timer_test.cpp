// Timers on the message loop: firing, stopping, freeing themselves in their own
// event, and errors in the event reaching the boundary handler.
#include "forms/Controls.h"
#include "forms/Timer.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace sj {
namespace {

// Runs the message loop until `done` or the time is up; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < milliseconds) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return done();
}

TEST(Timer, FiresRepeatedlyWhileEnabled) {
    TTimer timer(nullptr);
    EXPECT_FALSE(timer.Running()) << "no handler, no system timer";
    int ticks = 0;
    TObject* sender = nullptr;
    timer.SetInterval(10);
    timer.SetOnTimer([&](TObject* s) {
        ++ticks;
        sender = s;
    });
    EXPECT_TRUE(timer.Running());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 10000));
    EXPECT_EQ(sender, &timer);

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    const int stopped = ticks;
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(ticks, stopped);

    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Running()) << "interval 0 never runs";
}

TEST(Timer, HandlerMayStopOrFreeItsTimer) {
    TTimer stopper(nullptr);
    int ticks = 0;
    stopper.SetInterval(5);
    stopper.SetOnTimer([&](TObject*) {
        ++ticks;
        stopper.SetEnabled(false);
    });
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 10000));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 1);

    auto* selfFreeing = new TTimer(nullptr);
    bool freed = false;
    selfFreeing->SetInterval(5);
    selfFreeing->SetOnTimer([&](TObject* sender) {
        delete static_cast<TTimer*>(sender);
        freed = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return freed; }, 10000));
    PumpUntil([] { return false; }, 50);
}

TEST(Timer, OwnerFreesItAndErrorsStopAtTheBoundary) {
    std::string caught;
    SetBoundaryExceptionHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            caught = e.what();
        }
    });
    {
        TComponent owner(nullptr);
        auto* timer = new TTimer(&owner);
        timer->SetInterval(5);
        timer->SetOnTimer([](TObject*) { throw std::runtime_error("tick failed"); });
        ASSERT_TRUE(PumpUntil([&] { return !caught.empty(); }, 10000));
        EXPECT_EQ(caught, "tick failed");
    }
    SetBoundaryExceptionHandler(nullptr);
}

} // namespace
} // namespace sj
