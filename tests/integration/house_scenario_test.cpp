// A game in the house as a player plays it: the real main loop, scripted keys,
// and a stand-in game server that starts the game and answers.
#include "core/local_player.h"
#include "core/scene.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "net/connection.h"
#include "online_test_support.h"
#include "scenes/exit_confirm.h"
#include "scenes/maison.h"
#include "world/doors.h"
#include "world/game_sounds.h"

#include <algorithm>
#include <map>

namespace {

// A game in the house, logged in as Alice, with every packet the stand-in
// server receives snapshotted at chosen moments of the fake clock.
class House : public Online {
protected:
    void SetUp() override {
        Online::SetUp();
        ASSERT_TRUE(server.listening());
        withIdentity();
        chooseMainServer();
        awaitPackets(server, 750, 1);
    }
    // The server's message arrives before the client's next frame.
    void serverSays(uint32_t at, const std::string& text) {
        fake::at(at, [this, text] {
            server.send(text);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        });
    }
    // The messages received once those sent before `at` have had time to arrive.
    void snapshot(uint32_t at) {
        fake::at(at, [this, at] {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            seen[at] = server.messages();
        });
    }
    size_t countAt(uint32_t at, const std::string& text) {
        return static_cast<size_t>(std::count(seen[at].begin(), seen[at].end(), text));
    }
    // The messages that arrived between two snapshots.
    std::vector<std::string> between(uint32_t from, uint32_t to) {
        return std::vector<std::string>(seen[to].begin() + long(seen[from].size()), seen[to].end());
    }
    static void hold(std::initializer_list<int> keys, uint32_t at, uint32_t holdMs) {
        for (int vk : keys) press(vk, at, holdMs);
    }

    EnetTestServer server{PORT_MAIN};
    std::map<uint32_t, std::vector<std::string>> seen;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(House, AGameFromItsStartWithMovesShotsDeathAndRevival) {
    // State left from before the game: all of it starts again.
    fake::at(780, [] {
        setLocalDead(true);
        setDoorClosedAt(50, 0, false);
        localPlayer = {9, 9};
    });
    serverSays(800, "START_MAISON");
    bool greeted = false;
    fake::at(900, [&] {
        greeted = SceneManager::currentScene == Scene::MAISON && fake::lastSpoken() == "Partie lancée. Bonne chance." &&
                  !isLocalDead() && isDoorClosedAt(50, 0) && localPlayer.x == 0 && localPlayer.y == 0 && isInMaison;
    });

    float musicAfterFade = -1.0f;
    fake::at(1900, [&] {
        const auto music = fake::audio::playback(getSoundHandle("music_maison"));
        if (music && music->state == platform::AUDIO_PLAYING)
            musicAfterFade = music->volume / getFinalVolume(AudioChannel::AMBIANCE);
    });

    // Held Up: a step at once, then at gaps just over 400 ms.
    hold({VK_UP}, 1000, 830);
    for (uint32_t t : {995u, 1005u, 1405u, 1415u, 1815u, 1825u, 2305u, 2315u, 2560u}) snapshot(t);
    // With Shift, just over 200 ms.
    hold({VK_SHIFT, VK_UP}, 2100, 450);
    // Up and Left together: two steps in one pass.
    hold({VK_UP, VK_LEFT}, 3000, 50);
    snapshot(3060);
    // Shots every pass just over 50 ms after the last; the reload held with
    // them waits for a 200 ms pause in the shooting.
    hold({VK_SPACE}, 3100, 200);
    hold({'R'}, 3100, 500);
    for (uint32_t t : {3155u, 3165u, 3650u}) snapshot(t);
    press(VK_F1 + 10, 3700); // F11: the mixer report
    fake::at(3750, [&] { seen[3750] = {fake::lastSpoken()}; });

    // Down: no shot, reload, ammo check or weapon switch; the requests, the
    // revive and action keys and the steps still work.
    serverSays(3800, "PLAYER_DOWN:Alice:0,0");
    bool spokenDead = false;
    fake::at(3850, [&] { spokenDead = fake::lastSpoken() == "Vous etes mort !" && isLocalDead(); });
    hold({VK_SPACE, 'R', 'Q', '1', VK_UP, VK_RETURN, 'U', VK_F1, VK_F1 + 4, 'B', 'H', 'T', 'K', 'P'}, 4000, 100);
    snapshot(3990);
    snapshot(4200);
    serverSays(4300, "REVIVED");
    hold({'R', 'Q', '1', '3'}, 4400, 30);
    hold({VK_SPACE}, 4400, 70);
    snapshot(4500);
    // The game ends in the lobby.
    serverSays(4600, "GOTO_LOBBY");
    bool inLobby = false;
    fake::at(4700, [&] { inLobby = SceneManager::currentScene == Scene::LOBBY && !isInMaison; });
    closeAt(4800);
    runClient();

    EXPECT_TRUE(greeted);
    EXPECT_FLOAT_EQ(musicAfterFade, 0.4f) << "the house music fades in under the ambience level";
    // Steps sent by each moment: the held key's gaps, then Shift's.
    const std::pair<uint32_t, size_t> steps[] = {{995, 0}, {1005, 1}, {1405, 1}, {1415, 2}, {1815, 2},
                                                 {1825, 3}, {2305, 4}, {2315, 5}, {2560, 6}};
    for (const auto& [t, n] : steps) EXPECT_EQ(countAt(t, "MOVE:Z"), n) << "at " << t;
    EXPECT_EQ(between(2560, 3060), (Texts{"MOVE:Z", "MOVE:Q"}));
    EXPECT_EQ(countAt(3155, "SHOOT"), 0u);
    EXPECT_EQ(countAt(3165, "SHOOT"), 1u);
    EXPECT_EQ(between(3060, 3650), (Texts{"RELOAD", "SHOOT", "SHOOT", "SHOOT", "RELOAD"}));
    ASSERT_EQ(seen[3750].size(), 1u);
    EXPECT_EQ(seen[3750][0].rfind("Audio debug. Total ", 0), 0u) << seen[3750][0];
    EXPECT_TRUE(spokenDead);
    EXPECT_EQ(between(3990, 4200), (Texts{"MOVE:Z", "GET_MEMBER:0", "GET_MEMBER:4", "REQ_BOX", "CHECK_HEALTH",
                                          "REQ_ROUND", "REQ_KILLS", "REQ_POINTS", "REVIVE", "ACTION"}));
    EXPECT_EQ(between(4200, 4500), (Texts{"RELOAD", "CHECK_AMMO", "SWITCH:0", "SWITCH:2", "SHOOT"}));
    EXPECT_EQ(count("Réanimé."), 1u);
    EXPECT_TRUE(inLobby);
}

TEST_F(House, MapElementsMenuFollowsTheDoorsTheServerOpens) {
    serverSays(800, "START_MAISON");
    press('D', 1000);     // the map elements menu
    press(VK_UP, 1300);   // "Retour"
    press(VK_UP, 1600);   // "Porte close, 70; 50"
    serverSays(1700, "DOOR_OPENED:70,50");
    serverSays(1710, "DOOR_OPENED:70,0");
    std::vector<std::string> listed;
    int32_t selection = -1;
    fake::at(1750, [&] {
        listed = mapElementsOptions;
        selection = mapElementsSelection;
    });
    press(VK_RETURN, 1900); // on "Retour": closed
    bool closedByRetour = false;
    fake::at(2000, [&] { closedByRetour = !isMapElementsMenuOpen && !isConfirmingExit; });
    // The next game starts with every door closed again; Escape closes the menu only.
    serverSays(2100, "GOTO_LOBBY");
    serverSays(2200, "START_MAISON");
    press('D', 2400);
    size_t listedInNextGame = 0;
    fake::at(2500, [&] { listedInNextGame = mapElementsOptions.size(); });
    press(VK_ESCAPE, 2700);
    bool closedByEscape = false;
    fake::at(2800, [&] { closedByEscape = !isMapElementsMenuOpen && !isConfirmingExit; });
    // Left open when a game ends, it is closed when the next one starts: Space shoots.
    press('D', 3000);
    serverSays(3100, "GOTO_LOBBY");
    serverSays(3200, "START_MAISON");
    press(VK_SPACE, 3400);
    std::string lastSent;
    fake::at(3450, [&] { lastSent = server.messages(2).back(); });
    closeAt(3500);
    runClient();

    EXPECT_EQ(count("Porte close, 70; 50"), 1u);
    EXPECT_EQ(count("Retour"), 1u) << "up from the first entry";
    EXPECT_EQ(listed, (Texts{"Épée, 0; 50", "Potion de seconde vie, 53; 9", "Porte close, 50; 0",
                             "Porte close, 50; 50", "Retour"}));
    EXPECT_EQ(selection, 4) << "clamped to the new last entry";
    EXPECT_TRUE(closedByRetour);
    EXPECT_EQ(listedInNextGame, 7u);
    EXPECT_TRUE(closedByEscape);
    EXPECT_EQ(lastSent, "SHOOT");
}
