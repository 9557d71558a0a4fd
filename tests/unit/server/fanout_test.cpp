// Who hears whose steps in the lobby: a crowd walking at random against a
// count of who stands nearer, a walk past a crowd by ear, and the rule's
// place among the messages that reach everyone.
#include "server/fanout.h"
#include "server/storage.h"
#include "server_test_support.h"

#include <sodium.h>

#include <random>
#include <set>

namespace {

std::string nameOf(uint32_t id) { return "J" + std::to_string(id); }

class Fanout : public testing::Test {
protected:
    void SetUp() override { fanoutReset(); }
    void TearDown() override { fanoutReset(); }

    void enter(uint32_t id, int x, int y) {
        fanoutEnter(id, nameOf(id), x, y);
        at[id] = {x, y};
        moved.insert(id);
    }
    void move(uint32_t id, int x, int y) {
        fanoutMove(id, x, y);
        at[id] = {x, y};
        moved.insert(id);
    }
    void leave(uint32_t id) {
        fanoutLeave(id);
        at.erase(id);
    }
    // One tick: what each player heard.
    std::map<uint32_t, Texts> flush() {
        Outbox out;
        fanoutFlush(out);
        std::map<uint32_t, Texts> heard;
        for (const GameSend& s : out.sends) heard[s.player].push_back(s.text);
        moved.clear();
        return heard;
    }
    std::string moveOf(uint32_t id) const {
        return "REMOTE_MOVE:" + nameOf(id) + ":" + std::to_string(at.at(id).first) + "," + std::to_string(at.at(id).second);
    }
    // Players other than `to` and `of` who stand nearer to `to` than `of` does (or as near).
    size_t nearer(uint32_t to, uint32_t of, bool asNear) const {
        const auto [x, y] = at.at(to);
        const auto d2 = [&](std::pair<int, int> t) { return (t.first - x) * (t.first - x) + (t.second - y) * (t.second - y); };
        const int limit = d2(at.at(of)) + (asNear ? 1 : 0);
        size_t n = 0;
        for (const auto& [id, tile] : at) n += id != to && id != of && d2(tile) < limit;
        return n;
    }

    std::map<uint32_t, std::pair<int, int>> at;
    std::set<uint32_t> moved; // this tick
};

} // namespace

TEST_F(Fanout, EachHearsHisSixteenNearestOnceATickAtTheirLatestTileHoweverTheCrowdMoves) {
    std::mt19937 random(26);
    const auto coin = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    uint32_t next = 1;
    for (; next <= 60; ++next) enter(next, coin(21), coin(21));
    flush();
    for (int tick = 0; tick < 400; ++tick) {
        // A few walkers, some with a burst of steps; now and then one goes and another comes.
        for (int walkers = 1 + coin(8); walkers > 0; --walkers) {
            auto it = at.begin();
            std::advance(it, coin(static_cast<int>(at.size())));
            const uint32_t id = it->first;
            for (int steps = 1 + coin(3); steps > 0; --steps) {
                const int way = coin(4), x = at[id].first + (way == 0) - (way == 1), y = at[id].second + (way == 2) - (way == 3);
                if (x >= 0 && x <= 20 && y >= 0 && y <= 20) move(id, x, y);
            }
        }
        if (tick % 20 == 0) {
            leave(std::next(at.begin(), coin(static_cast<int>(at.size())))->first);
            enter(next++, 0, 0);
        }
        const std::set<uint32_t> movers = moved;
        const std::map<uint32_t, Texts> heard = flush();
        for (const auto& [to, texts] : heard) {
            std::set<uint32_t> of;
            for (const std::string& text : texts) {
                const uint32_t id = static_cast<uint32_t>(std::stoul(text.substr(text.find(":J") + 2)));
                EXPECT_TRUE(of.insert(id).second) << "twice in a tick: " << text;
                ASSERT_TRUE(at.count(id)) << text;
                EXPECT_EQ(text, moveOf(id));
                EXPECT_LT(nearer(to, id, false), FANOUT_NEAREST) << "not among the nearest of " << to << ": " << text;
            }
        }
        for (uint32_t m : movers)
            for (const auto& [to, tile] : at) {
                if (to == m || !at.count(m)) continue;
                const auto got = heard.find(to);
                const bool told = got != heard.end() && std::count(got->second.begin(), got->second.end(), moveOf(m));
                if (!told) {
                    EXPECT_GE(nearer(to, m, true), FANOUT_NEAREST) << to << " missed " << moveOf(m) << " at tick " << tick;
                }
            }
    }
}

TEST_F(Fanout, WhoComesNearIsHeardWhereHeStandsAndWhoGoesCausesNothing) {
    // A crowd of sixteen up the left edge, Alice just below it, Zed in the far corner.
    for (uint32_t i = 5; i <= 20; ++i) enter(i, 0, static_cast<int>(i));
    const uint32_t alice = 1, zed = 2;
    enter(alice, 0, 4);
    enter(zed, 20, 0);
    flush();
    // Walking right, Alice's farthest is the crowd's end until Zed is nearer (at x = 4 both are as near: the one
    // heard stays); everyone else has her among his nearest and hears each step.
    for (int x = 1; x <= 5; ++x) {
        move(alice, x, 4);
        std::map<uint32_t, Texts> heard = flush();
        EXPECT_EQ(heard[alice], x < 5 ? Texts{} : Texts{"REMOTE_MOVE:J2:20,0"}) << x;
        for (uint32_t other = 2; other <= 20; ++other) {
            if (other != 3 && other != 4) {
                EXPECT_EQ(heard[other], Texts{moveOf(alice)}) << other;
            }
        }
    }
    // A burst within a tick is one step at its end.
    move(alice, 4, 4);
    move(alice, 3, 4);
    move(alice, 3, 5);
    move(alice, 3, 4);
    std::map<uint32_t, Texts> heard = flush();
    EXPECT_EQ(heard[20], Texts{"REMOTE_MOVE:J1:3,4"});
    EXPECT_EQ(heard[alice], Texts{"REMOTE_MOVE:J20:0,20"}) << "back among her nearest; Zed dropping out says nothing";
    // One of hers leaves: the next nearest comes in, heard where he stands.
    leave(5);
    EXPECT_EQ(flush()[alice], Texts{"REMOTE_MOVE:J2:20,0"});
    EXPECT_TRUE(flush().empty()) << "nothing moved";
}

// The lobby's steps among the messages everyone hears, at the lobby's pace: a crowd of 18 on real sessions.
TEST_F(ServerTest, StepsReachTheNearestOnlyWhileJoinsLeavesAndChatReachEveryone) {
    ServerSettings crowd = settings();
    crowd.maxPlayers = 32;
    crowd.lobbyTickMs = 50;
    restart(crowd);
    // Accounts straight into the database under a cheap hash: logins of a crowd without 18 Argon2id runs.
    char stored[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(stored, passOf("foule").data(), passOf("foule").size(), crypto_pwhash_OPSLIMIT_MIN,
                                crypto_pwhash_MEMLIMIT_MIN), 0);
    const auto login = [&](const std::string& pseudo) {
        std::string error;
        EXPECT_EQ(storageCreateAccount(emailOf(pseudo), pseudo, stored, "M", error), RegisterResult::OK);
        const uint32_t peer = connect();
        send(peer, "AUTH_LOGIN:" + emailOf(pseudo) + ":" + passOf("foule") + ":");
        return peer;
    };
    std::vector<uint32_t> p;
    for (int i = 0; i < 18; ++i) {
        p.push_back(login("Joueur" + std::to_string(i)));
        for (int x = 0; x < i; ++x) send(p[i], "MOVE:D"); // Joueur<i> stands at (i, 0)
    }
    tick(50);
    clearAll();
    // Joueur0's nearest are Joueur1 to Joueur16: Joueur17 walks unheard by him, but not unheard, at the lobby's tick.
    send(p[17], "MOVE:Z");
    send(p[17], "MOVE:Z");
    EXPECT_TRUE(heard(p[16]).empty());
    tick(50);
    EXPECT_TRUE(heard(p[0]).empty());
    EXPECT_EQ(heard(p[16]), Texts{"REMOTE_MOVE:Joueur17:17,2"});
    send(p[16], "MOVE:D");
    tick(50);
    EXPECT_EQ(heard(p[0]), Texts{"REMOTE_MOVE:Joueur16:17,0"});
    EXPECT_EQ(heard(p[16]), Texts{"POS:17,0"});
    send(p[17], "CHAT_RADIO:ohé");
    disconnect(p[17]);
    login("Tardif");
    tick(50);
    const Texts got = heard(p[16]);
    EXPECT_EQ(Texts(got.begin(), got.begin() + 3),
              (Texts{"CHAT_RADIO_FROM:Joueur17:ohé", "LOBBY_LEFT:Joueur17", "LOBBY_JOIN:Tardif"}));
    EXPECT_EQ(heard(p[0]), (Texts{"CHAT_RADIO_FROM:Joueur17:ohé", "LOBBY_LEFT:Joueur17", "LOBBY_JOIN:Tardif",
                                  "REMOTE_MOVE:Tardif:0,0"}));
    send(p[0], "REQ_PLAYERS");
    EXPECT_EQ(heard(p[0]).at(0).rfind("PLAYERS_LIST:18 joueurs en ligne : Joueur0, ", 0), 0u);
}
