// Losing the server, however it goes: two whole clients, each in a process of
// its own since a client's state is its process's, against a real AshenServer
// stopped or killed and started again (server_loss_soak.sh kills it more often).
#include "base/sha256.h"
#include "client_test_support.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "server_process.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char* const LOST = "Serveur deconnecte.";

// A player in a process of its own: the client's main loop on a fake clock
// that follows real time. It makes its account, logs in, and after each loss
// connects and logs in again, as soon as the server answers; once in, it opens
// the group menu on (0, 0) and makes a team of its own. Every text it speaks
// goes to the test, one a line.
class Player {
public:
    Player(std::string name, uint16_t port, int reports) : name_(std::move(name)), port_(port), reports_(reports) {}

    [[noreturn]] void run() {
        fake::reset(); // the test's own safety net is too short for a soak
        fake::closeWindowAt(3600000);
        fake::at(100, [] { fake::setKey(VK_RETURN, true); }); // skips the intro
        fake::at(130, [] { fake::setKey(VK_RETURN, false); });
        fake::at(10, [this] { tick(); });
        runClient();
        _exit(0);
    }

private:
    void tick() {
        const auto due = start_ + std::chrono::milliseconds(fake::now());
        if (due > Clock::now()) std::this_thread::sleep_until(due);
        for (const auto& s = fake::spoken(); told_ < s.size(); ++told_) hear(s[told_]);
        // Blocks up to 5 s, as the menu's connection does, while no server listens.
        if (offline_ && connectToServer("127.0.0.1", port_)) {
            offline_ = false;
            if (registered_) login();
            else sendAuthRegister(sha256Hex(name_ + "@exemple.fr"), name_, sha256Hex(name_), "F");
        }
        fake::at(fake::now() + 10, [this] { tick(); });
    }

    void hear(const std::string& text) {
        const std::string line = text + "\n";
        if (write(reports_, line.data(), line.size()) < 0) _exit(1);
        if (text == "Menu principal." || text == LOST) offline_ = true;
        if (text == "Compte créé et enregistré.") {
            registered_ = true;
            login();
        }
        if (text == "Connexion réussie.") {
            const uint32_t at = fake::now() + 300; // past the gap between two actions
            fake::at(at, [] { fake::setKey(VK_RETURN, true); });
            fake::at(at + 30, [] { fake::setKey(VK_RETURN, false); });
        }
        if (text == "Menu de groupe : Créer une équipe") sendCreateTeam(name_);
    }

    void login() {
        PlayerProfile profile;
        profile.email = name_ + "@exemple.fr";
        sendAuthLogin(profile, sha256Hex(name_), "");
    }

    const std::string name_;
    const uint16_t port_;
    const int reports_;
    bool offline_ = false, registered_ = false;
    size_t told_ = 0;
    const Clock::time_point start_ = Clock::now();
};

// The test's side of a player's process: what it has said so far.
class RemotePlayer {
public:
    RemotePlayer(const std::string& name, uint16_t port, const std::string& folder) : name(name) {
        int reports[2];
        if (pipe(reports) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(reports[0]);
            std::filesystem::create_directories(folder);
            std::filesystem::current_path(folder); // its own config.ini and save.dat
            Player(name, port, reports[1]).run();
        }
        close(reports[1]);
        reports_ = reports[0];
    }
    ~RemotePlayer() {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        if (reports_ >= 0) close(reports_);
    }

    // Reads until the player says `text`, after what was awaited before, or `ms` pass.
    bool awaitLine(const std::string& text, int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            while (seen_ < heard_.size())
                if (heard_[seen_++] == text) return true;
            if (!readUntil(end)) return false;
        }
    }
    // Everything the player says within `ms`.
    void listen(int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (readUntil(end)) {
        }
    }
    size_t count(const std::string& text) const { return std::count(heard_.begin(), heard_.end(), text); }
    std::string transcript() const {
        std::string all;
        for (const std::string& line : heard_) all += line + "\n";
        return all;
    }

    const std::string name;

private:
    bool readUntil(Clock::time_point end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{reports_, POLLIN, 0};
        char buffer[1024];
        ssize_t n = 0;
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0 || (n = read(reports_, buffer, sizeof buffer)) <= 0)
            return false;
        partial_.append(buffer, static_cast<size_t>(n));
        for (size_t at; (at = partial_.find('\n')) != std::string::npos; partial_.erase(0, at + 1))
            heard_.push_back(partial_.substr(0, at));
        return true;
    }

    pid_t pid_ = -1;
    int reports_ = -1;
    std::string partial_;
    std::vector<std::string> heard_;
    size_t seen_ = 0;
};

class ServerLoss : public ClientTest {};

} // namespace

TEST_F(ServerLoss, EachClientSaysTheServerIsLostOnceEveryTimeItIsStoppedOrKilled) {
    ServerProcess server;
    ASSERT_NE(server.port(), 0);
    const std::string folder = std::filesystem::current_path().string();
    RemotePlayer lucie("lucie", server.port(), folder + "/lucie"), marc("marc", server.port(), folder + "/marc");

    // A killed server is found out by ENet's time-out (5 s and more): few of them here.
    const char* soak = std::getenv("ASHEN_LOSS_KILLS");
    const int stops = 20, kills = soak ? std::atoi(soak) : 3;
    for (int round = 0; round < stops + kills; ++round) {
        const bool kill = round >= stops;
        SCOPED_TRACE(std::string(kill ? "SIGKILL, round " : "SIGTERM, round ") + std::to_string(round));
        for (RemotePlayer* p : {&lucie, &marc}) {
            ASSERT_TRUE(p->awaitLine("Connexion réussie.", 20000)) << p->name << "\n" << p->transcript();
            // A team kept from the last connection would answer "Chef : " instead.
            ASSERT_TRUE(p->awaitLine("Menu de groupe : Créer une équipe", 5000)) << p->name << "\n" << p->transcript();
            ASSERT_TRUE(p->awaitLine("Equipe rejointe : " + p->name, 5000)) << p->name << "\n" << p->transcript();
        }
        server.stop(kill ? SIGKILL : SIGTERM);
        for (RemotePlayer* p : {&lucie, &marc}) {
            EXPECT_TRUE(p->awaitLine(LOST, kill ? 35000 : 3000)) << p->name << "\n" << p->transcript();
            p->listen(50);
            // Counted over the whole run: a second one, however late, shows in a later round.
            EXPECT_EQ(p->count(LOST), static_cast<size_t>(round + 1)) << p->name;
        }
        if (round + 1 < stops + kills) {
            ASSERT_TRUE(server.restart());
        }
    }
}
