// When the 3D camera counts as moving: drags and the wheel, on a clock the test sets.
#include "view3d/CameraMotion.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvane::view3d;

namespace {

struct TEvent {
    enum TKind { Press, Move, Release, Wheel } Kind;
    Qt::MouseButtons Held = Qt::NoButton;
};

struct TCase {
    const char* Name;
    std::vector<TEvent> Events;
    bool Moving; // after the events, at the time of the last one
};

} // namespace

TEST(CameraMotion, DragsThatTurnOrSlideTheCamera) {
    const TCase cases[] = {
        {"nothing", {}, false},
        {"a press alone", {{TEvent::Press}}, false},
        {"left drag", {{TEvent::Press}, {TEvent::Move, Qt::LeftButton}}, true},
        {"right drag", {{TEvent::Press}, {TEvent::Move, Qt::RightButton}}, true},
        {"middle drag moves no camera", {{TEvent::Press}, {TEvent::Move, Qt::MiddleButton}}, false},
        {"move without a button", {{TEvent::Press}, {TEvent::Move, Qt::NoButton}}, false},
        {"button pressed elsewhere", {{TEvent::Move, Qt::LeftButton}}, false},
        {"released", {{TEvent::Press}, {TEvent::Move, Qt::LeftButton}, {TEvent::Release}}, false},
        {"moves after the release",
         {{TEvent::Press},
          {TEvent::Move, Qt::LeftButton},
          {TEvent::Release},
          {TEvent::Move, Qt::LeftButton}},
         false},
        {"one button of two released",
         {{TEvent::Press},
          {TEvent::Press},
          {TEvent::Move, Qt::LeftButton | Qt::RightButton},
          {TEvent::Release}},
         false},
    };
    for (const TCase& c : cases) {
        TCameraMotion motion;
        for (const TEvent& e : c.Events) {
            switch (e.Kind) {
            case TEvent::Press:
                motion.Press();
                break;
            case TEvent::Move:
                motion.Move(e.Held);
                break;
            case TEvent::Release:
                motion.Release();
                break;
            case TEvent::Wheel:
                motion.WheelNotch(0);
                break;
            }
        }
        EXPECT_EQ(motion.InMotion(100000), c.Moving) << c.Name;
        EXPECT_EQ(motion.Dragging(), c.Moving) << c.Name;
    }
}

TEST(CameraMotion, WheelMovesForAQuarterSecondAfterItsLastNotch) {
    TCameraMotion motion;
    EXPECT_EQ(motion.MsUntilWheelSettles(0), 0);
    motion.WheelNotch(1000);
    struct TCheck {
        std::int64_t NowMs;
        bool Moving;
        std::int64_t LeftMs;
    } const checks[] = {
        {1000, true, 250}, {1100, true, 150}, {1249, true, 1}, {1250, false, 0}, {5000, false, 0}};
    for (const TCheck& c : checks) {
        EXPECT_EQ(motion.InMotion(c.NowMs), c.Moving) << c.NowMs;
        EXPECT_EQ(motion.MsUntilWheelSettles(c.NowMs), c.LeftMs) << c.NowMs;
    }
    // Another notch restarts the quarter second.
    motion.WheelNotch(1200);
    EXPECT_TRUE(motion.InMotion(1400));
    EXPECT_FALSE(motion.InMotion(1450));
}

TEST(CameraMotion, DragAndWheelEachKeepTheMotionGoing) {
    TCameraMotion motion;
    motion.Press();
    motion.Move(Qt::LeftButton);
    motion.WheelNotch(1000);
    // The drag outlasts the wheel.
    EXPECT_TRUE(motion.InMotion(2000));
    // The wheel outlasts the release.
    motion.WheelNotch(3000);
    motion.Release();
    EXPECT_TRUE(motion.InMotion(3100));
    EXPECT_FALSE(motion.InMotion(3250));
}
