// The start-up update check against canned HTTPS answers.
#include "client_test_support.h"
#include "update/update_check.h"

// Every GET fails until a test gives an answer, as with no network.
using UpdateCheck = ClientTest;

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
}

TEST_F(UpdateCheck, AnythingButANewerVersionLetsTheClientStartSilently) {
    checkUpdate(); // no network
    ASSERT_EQ(fake::https::requests(), 1);
    const platform::HttpsRequest& r = fake::https::lastRequest();
    EXPECT_EQ(r.url, "https://" ASHEN_UPDATE_HOST "/updates/update.json");
    EXPECT_TRUE(r.totalTimeoutMs > 0 && r.totalTimeoutMs <= 5000) << "a silent host holds the start 5 s at most";
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
        freshClient();
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
        EXPECT_EQ(fake::spoken(), std::vector<std::string>{
                                      "Une version plus récente est disponible. Préparation du téléchargement."});
        EXPECT_FALSE(startedEarly) << "the sentence is heard before the updater starts";
        EXPECT_EQ(fake::now(), 2000u);
        EXPECT_EQ(fake::process::started(), std::vector<std::string>{"./Updater"});
    }
}

TEST_F(UpdateCheck, ClientEndsBeforeOpeningAWindowWhenAnUpdateIsDue) {
    fake::https::answer(R"({"version":"1.11"})");
    EXPECT_THROW(runClient(), fake::process::Exited);
    EXPECT_TRUE(fake::windowTitle().empty()) << "no window was ever created";
}
