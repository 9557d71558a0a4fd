// A save killed at any moment leaves save.dat whole: the old file or the new
// one, never a mix, never nothing.
#include "core/save_file.h"
#include "temp_folder.h"

#include <random>

#include <csignal>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Set in the saving child only: its syncs take long enough for kills to
// land between the write, the sync and the rename.
bool g_slowSyncs = false;

} // namespace

extern "C" int fsync(int fd) {
    if (g_slowSyncs) usleep(1000);
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

class SaveKill : public TempFolder {};

const SaveData kAlice{{"Alice", "alice@exemple.fr", std::string(64, 'a'), "F"}, 2, std::vector<float>(8, 0.25f)};
const SaveData kBob{{"Bob", "bob@exemple.fr", std::string(64, 'b'), "M"}, 5, std::vector<float>(8, 0.75f)};

[[noreturn]] void saveForever() {
    g_slowSyncs = true;
    for (bool alice = true;; alice = !alice)
        writeSave(alice ? kAlice : kBob);
}

} // namespace

TEST_F(SaveKill, EveryKillLeavesAWholeOldOrNewFile) {
    ASSERT_TRUE(writeSave(kBob));
    const std::string bob = readFile("save.dat");
    ASSERT_TRUE(writeSave(kAlice));
    const std::string alice = readFile("save.dat");

    std::mt19937 random(20261207);
    int midWrite = 0;
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever();
        usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string found = readFile("save.dat");
        ASSERT_TRUE(found == alice || found == bob) << "kill " << kill << ":\n" << found;
        if (access("save.dat.tmp", F_OK) == 0) ++midWrite;
    }
    EXPECT_GT(midWrite, 0) << "no kill landed during a write: the test proves nothing";

    // The next start clears what the last kill left.
    initIdentity();
    EXPECT_NE(access("save.dat.tmp", F_OK), 0);
    EXPECT_TRUE(myProfile.username == "Alice" || myProfile.username == "Bob");
}
