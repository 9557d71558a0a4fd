// The real main loop, run headless against the doubles.
#include "app/app.h"
#include "core/scene.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

namespace {

class MainLoop : public testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::closeWindowAt(60000); // never hang a test
    }
};

} // namespace

TEST_F(MainLoop, OpensTitledWindowAndEndsCleanlyOnClose) {
    bool openDuringLoop = false;
    fake::at(100, [&] {
        openDuringLoop = fake::windowOpen();
        fake::pushClose();
    });
    EXPECT_EQ(runClient(), 0);
    EXPECT_TRUE(openDuringLoop);
    EXPECT_EQ(fake::windowTitle(), "AshenRefuge 1.10.1");
    EXPECT_FALSE(fake::windowOpen());
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_LT(fake::now(), 200u);
}

TEST_F(MainLoop, HandlesOneEventPerPassAndSleepsOnlyWhenIdle) {
    fake::at(50, [] {
        fake::pushText("abcdef");
        fake::pushClose();
    });
    EXPECT_EQ(runClient(), 0);
    // Frames at 0..50 ms, then the six characters and the close drain without any frame.
    EXPECT_EQ(fake::sleepCount(), 5u);
    // The window system is asked once before the loop and once after each frame.
    EXPECT_EQ(fake::pumps(), 6u);
    EXPECT_EQ(fake::now(), 50u);
    EXPECT_EQ(fake::pendingEvents(), 0u);
}

TEST_F(MainLoop, QuitRequestWaitsForPendingEvents) {
    fake::at(30, [] {
        postQuit();
        fake::pushText("xy");
    });
    EXPECT_EQ(runClient(), 0);
    EXPECT_EQ(fake::pendingEvents(), 0u) << "events queued before the quit are still handled";
    EXPECT_EQ(fake::now(), 30u);
}

TEST_F(MainLoop, NoWindowMeansAClearErrorAndFailureStatus) {
    fake::failWindowCreation(true);
    testing::internal::CaptureStderr();
    EXPECT_NE(runClient(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("fenêtre"), std::string::npos) << err;
    EXPECT_EQ(fake::sleepCount(), 0u);
}
