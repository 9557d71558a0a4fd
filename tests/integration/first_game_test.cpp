// A new player's whole first evening, by ear and keys alone: the client's main
// loop with its platform doubles against a real AshenServer on the main port.
// The fake clock follows real time, since the server's zombies do.
#include "base/sha256.h"
#include "client_test_support.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "server_process.h"
#include "world/doors.h"
#include "world/world_state.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Plays from what the client knows: its spoken texts, the sounds it starts,
// its own position and the zombies it placed.
class FirstGame : public ClientTest {
protected:
    enum class Phase { SCRIPT, HUNT, TO_DOOR, THROUGH_DOOR, WAIT_DOWN, DONE };

    // Waits for a spoken text that starts with `hear`, then acts.
    struct Step {
        std::string hear;
        std::function<void()> then;
    };

    void SetUp() override {
        ClientTest::SetUp();
        fake::reset(); // a longer safety net than the usual one
        fake::closeWindowAt(240000);
    }

    // The client runs until the script is done (or the safety net closes it).
    void play() {
        phase = Phase::SCRIPT;
        heard_ = step_ = 0;
        stepAt_ = 0;
        start_ = Clock::now();
        press(VK_RETURN, 100); // skips the intro
        fake::at(10, [this] { tick(); });
        runClient();
    }

    // Another machine: a working folder where the client never ran.
    void moveToAnotherMachine() {
        std::filesystem::create_directory("other");
        std::filesystem::current_path("other");
        freshClient(4000);
        fake::closeWindowAt(240000);
        paths_.clear();
        plays_.clear();
    }

    void tick() {
        followRealTime();
        countSounds();
        const auto& s = fake::spoken();
        for (; heard_ < s.size(); ++heard_) hear(s[heard_]);
        act();
        if (phase != Phase::DONE) fake::at(fake::now() + 10, [this] { tick(); });
    }

    size_t played(const std::string& sound) const {
        const auto it = plays_.find(file(sound));
        return it == plays_.end() ? 0 : it->second;
    }

    // A menu takes a key that comes a moment after the last one.
    static void tap(int vk, uint32_t holdMs = 30, uint32_t after = 1) { press(vk, fake::now() + after, holdMs); }
    static void type(const std::string& text) {
        fake::pushText(text);
        tap(VK_RETURN, 30, 300);
    }

    std::vector<Step> script;
    Phase phase = Phase::SCRIPT;
    std::string roundEnd, stats;
    bool wentThroughDoor = false, heardDown = false;
    int lobbyArrivals = 0;

private:
    void followRealTime() {
        const auto due = start_ + std::chrono::milliseconds(fake::now());
        if (due > Clock::now()) std::this_thread::sleep_until(due);
    }

    // Sample playbacks started, by file; the device's record is emptied as it goes.
    void countSounds() {
        for (const auto& c : fake::audio::calls()) {
            if (c.fn == "sampleLoad") paths_[c.handle] = c.path;
            else if (c.fn == "sampleGetChannel") ++plays_[paths_[c.handle]];
        }
        fake::audio::clearCalls();
    }

    void hear(const std::string& text) {
        // Back in the lobby after the game, the script goes on.
        if (text == "Map d'attente." && ++lobbyArrivals == 2) phase = Phase::SCRIPT, stepAt_ = fake::now();
        if (phase == Phase::SCRIPT && step_ < script.size() && text.rfind(script[step_].hear, 0) == 0) {
            script[step_++].then();
            stepAt_ = fake::now();
            if (script[step_ - 1].hear == "Round 1") phase = Phase::HUNT;
            if (step_ == script.size()) {
                phase = Phase::DONE;
                fake::pushClose();
            }
        } else if (phase == Phase::HUNT && text.rfind("Round terminé", 0) == 0) {
            roundEnd = text;
            phase = Phase::TO_DOOR;
        } else if (text == "Vous etes mort !") {
            heardDown = true;
        } else if (text.rfind("Partie terminée au round", 0) == 0) {
            stats = text;
        }
    }

    void act() {
        if (phase == Phase::SCRIPT && fake::now() - stepAt_ > 20000) {
            ADD_FAILURE() << "still waiting for \"" << script[step_].hear << "\"";
            phase = Phase::DONE;
            fake::pushClose();
        }
        switch (phase) {
        case Phase::HUNT: hunt(); break;
        case Phase::TO_DOOR:
            if (!isDoorClosedAt(50, 0)) {
                phase = Phase::THROUGH_DOOR;
            } else if (localPlayer.x == 49 && localPlayer.y == 0) {
                walk(0, 0);
                if (fake::now() >= nextTry_) tap(VK_RETURN), nextTry_ = fake::now() + 1000;
            } else {
                walk(localPlayer.x == 49 ? 0 : (localPlayer.x < 49 ? 1 : -1), localPlayer.x == 49 ? -1 : 0);
            }
            break;
        case Phase::THROUGH_DOOR:
            walk(1, 0);
            if (localPlayer.x == 50 && localPlayer.y == 0) {
                walk(0, 0);
                wentThroughDoor = true;
                phase = Phase::WAIT_DOWN;
            }
            break;
        default: break;
        }
    }

    // Walks toward the nearest zombie heard until it is within nine tiles, then
    // shoots at the revolver's pace and reloads on an empty click.
    void hunt() {
        const ZombieClient* nearest = nullptr;
        long best = 0;
        for (const ZombieClient& z : localZombies) {
            const long dx = z.x - localPlayer.x, dy = z.y - localPlayer.y, d = dx * dx + dy * dy;
            if (!nearest || d < best) nearest = &z, best = d;
        }
        if (!nearest) return walk(0, 0);
        if (best > 81) {
            const int dx = nearest->x - localPlayer.x, dy = nearest->y - localPlayer.y;
            return std::abs(dx) >= std::abs(dy) ? walk(dx > 0 ? 1 : -1, 0) : walk(0, dy > 0 ? 1 : -1);
        }
        walk(0, 0);
        const uint32_t now = fake::now();
        if (played("empty_Revolver") > emptyClicks_) {
            emptyClicks_ = played("empty_Revolver");
            tap('R', 300); // a reload waits for a pause in the shooting
            nextTry_ = now + 1800;
        } else if (now >= nextTry_) {
            tap(VK_SPACE, 10);
            nextTry_ = now + 450;
        }
    }

    // Holds Shift and one arrow for a step every 200 ms; (0, 0) lets go.
    static void walk(int dx, int dy) {
        const int held = dx > 0 ? VK_RIGHT : dx < 0 ? VK_LEFT : dy > 0 ? VK_UP : dy < 0 ? VK_DOWN : 0;
        for (int vk : {VK_RIGHT, VK_LEFT, VK_UP, VK_DOWN}) fake::setKey(vk, vk == held);
        fake::setKey(VK_SHIFT, held != 0);
    }

    Clock::time_point start_;
    size_t heard_ = 0, step_ = 0, emptyClicks_ = 0;
    uint32_t nextTry_ = 0, stepAt_ = 0;
    std::map<uint32_t, std::string> paths_;
    std::map<std::string, size_t> plays_;
};

} // namespace

TEST_F(FirstGame, AnAccountMadeElsewhereLogsInPlaysAGameToItsEndAndLogsInAgain) {
    ServerProcess server({"--port", std::to_string(PORT_MAIN)});
    ASSERT_EQ(server.port(), PORT_MAIN);
    script = {
        {"Menu principal", [] { tap(VK_RETURN, 30, 300); }}, // "Créer un compte"
        {"Choisis un pseudo", [] { type("Alice"); }},
        {"Email du compte", [] { type("  Alice@Example.ORG "); }},
        {"Mot de passe du compte", [] { type("mot de passe"); }},
        {"Choisissez le sexe", [] { tap(VK_RIGHT, 30, 300); tap(VK_RETURN, 30, 600); }}, // "Féminin"
        {"Compte créé et enregistré.", [] {}},
    };
    play();
    // Only hashes are kept: of the trimmed, lower-cased address and of the password.
    const PlayerProfile made = loadIdentity();
    EXPECT_EQ(made.email, sha256Hex("alice@example.org"));
    EXPECT_EQ(made.passHash, sha256Hex("mot de passe"));
    EXPECT_EQ(made.gender, "F");
    EXPECT_EQ(readFile("save.dat").find("mot de passe"), std::string::npos);

    moveToAnotherMachine();
    script = {
        {"Menu principal", [] { tap(VK_DOWN, 30, 300); }},
        {"Se connecter à un compte", [] { tap(VK_RETURN, 30, 300); }},
        {"Email du compte", [] { type("Alice@example.org"); }},
        {"Mot de passe du compte", [] { type("mot de pass"); }},
        // Still on the entry in the menu: once more, the address asked for again too.
        {"Connexion échouée. E-mail ou mot de passe incorrect.", [] { tap(VK_RETURN, 30, 300); }},
        {"Email du compte", [] { type("alice@example.org"); }},
        {"Mot de passe du compte", [] { type("mot de passe"); }},
        // At the entrance: a step against the edge, then the group menu.
        {"Map d'attente.", [] { tap(VK_LEFT); tap(VK_RETURN, 30, 300); }},
        {"Menu de groupe : Créer une équipe", [] { tap(VK_RETURN, 30, 300); }},
        {"Nom de l'équipe ?", [] { type("Seule"); }},
        {"Equipe rejointe : Seule", [] { sendJoinTeam("Seule"); }}, // as no menu would
        {"Vous êtes déjà dans une équipe.", [] { tap(VK_DOWN, 30, 300); }},
        {"Lancer la partie", [] { tap(VK_RETURN, 30, 300); }}, // the leader's: the pseudo is known
        {"Round 1", [] {}},
        // Back in the lobby, the team's menu still open: closed, the information keys.
        {"Map d'attente.", [] { tap(VK_ESCAPE, 30, 300); }},
        {"Fermé", [] { tap(VK_F1, 30, 300); }},
        {"1 joueur en ligne : Alice.", [] { tap(VK_F1 + 2, 30, 300); }},
        {"Serveur en ligne depuis ", [] { tap('H', 30, 300); }},
        // Back to the menu, which now knows the account, and in again.
        {"100 points de vie sur 100.", [] { tap(VK_ESCAPE, 30, 300); }},
        {"Retourner au menu principal ? Non", [] { tap(VK_UP, 30, 300); }},
        {"Oui", [] { tap(VK_RETURN, 30, 300); }},
        {"Menu principal", [] { tap(VK_RETURN, 30, 300); }}, // "Connexion au serveur"
        {"Sélection du serveur. Serveur Principal", [] { tap(VK_RETURN, 30, 300); }},
        // No team left from the last connection; the round ranking.
        {"Map d'attente.", [] { tap(VK_RETURN, 30, 300); }},
        {"Menu de groupe : Créer une équipe", [] { tap(VK_UP, 30, 300); }},
        {"Retour", [] { tap(VK_UP, 30, 300); }},
        {"Voir le classement", [] { tap(VK_RETURN, 30, 300); }},
        {"Classement par points", [] { tap(VK_UP, 30, 300); }},
        {"Retour", [] { tap(VK_UP, 30, 300); }},
        {"Classement par round", [] { tap(VK_RETURN, 30, 300); }},
        {"Classement par round", [] { tap(VK_DOWN, 30, 300); }},
        {"1 : Alice, round 2", [] {}},
    };
    play();

    EXPECT_GE(played("wall_lobby"), 1u);
    EXPECT_EQ(played("team_create"), 1u) << "the team's own sound, played by the server";
    EXPECT_EQ(roundEnd, "Round terminé. Nombre de kill par joueur : Alice : 6");
    EXPECT_EQ(played("death_walker"), 6u) << "every zombie of the first round heard dying";
    // A kill may drop the bonus that kills at one hit (one chance in 75).
    EXPECT_GE(played("fire_Revolver"), played("instant_kill_snd") ? 6u : 12u) << "two hits a zombie at least";
    EXPECT_GE(played("door_open"), 1u);
    EXPECT_TRUE(wentThroughDoor);
    EXPECT_TRUE(heardDown) << "PLAYER_DOWN names the pseudo the login told";
    EXPECT_EQ(count("Partie terminee."), 1u);
    EXPECT_EQ(stats.rfind("Partie terminée au round 2. Alice : 6 zombies tués", 0), 0u) << stats;
    EXPECT_EQ(lobbyArrivals, 3) << "back in the lobby after the game, then after the later login";
    EXPECT_FALSE(isLocalDead());
    EXPECT_EQ(count("Pseudo modifié."), 0u) << "the pseudo heard at each login is no news";
    EXPECT_EQ(count("Authentification en cours."), 3u);
    const PlayerProfile saved = loadIdentity();
    EXPECT_EQ(saved.username, "Alice");
    EXPECT_EQ(saved.email, "alice@example.org") << "as typed at the last try";
    EXPECT_EQ(saved.passHash, sha256Hex("mot de passe"));

    // The log names connections, refusals and logins, never an address.
    std::string log;
    for (std::string line; !(line = server.readLine(500)).empty();) log += line + "\n";
    for (const char* expected : {"connexion depuis 127.0.0.1", "connexion refusée (identifiants)", "connecté : Alice"})
        EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
    EXPECT_EQ(log.find("alice@"), std::string::npos) << "no address in the log";
}
