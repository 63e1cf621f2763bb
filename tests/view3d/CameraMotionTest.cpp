// When the 3D camera counts as moving: drags and the wheel, on a clock the test sets.
#include "view3d/CameraMotion.h"
#include "view3d/Navigation.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvane::view3d;

namespace {

struct MotionEvent {
    enum EventKind { Press, Move, Release, Wheel } Kind;
    Qt::MouseButtons Held = Qt::NoButton;
};

struct Case {
    const char* Name;
    std::vector<MotionEvent> Events;
    bool Moving; // after the events, at the time of the last one
};

} // namespace

TEST(CameraMotion, DragsThatTurnOrSlideTheCamera) {
    const Case cases[] = {
        {"nothing", {}, false},
        {"a press alone", {{MotionEvent::Press}}, false},
        {"left drag", {{MotionEvent::Press}, {MotionEvent::Move, Qt::LeftButton}}, true},
        {"right drag", {{MotionEvent::Press}, {MotionEvent::Move, Qt::RightButton}}, true},
        {"middle drag moves no camera",
         {{MotionEvent::Press}, {MotionEvent::Move, Qt::MiddleButton}},
         false},
        {"move without a button", {{MotionEvent::Press}, {MotionEvent::Move, Qt::NoButton}}, false},
        {"button pressed elsewhere", {{MotionEvent::Move, Qt::LeftButton}}, false},
        {"released",
         {{MotionEvent::Press}, {MotionEvent::Move, Qt::LeftButton}, {MotionEvent::Release}},
         false},
        {"moves after the release",
         {{MotionEvent::Press},
          {MotionEvent::Move, Qt::LeftButton},
          {MotionEvent::Release},
          {MotionEvent::Move, Qt::LeftButton}},
         false},
        {"one button of two released",
         {{MotionEvent::Press},
          {MotionEvent::Press},
          {MotionEvent::Move, Qt::LeftButton | Qt::RightButton},
          {MotionEvent::Release}},
         false},
    };
    for (const Case& c : cases) {
        CameraMotion motion;
        SceneMouseState mouse;
        for (const MotionEvent& e : c.Events) {
            switch (e.Kind) {
            case MotionEvent::Press:
                SceneMouseDownRule(mouse, 0, 0);
                break;
            case MotionEvent::Move:
                motion.Move(mouse, e.Held);
                break;
            case MotionEvent::Release:
                SceneMouseUpRule(mouse);
                motion.Release();
                break;
            case MotionEvent::Wheel:
                motion.WheelNotch(0);
                break;
            }
        }
        EXPECT_EQ(motion.InMotion(100000), c.Moving) << c.Name;
        EXPECT_EQ(motion.Dragging(), c.Moving) << c.Name;
    }
}

TEST(CameraMotion, WheelMovesForAQuarterSecondAfterItsLastNotch) {
    CameraMotion motion;
    EXPECT_EQ(motion.MsUntilWheelSettles(0), 0);
    motion.WheelNotch(1000);
    struct Check {
        std::int64_t NowMs;
        bool Moving;
        std::int64_t LeftMs;
    } const checks[] = {
        {1000, true, 250}, {1100, true, 150}, {1249, true, 1}, {1250, false, 0}, {5000, false, 0}};
    for (const Check& c : checks) {
        EXPECT_EQ(motion.InMotion(c.NowMs), c.Moving) << c.NowMs;
        EXPECT_EQ(motion.MsUntilWheelSettles(c.NowMs), c.LeftMs) << c.NowMs;
    }
    // Another notch restarts the quarter second.
    motion.WheelNotch(1200);
    EXPECT_TRUE(motion.InMotion(1400));
    EXPECT_FALSE(motion.InMotion(1450));
}

TEST(CameraMotion, DragAndWheelEachKeepTheMotionGoing) {
    CameraMotion motion;
    SceneMouseState mouse;
    SceneMouseDownRule(mouse, 0, 0);
    motion.Move(mouse, Qt::LeftButton);
    motion.WheelNotch(1000);
    // The drag outlasts the wheel.
    EXPECT_TRUE(motion.InMotion(2000));
    // The wheel outlasts the release.
    motion.WheelNotch(3000);
    SceneMouseUpRule(mouse);
    motion.Release();
    EXPECT_TRUE(motion.InMotion(3100));
    EXPECT_FALSE(motion.InMotion(3250));
}
