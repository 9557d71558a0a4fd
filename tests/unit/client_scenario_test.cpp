// The offline client as a player hears it: the main loop itself, the intro,
// the main menu, the options and the music choice.
#include "app/intro.h"
#include "client_test_support.h"
#include "core/scene.h"
#include "scenes/menu.h"

namespace {

const char* kWelcome = "Bienvenue sur Ashen Refuge !";
const char* kSecond = "Pour survivre : écoutez, tirez, et courrez.";

using Spoken = std::vector<std::string>;

} // namespace

// The other tests end the loop by closing the window; here the quit request
// comes amid typing and still waits for the events queued with it. Between
// frames, typed characters are taken as they arrive and frames keep their pace.
TEST_F(ClientTest, MainLoopTakesEventsAsTheyComeKeepsItsFramePaceAndQuitsAfterThem) {
    bool openDuringLoop = false;
    size_t waitingAt47 = 99;
    fake::at(45, [] { fake::pushText("ab"); });
    fake::at(47, [&] { waitingAt47 = fake::pendingEvents(); });
    fake::at(73, [&] {
        openDuringLoop = fake::windowOpen();
        postQuit();
        fake::pushText("cdef");
    });
    EXPECT_EQ(runClient(), 0);
    EXPECT_TRUE(openDuringLoop);
    EXPECT_EQ(fake::windowTitle(), "AshenRefuge 1.10.1");
    EXPECT_FALSE(fake::windowOpen());
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(waitingAt47, 0u) << "typed characters wait for no frame";
    EXPECT_EQ(fake::frameStarts(), (std::vector<uint32_t>{0, 10, 20, 30, 40, 50, 60, 70}));
    EXPECT_EQ(fake::now(), 73u);
    EXPECT_EQ(fake::pendingEvents(), 0u);
}

TEST_F(ClientTest, NoWindowMeansAClearErrorAndFailureStatus) {
    fake::failWindowCreation(true);
    testing::internal::CaptureStderr();
    EXPECT_NE(runClient(), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("fenêtre"), std::string::npos);
    EXPECT_TRUE(fake::frameStarts().empty());
}

// Return skips what is left of the intro and hands over once, with or without
// sound; held on, it confirms in the menu only once past the 200 ms gap.
TEST_F(ClientTest, ReturnSkipsWhatIsLeftOfTheIntroOnce) {
    const struct {
        uint32_t at, holdMs;
        bool sound;
        Spoken heard;
    } cases[] = {
        {3000, 30, true, {kWelcome, "Menu principal."}},
        {1000, 195, true, {"Menu principal."}},
        {1000, 150, false, {"Menu principal."}},
        {1000, 260, true, {"Menu principal.", "Sélection du serveur. Serveur Principal"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.at) + " + " + std::to_string(c.holdMs) + (c.sound ? " ms" : " ms, no sound"));
        TearDown();
        SetUp();
        fake::audio::failInit(!c.sound);
        withIdentity();
        press(VK_RETURN, c.at, c.holdMs);
        Spoken atSkip;
        fake::at(c.at + 15, [&] { atSkip = fake::spoken(); });
        closeAt(4500); // past the second sentence
        EXPECT_EQ(runClient(), 0);
        EXPECT_EQ(atSkip.empty() ? "" : atSkip.back(), "Menu principal.");
        EXPECT_EQ(fake::spoken(), c.heard) << "no intro sentence after the skip";
    }
}

TEST_F(ClientTest, IntroPlayedOutHandsOverWhenItsMusicEnds) {
    Spoken beforeEnd;
    fake::at(INTRO_MUSIC_MS - 20, [&] { beforeEnd = fake::spoken(); });
    bool fadedOut = false;
    int menuMusicStarts = 0;
    fake::at(INTRO_MUSIC_MS + 1000, [&] {
        fadedOut = hIntro == 0 && !introFading;
        menuMusicStarts = starts("music_menu_1");
    });
    closeAt(INTRO_MUSIC_MS + 1200);
    runClient();
    EXPECT_EQ(beforeEnd, (Spoken{kWelcome, kSecond}));
    EXPECT_EQ(fake::spoken(), (Spoken{kWelcome, kSecond, "Menu principal."}));
    EXPECT_TRUE(fadedOut) << "the intro music is stopped once its fade is done";
    EXPECT_EQ(menuMusicStarts, 1);
}

TEST_F(ClientTest, IntroWaitsInTheBackgroundAndCatchesUpAtOnce) {
    fake::setForeground(false);
    Spoken inBackground{"unset"};
    uint32_t keysPolledInBackground = 1;
    fake::setKey(VK_RETURN, true); // held, but the window is not ours
    fake::at(4990, [&] {
        inBackground = fake::spoken();
        keysPolledInBackground = fake::keyQueries();
        fake::setKey(VK_RETURN, false);
    });
    fake::at(5000, [] { fake::setForeground(true); });
    Spoken firstFrame;
    fake::at(5005, [&] { firstFrame = fake::spoken(); });
    closeAt(5500);
    runClient();
    EXPECT_TRUE(inBackground.empty());
    EXPECT_EQ(keysPolledInBackground, 0u);
    EXPECT_EQ(firstFrame, (Spoken{kWelcome, kSecond})) << "both sentences fall due in one frame";
}

// Without an identity the first entry creates an account instead (first_game_test).
TEST_F(ClientTest, MainMenuWrapsOpensTheServerListAndQuits) {
    withIdentity();
    press(VK_RETURN, 100);
    press(VK_UP, 400);
    press(VK_DOWN, 700);
    press(VK_RETURN, 1000); // opens the server list
    press(VK_DOWN, 1300);
    press(VK_ESCAPE, 1600);
    press(VK_UP, 1900);     // Quitter
    press(VK_RETURN, 2200);
    uint32_t idleKeyReads = 1;
    fake::at(1400, [&] { idleKeyReads = fake::keyQueries(); });
    fake::at(1590, [&] { idleKeyReads = fake::keyQueries() - idleKeyReads; });
    EXPECT_EQ(runClient(), 0);
    EXPECT_EQ(idleKeyReads, 0u) << "an idle menu frame reads no key";
    EXPECT_EQ(fake::spoken(), (Spoken{"Menu principal.", "Quitter", "Connexion au serveur",
                                      "Sélection du serveur. Serveur Principal", "Serveur de Test",
                                      "Connexion au serveur", "Quitter"}));
    EXPECT_EQ(menuOptions, (std::vector<std::string>{"Connexion au serveur", "Options", "Quitter"}));
    EXPECT_LT(fake::now(), 2500u);
    EXPECT_FALSE(fake::windowOpen());
    EXPECT_FALSE(fake::audio::initialised()) << "the audio device is freed at shut-down";
}

// The menu plays the stored music at start; the choice auditions from the
// first, Escape goes back to the stored one, a choice is stored and plays on.
TEST_F(ClientTest, MusicChoiceAuditionsRestoresStoresAndKeepsPlayingBackInTheMenu) {
    setMenuMusicIndex(4);
    press(VK_RETURN, 100);  // skip the intro
    press(VK_DOWN, 400);    // "Se connecter à un compte": without an identity, four entries
    press(VK_DOWN, 700);    // Options, acted on by its name
    press(VK_RETURN, 1000); // options screen, on "Changer la musique du menu principal"
    Scene inOptions = Scene::INTRO;
    fake::at(1100, [&] { inOptions = SceneManager::currentScene; });
    press(VK_RETURN, 1300); // music choice: Musique 1
    press(VK_DOWN, 1600);   // Musique 2
    press(VK_ESCAPE, 1900); // back to the stored music
    int oneStarts = -1, twoStarts = -1, fourStartsAfterEscape = -1;
    fake::at(1920, [&] {
        oneStarts = starts("music_menu_1");
        twoStarts = starts("music_menu_2");
        fourStartsAfterEscape = starts("music_menu_4");
    });
    press(VK_RETURN, 2200); // music choice again
    press(VK_DOWN, 2500);
    press(VK_DOWN, 2800);   // Musique 3
    press(VK_RETURN, 3100); // store it
    press(VK_DOWN, 3400);   // Retour
    press(VK_RETURN, 3700); // back to the menu
    int threeStarts = -1, threeState = -1;
    fake::at(3990, [&] {
        threeStarts = starts("music_menu_3");
        threeState = stateOf("music_menu_3");
    });
    closeAt(4000);
    runClient();
    EXPECT_EQ(inOptions, Scene::OPTIONS);
    EXPECT_EQ(oneStarts, 1) << "the choice's start only";
    EXPECT_EQ(twoStarts, 1);
    EXPECT_EQ(fourStartsAfterEscape, 2) << "menu start, Escape restart";
    const auto& s = fake::spoken();
    ASSERT_GE(s.size(), 4u);
    EXPECT_EQ(Spoken(s.end() - 4, s.end()),
              (Spoken{"Musique 3 sélectionnée", "Retour", "Menu principal.", "Menu principal"}));
    EXPECT_EQ(count("Options."), 1u);
    EXPECT_EQ(count("Options"), 2u);
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(threeStarts, 1) << "the chosen music keeps playing, not restarted";
    EXPECT_EQ(threeState, platform::AUDIO_PLAYING);
    ASSERT_TRUE(loadSave());
    EXPECT_EQ(loadSave()->menuMusicIndex, 3);
}
