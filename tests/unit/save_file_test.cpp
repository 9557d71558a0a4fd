// save.dat: what is written, what loads back, the migration of the older
// files, and what survives a failed write.
#include "net/save_file.h"
#include "net/sha256.h"
#include "temp_folder.h"

#include <csignal>
#include <filesystem>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

class SaveFile : public TempFolder {};

const std::string kHash = sha256Hex("secret");

PlayerProfile profile(std::string u, std::string e, std::string p, std::string g) {
    return PlayerProfile{std::move(u), std::move(e), std::move(p), std::move(g)};
}

struct Loaded {
    bool ok = false;
    PlayerProfile profile;
    int index = -7;
    std::vector<float> volumes{42.0f};
};

Loaded load() {
    Loaded l;
    l.profile = profile("untouched", "untouched", "untouched", "untouched");
    l.ok = loadSave(l.profile, l.index, l.volumes);
    return l;
}

Loaded ensure() {
    Loaded l;
    l.profile = profile("untouched", "untouched", "untouched", "untouched");
    l.ok = ensureSaveLoaded(l.profile, l.index, l.volumes);
    return l;
}

} // namespace

TEST_F(SaveFile, WritesTheLineFormatAndLoadsItBack) {
    const PlayerProfile p = profile("Alice", "alice@example.fr", kHash, "F");
    ASSERT_TRUE(writeSave(p, 3, {1.0f, 0.5f, 0.95f, 0.0f, 0.123456789f}));
    EXPECT_EQ(readFile("save.dat"),
              "AR_SAVE_V1\nAlice\nalice@example.fr\n" + kHash + "\nF\n3\n1\n0.5\n0.95\n0\n0.123457\n");
    EXPECT_FALSE(fs::exists("save.dat.tmp"));

    Loaded l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Alice");
    EXPECT_EQ(l.profile.email, "alice@example.fr");
    EXPECT_EQ(l.profile.passHash, kHash);
    EXPECT_EQ(l.profile.gender, "F");
    EXPECT_EQ(l.index, 3);
    EXPECT_EQ(l.volumes, (std::vector<float>{1.0f, 0.5f, 0.95f, 0.0f, 0.123457f}));

    // The same file with Windows line ends loads identically.
    writeFile("save.dat", "AR_SAVE_V1\r\nAlice\r\nalice@example.fr\r\n" + kHash + "\r\nF\r\n3\r\n1\r\n0.5\r\n");
    l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Alice");
    EXPECT_EQ(l.profile.passHash, kHash);
    EXPECT_EQ(l.profile.gender, "F");
    EXPECT_EQ(l.index, 3);
    EXPECT_EQ(l.volumes, (std::vector<float>{1.0f, 0.5f}));
}

TEST_F(SaveFile, LineBreaksInsideFieldsCannotShiftTheLines) {
    ASSERT_TRUE(writeSave(profile("Al\nice", "a@b.fr\r\n", "x\ry", "M"), 2, {0.5f}));
    Loaded l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Alice");
    EXPECT_EQ(l.profile.email, "a@b.fr");
    EXPECT_EQ(l.profile.passHash, "xy");
    EXPECT_EQ(l.profile.gender, "M");
    EXPECT_EQ(l.index, 2);
    EXPECT_EQ(l.volumes, std::vector<float>{0.5f});
}

TEST_F(SaveFile, HeaderAndVersionDecideWhetherTheFileCounts) {
    const std::string body = "\nBob\nbob@x.fr\n\nM\n4\n0.5\n";
    for (const char* rejected : {"AR_SAVE_V2", "AR_SAVE_V0", "AR_SAVE_V", "AR_SAVE_Vx1", "AR_SAVE_X1", "ar_save_v1", ""}) {
        writeFile("save.dat", rejected + body);
        Loaded l = load();
        EXPECT_FALSE(l.ok) << rejected;
        EXPECT_EQ(l.profile.username, "untouched") << rejected;
        EXPECT_EQ(l.index, -7) << rejected;
        EXPECT_EQ(l.volumes, std::vector<float>{42.0f}) << rejected;
        EXPECT_FALSE(hasIdentity()) << rejected;
        EXPECT_EQ(loadIdentity().username, "") << rejected;
    }
    for (const char* accepted : {"AR_SAVE_V1", "AR_SAVE_V1abc", "AR_SAVE_V 1", "AR_SAVE_V1\r"}) {
        writeFile("save.dat", accepted + body);
        Loaded l = load();
        EXPECT_TRUE(l.ok) << accepted;
        EXPECT_EQ(l.profile.username, "Bob") << accepted;
        EXPECT_EQ(l.index, 4) << accepted;
        EXPECT_TRUE(hasIdentity()) << accepted << ": an empty passHash still counts";
    }
}

TEST_F(SaveFile, TruncatedFilesAndBadLinesStillLoad) {
    writeFile("save.dat", "AR_SAVE_V1\nBob");
    Loaded l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Bob");
    EXPECT_EQ(l.profile.email, "");
    EXPECT_EQ(l.profile.gender, "");
    EXPECT_EQ(l.index, 1);
    EXPECT_TRUE(l.volumes.empty());
    EXPECT_FALSE(hasIdentity()) << "no e-mail, no identity";

    // The index is not limited here; bad volume lines are skipped, not fatal.
    writeFile("save.dat", "AR_SAVE_V1\nBob\nb@x.fr\n\nM\n9\n0.5\n\nabc\n0.25\r\nnan\ninf\n1e999\n0.75xyz\n-0.5\n");
    l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.index, 9);
    EXPECT_EQ(l.volumes, (std::vector<float>{0.5f, 0.25f, 0.75f, -0.5f}));

    writeFile("save.dat", "AR_SAVE_V1\nBob\nb@x.fr\n\nM\nsix\n");
    l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.index, 1);
}

TEST_F(SaveFile, LegacyIdentityIsMigratedWithItsEmailHashed) {
    const std::string legacy = "Alice\r\n \t Alice@Example.FR \t\r\n" + kHash + "\r\n\r\n";
    writeFile("identity.dat", legacy);
    Loaded l = ensure();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Alice");
    EXPECT_EQ(l.profile.email, sha256Hex("alice@example.fr"));
    EXPECT_EQ(l.profile.passHash, kHash);
    EXPECT_EQ(l.profile.gender, "M");
    EXPECT_EQ(l.index, 1);
    EXPECT_TRUE(l.volumes.empty());
    EXPECT_EQ(load().profile.email, sha256Hex("alice@example.fr")) << "save.dat was written";
    EXPECT_EQ(readFile("identity.dat"), legacy) << "legacy files are never changed";

    // Once save.dat is valid the legacy file is ignored.
    writeFile("identity.dat", "Mallory\nm@x.fr\n\nF\n");
    EXPECT_EQ(loadIdentity().username, "Alice");

    // A value of exactly 64 characters is taken as a hash already, even with an "@".
    const std::string sixtyFour = std::string(58, 'x') + "@ab.fr";
    ASSERT_EQ(sixtyFour.size(), 64u);
    for (const std::string& kept : {sixtyFour, kHash, std::string("NoAtSign")}) {
        fs::remove("save.dat");
        writeFile("identity.dat", "Bob\n" + kept + "\n\nF\n");
        l = ensure();
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.profile.email, kept);
        EXPECT_EQ(l.profile.gender, "F");
    }

    // Without both a name and an e-mail it does not count on its own.
    fs::remove("save.dat");
    writeFile("identity.dat", "Bob\n");
    l = ensure();
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.profile.username, "untouched");
    EXPECT_FALSE(fs::exists("save.dat"));
    EXPECT_FALSE(hasIdentity());

    // ...but is carried along when another legacy file counts.
    writeFile("menu_music.dat", "2");
    l = ensure();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Bob");
    EXPECT_EQ(l.profile.gender, "M");
    EXPECT_EQ(l.index, 2);
}

TEST_F(SaveFile, LegacyMenuMusicAndVolumesAreMigrated) {
    const std::pair<const char*, int> cases[] = {{"9", 6}, {"0", 1}, {"-3", 1}, {"musique", 1}, {"", 1}, {"  4\n", 4}};
    for (const auto& [content, expected] : cases) {
        fs::remove("save.dat");
        writeFile("menu_music.dat", content);
        Loaded l = ensure();
        ASSERT_TRUE(l.ok) << content;
        EXPECT_EQ(l.index, expected) << content;
        EXPECT_EQ(l.profile.username, "");
        EXPECT_EQ(l.profile.gender, "M");
        EXPECT_EQ(readFile("menu_music.dat"), content);
    }
    fs::remove("menu_music.dat");

    const std::string volumes = "0.5 0.25\n0.75\tx 0.1\n";
    fs::remove("save.dat");
    writeFile("volumes.dat", volumes);
    Loaded l = ensure();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.volumes, (std::vector<float>{0.5f, 0.25f, 0.75f}));
    EXPECT_EQ(l.index, 1);
    EXPECT_EQ(readFile("volumes.dat"), volumes);

    // Not a single number: not found.
    fs::remove("save.dat");
    writeFile("volumes.dat", "fort\n");
    EXPECT_FALSE(ensure().ok);
    EXPECT_FALSE(fs::exists("save.dat"));
}

TEST_F(SaveFile, AnUnusableSaveIsRebuiltFromTheLegacyFiles) {
    writeFile("identity.dat", "Alice\n" + kHash + "\n\nF\n");
    writeFile("menu_music.dat", "5");
    writeFile("volumes.dat", "0.5 0.5");
    writeFile("save.dat", "AR_SAVE_V2\nSomeone\n");
    Loaded l = ensure();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Alice");
    EXPECT_EQ(l.index, 5);
    EXPECT_EQ(l.volumes, (std::vector<float>{0.5f, 0.5f}));
    EXPECT_EQ(readFile("save.dat").substr(0, 17), "AR_SAVE_V1\nAlice\n");
}

TEST_F(SaveFile, IdentityAccessorsKeepTheRestOfTheSave) {
    EXPECT_FALSE(hasIdentity());
    EXPECT_EQ(loadIdentity().gender, "");

    myProfile = profile("stale", "stale@x.fr", "stale", "F");
    initIdentity();
    EXPECT_EQ(myProfile.username, "");
    EXPECT_EQ(myProfile.email, "");
    EXPECT_EQ(myProfile.passHash, "");

    ASSERT_TRUE(writeSave(profile("", "", "", "M"), 4, {0.5f, 0.25f}));
    ASSERT_TRUE(saveIdentity(profile("Bob", "bob@x.fr", kHash, "M")));
    Loaded l = load();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.profile.username, "Bob");
    EXPECT_EQ(l.index, 4);
    EXPECT_EQ(l.volumes, (std::vector<float>{0.5f, 0.25f}));

    initIdentity();
    EXPECT_EQ(myProfile.username, "Bob");
    EXPECT_EQ(myProfile.email, "bob@x.fr");
    EXPECT_EQ(myProfile.passHash, kHash);
    EXPECT_EQ(myProfile.gender, "M");

    // With nothing saved, the identity is written with the defaults.
    fs::remove("save.dat");
    ASSERT_TRUE(saveIdentity(profile("Eve", "eve@x.fr", "", "F")));
    l = load();
    EXPECT_EQ(l.index, 1);
    EXPECT_TRUE(l.volumes.empty());
}

TEST_F(SaveFile, AFailedWriteLeavesThePreviousSaveIntact) {
    ASSERT_TRUE(writeSave(profile("Alice", "a@x.fr", kHash, "F"), 2, {0.5f}));
    const std::string before = readFile("save.dat");
    const PlayerProfile other = profile("Bob", "b@x.fr", "", "M");

    // The temporary file cannot be created.
    fs::create_directory("save.dat.tmp");
    EXPECT_FALSE(writeSave(other, 3, {}));
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
    const bool written = writeSave(other, 3, std::vector<float>(8, 0.5f));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile("save.dat"), before);
    EXPECT_FALSE(fs::exists("save.dat.tmp"));

    // save.dat cannot be replaced.
    fs::remove("save.dat");
    fs::create_directory("save.dat");
    EXPECT_FALSE(writeSave(other, 3, {}));
    EXPECT_FALSE(fs::exists("save.dat.tmp"));
    fs::remove("save.dat");

    // A link planted where the temporary file goes is replaced, not written through.
    writeFile("elsewhere", "keep");
    fs::create_symlink("elsewhere", "save.dat.tmp");
    EXPECT_TRUE(writeSave(other, 3, {}));
    EXPECT_EQ(readFile("elsewhere"), "keep");
    EXPECT_FALSE(fs::is_symlink("save.dat"));
    EXPECT_EQ(load().profile.username, "Bob");
}

TEST_F(SaveFile, MigrationThatCannotBeWrittenFails) {
    writeFile("identity.dat", "Alice\na@x.fr\n\n\n");
    fs::create_directory("save.dat.tmp");
    EXPECT_FALSE(ensure().ok);
    EXPECT_FALSE(hasIdentity());
}
