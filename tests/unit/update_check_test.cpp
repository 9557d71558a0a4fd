// The start-up update check against canned HTTPS answers.
#include "app/app.h"
#include "fake_https.h"
#include "fake_platform.h"
#include "fake_process.h"
#include "update/update_check.h"

#include <gtest/gtest.h>

namespace {

const char* const ANNOUNCE = "Une version plus récente est disponible. Préparation du téléchargement.";

class UpdateCheck : public testing::Test {
protected:
    void SetUp() override { resetAll(); }
    void TearDown() override { resetAll(); }
    static void resetAll() {
        fake::reset();
        fake::https::reset();
        fake::process::reset();
    }
};

} // namespace

TEST(Versions, CompareNumericallyAndLeniently) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.10.1", "1.10.1", 0},  {"1.9.9", "1.10.1", -1},      {"1.10.2", "1.10.1", 1},
        {"1.11", "1.10.1", 1},    {"2", "1.10.1", 1},           {"1.10.1.1", "1.10.1", 1},
        {"1.10", "1.10.0", 0},    {" 1 . 10 . 2 ", "1.10.2", 0}, {"1.10.2-beta", "1.10.2", 0},
        {"1..3", "1.0.3", 0},     {"V2.0", "0.0", 0},           {"V2.0", "1.10.1", -1},
        {"+3", "3", 0},           {"-1", "0", -1},              {"1.10.1.", "1.10.1", 0},
        {"1.99999999999", "1.0", 0}, {"", "0", 0},              {"1.-", "1", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareVersions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(compareVersions(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
    EXPECT_EQ(parseVersionParts("1..3."), (std::vector<int32_t>{1, 0, 3}));
    EXPECT_EQ(parseVersionParts("2147483647.-2147483648.2147483648.-2147483649"),
              (std::vector<int32_t>{2147483647, -2147483647 - 1, 0, 0}));
    EXPECT_EQ(parseVersionParts("\t+3x\r\n. -1 "), (std::vector<int32_t>{3, -1}));
}

TEST_F(UpdateCheck, AnythingButANewerVersionLetsTheClientStartSilently) {
    checkUpdate(); // no network
    ASSERT_EQ(fake::https::requests(), 1);
    const platform::HttpsRequest& r = fake::https::lastRequest();
    EXPECT_EQ(r.url, "https://" ASHEN_UPDATE_HOST "/updates/update.json");
    EXPECT_EQ(r.userAgent, "AshenRefugeCheck");
    EXPECT_EQ(r.connectTimeoutMs, 3000u);
    EXPECT_EQ(r.totalTimeoutMs, 5000u);
    EXPECT_EQ(r.maxBodyBytes, 64u * 1024u);
    EXPECT_TRUE(r.caFile.empty()) << "the client trusts the system store only";

    for (const char* body : {R"({"version":"1.10.1"})", R"({"version":"1.9.9","notes":"x"})",
                             R"({"version":2})", R"({"latest":"9.0"})", R"(["version","9.0"])",
                             R"({"version":"9.0" /* c */})", "{\"version\":", "",
                             "<html><body>404 Not Found</body></html>"}) {
        fake::https::answer(body);
        checkUpdate();
        EXPECT_TRUE(fake::spoken().empty()) << body;
        EXPECT_TRUE(fake::process::started().empty()) << body;
        EXPECT_EQ(fake::now(), 0u) << body;
    }
}

TEST_F(UpdateCheck, NewerVersionIsAnnouncedThenTheUpdaterStartsAndTheClientEnds) {
    for (bool updaterStarts : {true, false}) {
        resetAll();
        fake::process::failStarts(!updaterStarts);
        fake::https::answer(R"({"version":"1.10.2","url":"https://example.org/x"})");
        bool startedEarly = true;
        fake::at(1999, [&] { startedEarly = !fake::process::started().empty(); });
        int code = -1;
        try {
            checkUpdate();
        } catch (const fake::process::Exited& e) {
            code = e.code;
        }
        EXPECT_EQ(code, 0) << "players must update, even when the updater cannot start";
        EXPECT_EQ(fake::spoken(), std::vector<std::string>{ANNOUNCE});
        EXPECT_FALSE(startedEarly) << "the sentence is heard before the updater starts";
        EXPECT_EQ(fake::now(), 2000u);
        EXPECT_EQ(fake::process::started(), std::vector<std::string>{"./Updater"});
    }
}

TEST_F(UpdateCheck, ClientEndsBeforeOpeningAWindowWhenAnUpdateIsDue) {
    fake::https::answer(R"({"version":"1.11"})");
    fake::closeWindowAt(60000);
    EXPECT_THROW(runClient(), fake::process::Exited);
    EXPECT_TRUE(fake::windowTitle().empty()) << "no window was ever created";
}
