// save.dat: what is written, what loads back, the migration of the older
// files, and what survives a failed write.
#include "base/sha256.h"
#include "client_test_support.h"

#include <csignal>
#include <filesystem>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using SaveFile = FreshClient;

// The contents of the save.dat.old-<seconds> files, oldest name first.
std::vector<std::string> setAside() {
    std::vector<std::string> contents;
    for (const std::string& name : filesStartingWith("save.dat.old-")) contents.push_back(readFile(name));
    return contents;
}

const std::string kHash = sha256Hex("secret");

std::string fields(const PlayerProfile& p) { return p.username + "|" + p.email + "|" + p.passHash + "|" + p.gender; }

// loadSave, or ensureSaveLoaded with `migrate`, as "username|email|passHash|gender|index|volumes",
// or "refused".
std::string load(bool migrate = false) {
    const std::optional<SaveData> s = migrate ? ensureSaveLoaded() : loadSave();
    if (!s) return "refused";
    std::ostringstream out;
    out << fields(s->profile) << '|' << s->menuMusicIndex << '|';
    for (size_t i = 0; i < s->volumes.size(); ++i) out << (i ? " " : "") << s->volumes[i];
    return out.str();
}

// ensureSaveLoaded, as load gives it, in a folder holding only these files.
std::string migrate(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
    for (const auto& [name, content] : files) writeFile(name, content);
    return load(true);
}

} // namespace

TEST_F(SaveFile, WritesTheLineFormatAndLoadsItBack) {
    ASSERT_TRUE(writeSave({{"Alice", "alice@example.fr", kHash, "F"}, 3, {1.0f, 0.5f, 0.95f, 0.0f, 0.123456789f}}));
    EXPECT_EQ(readFile("save.dat"),
              "AR_SAVE_V1\nAlice\nalice@example.fr\n" + kHash + "\nF\n3\n1\n0.5\n0.95\n0\n0.123457\n");
    EXPECT_FALSE(fs::exists("save.dat.tmp"));
    EXPECT_EQ(load(), "Alice|alice@example.fr|" + kHash + "|F|3|1 0.5 0.95 0 0.123457");

    writeFile("save.dat", "AR_SAVE_V1\r\nAlice\r\nalice@example.fr\r\n" + kHash + "\r\nF\r\n3\r\n1\r\n0.5\r\n");
    EXPECT_EQ(load(), "Alice|alice@example.fr|" + kHash + "|F|3|1 0.5");

    // A line break inside a field would shift every later line.
    ASSERT_TRUE(writeSave({{"Al\nice", "a@b.fr\r\n", "x\ry", "M"}, 2, {0.5f}}));
    EXPECT_EQ(load(), "Alice|a@b.fr|xy|M|2|0.5");
}

TEST_F(SaveFile, OnlyTheHeaderAndVersionCanRefuseAFile) {
    const std::string body = "\nBob\nbob@x.fr\n\nM\n4\n0.5\n";
    for (const char* rejected :
         {"AR_SAVE_V2", "AR_SAVE_V0", "AR_SAVE_V", "AR_SAVE_Vx1", "AR_SAVE_X1", "ar_save_v1", ""}) {
        writeFile("save.dat", rejected + body);
        EXPECT_EQ(load(), "refused") << rejected;
        EXPECT_FALSE(hasIdentity()) << rejected;
    }
    for (const char* accepted : {"AR_SAVE_V1", "AR_SAVE_V1abc", "AR_SAVE_V 1", "AR_SAVE_V1\r"}) {
        writeFile("save.dat", accepted + body);
        EXPECT_EQ(load(), "Bob|bob@x.fr||M|4|0.5") << accepted;
        EXPECT_TRUE(hasIdentity()) << accepted << ": an empty passHash still counts";
    }

    // A truncated file still loads.
    writeFile("save.dat", "AR_SAVE_V1\nBob");
    EXPECT_EQ(load(), "Bob||||1|");
    EXPECT_FALSE(hasIdentity()) << "no e-mail, no identity";

    // The index is not limited here; bad volume lines are skipped, not fatal.
    writeFile("save.dat", "AR_SAVE_V1\nBob\nb@x.fr\n\nM\n9\n0.5\n\nabc\n0.25\r\nnan\ninf\n1e999\n0.75xyz\n-0.5\n");
    EXPECT_EQ(load(), "Bob|b@x.fr||M|9|0.5 0.25 0.75 -0.5");
    writeFile("save.dat", "AR_SAVE_V1\nBob\nb@x.fr\n\nM\nsix\n");
    EXPECT_EQ(load(), "Bob|b@x.fr||M|1|");
}

TEST_F(SaveFile, LegacyFilesAreMigratedAndNeverChanged) {
    const std::string legacy = "Alice\r\n \t Alice@Example.FR \t\r\n" + kHash + "\r\n\r\n";
    const std::string migrated = "Alice|" + sha256Hex("alice@example.fr") + "|" + kHash + "|M|1|";
    EXPECT_EQ(migrate({{"identity.dat", legacy}}), migrated);
    EXPECT_EQ(load(), migrated) << "save.dat was written";
    EXPECT_EQ(readFile("identity.dat"), legacy);
    // Once save.dat is valid the legacy file is ignored.
    writeFile("identity.dat", "Mallory\nm@x.fr\n\nF\n");
    EXPECT_EQ(loadIdentity().username, "Alice");

    // A value of exactly 64 characters is taken as a hash already, even with an "@".
    for (const std::string& kept : {std::string(58, 'x') + "@ab.fr", kHash, std::string("NoAtSign")})
        EXPECT_EQ(migrate({{"identity.dat", "Bob\n" + kept + "\n\nF\n"}}), "Bob|" + kept + "||F|1|");

    // Without both a name and an e-mail it does not count on its own, but is
    // carried along when another legacy file counts.
    EXPECT_EQ(migrate({{"identity.dat", "Bob\n"}}), "refused");
    EXPECT_FALSE(fs::exists("save.dat") || hasIdentity());
    EXPECT_EQ(migrate({{"identity.dat", "Bob\n"}, {"menu_music.dat", "2"}}), "Bob|||M|2|");

    const std::pair<const char*, int> music[] = {{"9", 6}, {"0", 1}, {"-3", 1}, {"musique", 1}, {"", 1}, {"  4\n", 4}};
    for (const auto& [content, expected] : music) {
        EXPECT_EQ(migrate({{"menu_music.dat", content}}), "|||M|" + std::to_string(expected) + "|") << content;
        EXPECT_EQ(readFile("menu_music.dat"), content);
    }
    // Levels up to the first word that is no number; not a single one: not found.
    const std::string volumes = "0.5 0.25\n0.75\tx 0.1\n";
    EXPECT_EQ(migrate({{"volumes.dat", volumes}}), "|||M|1|0.5 0.25 0.75");
    EXPECT_EQ(readFile("volumes.dat"), volumes);
    EXPECT_EQ(migrate({{"volumes.dat", "fort\n"}}), "refused");
    EXPECT_FALSE(fs::exists("save.dat"));

    // An unusable save.dat is rebuilt from all three.
    EXPECT_EQ(migrate({{"identity.dat", "Alice\n" + kHash + "\n\nF\n"}, {"menu_music.dat", "5"},
                       {"volumes.dat", "0.5 0.5"}, {"save.dat", "AR_SAVE_V2\nSomeone\n"}}),
              "Alice|" + kHash + "||F|5|0.5 0.5");
    EXPECT_EQ(load(), "Alice|" + kHash + "||F|5|0.5 0.5");
    EXPECT_EQ(setAside(), std::vector<std::string>{"AR_SAVE_V2\nSomeone\n"});
}

// The identity, the menu music and the volume levels are saved by three
// writers; each keeps the others' sections, or writes their defaults.
TEST_F(SaveFile, EachWriterKeepsTheRestOfTheSave) {
    EXPECT_FALSE(hasIdentity());
    EXPECT_EQ(fields(loadIdentity()), "|||");
    myProfile = {"stale", "stale@x.fr", "stale", "F"};
    initIdentity();
    EXPECT_EQ(fields(myProfile), "|||F");

    ASSERT_TRUE(writeSave({{"", "", "", "M"}, 4, {0.5f, 0.25f}}));
    ASSERT_TRUE(saveIdentity({"Bob", "bob@x.fr", kHash, "M"}));
    EXPECT_EQ(load(), "Bob|bob@x.fr|" + kHash + "|M|4|0.5 0.25");
    initIdentity();
    EXPECT_EQ(fields(myProfile), "Bob|bob@x.fr|" + kHash + "|M");
    setMenuMusicIndex(9);
    EXPECT_EQ(load(), "Bob|bob@x.fr|" + kHash + "|M|6|0.5 0.25") << "limited to the six musics";
    adjustVolume(AudioChannel::MAP, -0.5f);
    EXPECT_EQ(load(), "Bob|bob@x.fr|" + kHash + "|M|6|1 1 1 1 1 1 0.5 1") << "all eight levels";

    // With nothing saved, each writes the defaults for the rest.
    fs::remove("save.dat");
    ASSERT_TRUE(saveIdentity({"Eve", "eve@x.fr", "", "F"}));
    EXPECT_EQ(load(), "Eve|eve@x.fr||F|1|");
    fs::remove("save.dat");
    setMenuMusicIndex(2);
    EXPECT_EQ(load(), "|||M|2|");
    fs::remove("save.dat");
    adjustVolume(AudioChannel::MASTER, -0.5f);
    EXPECT_EQ(load(), "||||1|0.5 1 1 1 1 1 0.5 1");
}

TEST_F(SaveFile, AFailedWriteLeavesThePreviousSaveIntact) {
    ASSERT_TRUE(writeSave({{"Alice", "a@x.fr", kHash, "F"}, 2, {0.5f}}));
    const std::string before = readFile("save.dat");
    const PlayerProfile other{"Bob", "b@x.fr", "", "M"};

    // The temporary file cannot be created.
    fs::create_directory("save.dat.tmp");
    EXPECT_FALSE(writeSave({other, 3, {}}));
    EXPECT_FALSE(saveIdentity(other));
    EXPECT_EQ(readFile("save.dat"), before);
    fs::remove("save.dat.tmp");

    // The disk fills up in the middle of the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = writeSave({other, 3, std::vector<float>(8, 0.5f)});
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile("save.dat"), before);
    EXPECT_FALSE(fs::exists("save.dat.tmp"));

    // A link planted where the temporary file goes is replaced, not written through.
    writeFile("elsewhere", "keep");
    fs::create_symlink("elsewhere", "save.dat.tmp");
    EXPECT_TRUE(writeSave({other, 3, {}}));
    EXPECT_EQ(readFile("elsewhere"), "keep");
    EXPECT_FALSE(fs::is_symlink("save.dat"));
    EXPECT_EQ(load(), "Bob|b@x.fr||M|3|");
}

TEST_F(SaveFile, ASaveThatDoesNotLoadIsSetAsideNeverWrittenOver) {
    const PlayerProfile alice{"Alice", "a@x.fr", kHash, "F"};
    // A newer client's file: the first write of this one moves it aside.
    const std::string newer = "AR_SAVE_V2\nAlice\na@x.fr\n" + kHash + "\nF\n2\n0.5\n";
    writeFile("save.dat", newer);
    EXPECT_FALSE(hasIdentity());
    ASSERT_TRUE(writeSave({{"", "", "", "M"}, 1, {0.25f}}));
    EXPECT_EQ(load(), "|||M|1|0.25");
    // A second one in the same second gets a name of its own.
    writeFile("save.dat", "AR_SAVE_V3\n");
    ASSERT_TRUE(saveIdentity(alice));
    EXPECT_EQ(load(), "Alice|a@x.fr|" + kHash + "|F|1|");
    EXPECT_EQ(setAside(), (std::vector<std::string>{newer, "AR_SAVE_V3\n"}));
    // A save.dat that loads is simply replaced.
    ASSERT_TRUE(writeSave({alice, 4, {}}));
    EXPECT_EQ(setAside().size(), 2u);

    // One that cannot be read (a permission fault here; a directory where
    // even root cannot read a line) is kept as well.
    for (auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
    if (geteuid() != 0) {
        writeFile("save.dat", "AR_SAVE_V1\nAlice\n");
        ASSERT_EQ(chmod("save.dat", 0), 0);
    } else {
        fs::create_directory("save.dat");
        writeFile("save.dat/inside", "kept");
    }
    ASSERT_TRUE(saveIdentity(alice));
    EXPECT_EQ(load(), "Alice|a@x.fr|" + kHash + "|F|1|");
    EXPECT_EQ(setAside().size(), 1u);

    // A temporary file left by a save cut short goes at start-up; save.dat stays.
    writeFile("save.dat.tmp", "AR_SAVE_V1\nhalf");
    initIdentity();
    EXPECT_FALSE(fs::exists("save.dat.tmp"));
    EXPECT_EQ(myProfile.username, "Alice");
}
