// The real main loop, run headless against the doubles.
#include "app/app.h"
#include "core/scene.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST_F(MainLoop, EventsAreTakenAsTheyArriveAndFramesKeepTheirPace) {
    size_t waitingAt47 = 99;
    fake::at(45, [] { fake::pushText("ab"); });
    fake::at(47, [&] { waitingAt47 = fake::pendingEvents(); });
    fake::at(73, [] {
        fake::pushText("c");
        fake::pushClose();
    });
    EXPECT_EQ(runClient(), 0);
    EXPECT_EQ(waitingAt47, 0u) << "typed characters wait for no frame";
    // A frame every 10 ms from the first, whatever arrived between them.
    EXPECT_EQ(fake::frameStarts(), (std::vector<uint32_t>{0, 10, 20, 30, 40, 50, 60, 70}));
    EXPECT_EQ(fake::now(), 73u) << "the close is honoured when it comes";
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
    EXPECT_TRUE(fake::frameStarts().empty());
}
