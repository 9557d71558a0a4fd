// Losing the server, however it goes: two whole clients (the real main loop,
// keys and speech doubled) log in to a real AshenServer, which is stopped
// with SIGTERM or killed, then started again on the same port with the same
// accounts; each time each client says "Serveur deconnecte." exactly once.
// Each client runs in a process of its own, since a client's state is its
// process's. tests/integration/server_loss_soak.sh kills it more often.
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

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char* const LOST = "Serveur deconnecte.";

// The client's side: its main loop on a fake clock that follows real time,
// taking orders on one pipe and telling every text it speaks, one a line, on
// the other.
class RemoteControl {
public:
    RemoteControl(int orders, int reports) : orders_(orders), reports_(reports) {}

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
        const auto& s = fake::spoken();
        for (; told_ < s.size(); ++told_) report(s[told_]);
        char buffer[256];
        const ssize_t n = read(orders_, buffer, sizeof buffer);
        if (n == 0) return fake::pushClose(); // the test is gone
        if (n > 0) pending_.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1))
            obey(pending_.substr(0, end));
        fake::at(fake::now() + 10, [this] { tick(); });
    }

    // "connect PORT" (as the menu does), "register NAME", "login NAME", "quit".
    void obey(const std::string& order) {
        const size_t space = order.find(' ');
        const std::string verb = order.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : order.substr(space + 1);
        if (verb == "connect") {
            const bool ok = connectToServer("127.0.0.1", static_cast<uint16_t>(std::atoi(arg.c_str())));
            report(ok ? "#connected" : "#refused");
        } else if (verb == "register") {
            sendAuthRegister(sha256Hex(arg + "@exemple.fr"), arg, sha256Hex(arg), "F");
        } else if (verb == "login") {
            PlayerProfile profile;
            profile.email = arg + "@exemple.fr";
            sendAuthLogin(profile, sha256Hex(arg), "");
        } else if (verb == "quit") {
            fake::pushClose();
        }
    }

    void report(const std::string& line) {
        const std::string out = line + "\n";
        if (write(reports_, out.data(), out.size()) < 0) _exit(1);
    }

    int orders_, reports_;
    std::string pending_;
    size_t told_ = 0;
    const Clock::time_point start_ = Clock::now();
};

// The test's side of one client process.
class RemoteClient {
public:
    explicit RemoteClient(const std::string& folder) {
        int orders[2], reports[2];
        if (pipe(orders) != 0 || pipe(reports) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(orders[1]);
            close(reports[0]);
            fcntl(orders[0], F_SETFL, O_NONBLOCK);
            std::filesystem::create_directories(folder);
            std::filesystem::current_path(folder); // its own config.ini and save.dat
            RemoteControl(orders[0], reports[1]).run();
        }
        close(orders[0]);
        close(reports[1]);
        orders_ = orders[1];
        reports_ = reports[0];
    }
    ~RemoteClient() {
        order("quit");
        if (orders_ >= 0) close(orders_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        if (reports_ >= 0) close(reports_);
    }

    void order(const std::string& text) {
        const std::string line = text + "\n";
        if (orders_ < 0 || write(orders_, line.data(), line.size()) < 0) ADD_FAILURE() << "the client is gone";
    }

    // Reads what the client says until `text` comes, after what was awaited
    // before, or `ms` of real time pass.
    bool awaitLine(const std::string& text, int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            while (seen_ < heard_.size())
                if (heard_[seen_++] == text) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0 || !readSome(static_cast<int>(left))) return false;
        }
    }
    // Everything the client says within `ms`.
    void listen(int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        for (long left; (left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count()) > 0;)
            readSome(static_cast<int>(left));
    }

    size_t count(const std::string& text) const { return std::count(heard_.begin(), heard_.end(), text); }
    std::string transcript() const {
        std::string all;
        for (const std::string& line : heard_) all += line + "\n";
        return all;
    }

private:
    bool readSome(int ms) {
        pollfd p{reports_, POLLIN, 0};
        char buffer[1024];
        ssize_t n = 0;
        if (poll(&p, 1, ms) <= 0 || (n = read(reports_, buffer, sizeof buffer)) <= 0) return false;
        partial_.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = partial_.find('\n')) != std::string::npos; partial_.erase(0, end + 1))
            heard_.push_back(partial_.substr(0, end));
        return true;
    }

    pid_t pid_ = -1;
    int orders_ = -1, reports_ = -1;
    std::string partial_;
    std::vector<std::string> heard_;
    size_t seen_ = 0;
};

class ServerLoss : public ClientTest {};

} // namespace

TEST_F(ServerLoss, EachClientSaysTheServerIsLostOnceEveryTimeItIsStoppedOrKilled) {
    ServerProcess server;
    ASSERT_NE(server.port(), 0);
    const std::string port = std::to_string(server.port());
    const std::string folder = std::filesystem::current_path().string();
    const char* const names[] = {"lucie", "marc"};
    RemoteClient lucie(folder + "/lucie"), marc(folder + "/marc");
    RemoteClient* const clients[] = {&lucie, &marc};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(clients[i]->awaitLine("Menu principal.", 10000)) << clients[i]->transcript();
        clients[i]->order("connect " + port);
        ASSERT_TRUE(clients[i]->awaitLine("#connected", 6000));
        clients[i]->order(std::string("register ") + names[i]);
        ASSERT_TRUE(clients[i]->awaitLine("Compte créé et enregistré.", 15000)) << clients[i]->transcript();
    }

    // A killed server is found out by ENet's time-out (5 s and more): few of them here.
    const char* soak = std::getenv("ASHEN_LOSS_KILLS");
    const int stops = 20, kills = soak ? std::atoi(soak) : 3;
    for (int round = 0; round < stops + kills; ++round) {
        const bool kill = round >= stops;
        SCOPED_TRACE(std::string(kill ? "SIGKILL, round " : "SIGTERM, round ") + std::to_string(round));
        if (round > 0) {
            ASSERT_TRUE(server.restart());
            for (RemoteClient* c : clients) {
                c->order("connect " + port); // the client closes what is left of the lost connection first
                ASSERT_TRUE(c->awaitLine("#connected", 6000));
            }
        }
        for (int i = 0; i < 2; ++i) {
            clients[i]->order(std::string("login ") + names[i]);
            ASSERT_TRUE(clients[i]->awaitLine("Connexion réussie.", 15000)) << clients[i]->transcript();
        }
        server.stop(kill ? SIGKILL : SIGTERM);
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(clients[i]->awaitLine(LOST, kill ? 35000 : 3000)) << names[i] << "\n"
                                                                          << clients[i]->transcript();
            clients[i]->listen(50);
            // Counted over the whole run: a second one, however late, shows in a later round.
            EXPECT_EQ(clients[i]->count(LOST), static_cast<size_t>(round + 1)) << names[i];
        }
    }
}
