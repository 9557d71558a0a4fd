// The update check's real platform operations: the HTTPS GET (libcurl)
// against `openssl s_server` on 127.0.0.1, with certificates made here (a test
// CA, a server certificate for 127.0.0.1 and one for another host name, both
// signed by it), and the detached start of a program.
#include "../unit/scratch.h"
#include "platform/https.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// One s_server serving the working folder's files (-WWW: no Content-Length,
// the body ends when the connection closes) on a free port it reports. The
// shell's first line is its pid, which exec hands to s_server.
class TlsServer {
public:
    explicit TlsServer(const std::string& name) {
        const std::string cmd = "echo $$ && exec openssl s_server -accept 127.0.0.1:0 -cert " + name + ".pem -key " +
                                name + ".key -WWW 2>/dev/null";
        out_ = popen(cmd.c_str(), "r");
        char line[256];
        if (out_ && fgets(line, sizeof line, out_)) pid_ = std::atoi(line);
        // "ACCEPT 127.0.0.1:<port>" once it listens.
        while (port_ == 0 && out_ && fgets(line, sizeof line, out_))
            if (std::strncmp(line, "ACCEPT ", 7) == 0) port_ = std::atoi(std::strrchr(line, ':') + 1);
    }
    ~TlsServer() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        if (out_) pclose(out_);
    }
    int port() const { return port_; }

private:
    FILE* out_ = nullptr;
    pid_t pid_ = 0;
    int port_ = 0;
};

// The certificates and the files served, in a scratch working folder.
class HttpsGet : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_.emplace();
        const std::string req = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2";
        const std::string signedByCa = " -CA ca.pem -CAkey ca.key 2>/dev/null";
        ASSERT_EQ(std::system((req + " -keyout ca.key -out ca.pem -subj /CN=AshenTestCA 2>/dev/null").c_str()), 0);
        ASSERT_EQ(std::system((req + " -keyout local.key -out local.pem -subj /CN=127.0.0.1"
                                     " -addext subjectAltName=IP:127.0.0.1" + signedByCa).c_str()), 0);
        ASSERT_EQ(std::system((req + " -keyout other.key -out other.pem -subj /CN=elsewhere.example"
                                     " -addext subjectAltName=DNS:elsewhere.example" + signedByCa).c_str()), 0);
        fs::create_directories("updates");
        std::ofstream("updates/update.json") << R"({"version":"1.10.2"})";
        std::ofstream("updates/limit.json") << std::string(64 * 1024, 'a');
        std::ofstream("updates/big.json") << std::string(64 * 1024 + 1, 'a');
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static platform::HttpsRequest request(int port, const std::string& file, bool trustTestCa = true) {
        platform::HttpsRequest r;
        r.url = "https://127.0.0.1:" + std::to_string(port) + "/updates/" + file;
        r.userAgent = "AshenRefugeCheck";
        if (trustTestCa) r.caFile = "ca.pem";
        return r;
    }

    inline static std::optional<ScratchFolder> folder_;
};

} // namespace

TEST_F(HttpsGet, ReadsTheWholeBodyUpToTheLimitFromATrustedServerOnly) {
    TlsServer local("local"), other("other");
    ASSERT_GT(local.port(), 0);
    ASSERT_GT(other.port(), 0);
    std::string body = "stale";
    ASSERT_TRUE(platform::httpsGet(request(local.port(), "update.json"), body));
    EXPECT_EQ(body, R"({"version":"1.10.2"})");
    ASSERT_TRUE(platform::httpsGet(request(local.port(), "limit.json"), body));
    EXPECT_EQ(body.size(), 64u * 1024u);
    EXPECT_FALSE(platform::httpsGet(request(local.port(), "big.json"), body)) << "one byte over the limit";
    EXPECT_TRUE(body.empty());

    body = "stale";
    EXPECT_FALSE(platform::httpsGet(request(local.port(), "update.json", false), body))
        << "the test CA is not in the system store";
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(platform::httpsGet(request(other.port(), "update.json"), body))
        << "a trusted certificate for another host name";
}

TEST_F(HttpsGet, SilentServerFailsWithinTheBound) {
    // The kernel completes the connection; nothing ever answers the TLS hello.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);

    platform::HttpsRequest r = request(ntohs(addr.sin_port), "update.json");
    r.totalTimeoutMs = 1000;
    std::string body;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::httpsGet(r, body));
    // Generous: this only tells a bounded wait from an unbounded one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    close(listener);
}

TEST(StartDetached, ProgramRunsInItsOwnSessionWithNullStreams) {
    ScratchFolder folder; // the updater's working folder too
    // Session id (field 6 of stat), then where the three standard streams lead.
    // The expansions run before echo's own redirection, so they see the
    // script's streams as it was started.
    std::ofstream("Updater") << "#!/bin/sh\n"
                                "echo $$ $(cut -d' ' -f6 /proc/$$/stat) $(readlink /proc/$$/fd/0) "
                                "$(readlink /proc/$$/fd/1) $(readlink /proc/$$/fd/2) > report.tmp\n"
                                "mv report.tmp report\n";
    fs::permissions("Updater", fs::perms::owner_all);
    EXPECT_FALSE(platform::startDetached("./Missing"));
    ASSERT_TRUE(platform::startDetached("./Updater"));
    for (int i = 0; i < 500 && !fs::exists("report"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in("report");
    std::string pid, sid, in0, out1, err2;
    in >> pid >> sid >> in0 >> out1 >> err2;
    EXPECT_EQ(sid, pid) << "the updater leads a session of its own";
    EXPECT_NE(sid, std::to_string(getsid(0)));
    EXPECT_EQ(in0 + " " + out1 + " " + err2, "/dev/null /dev/null /dev/null");
}
