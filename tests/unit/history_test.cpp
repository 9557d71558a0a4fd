// The message history as the player hears it through the history keys.
#include "app/app.h"
#include "core/speech.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

namespace {

class History : public testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        resetClientForTests();
    }
};

} // namespace

TEST_F(History, FreshStartAnnouncesEmptyListsAndCategoriesWrap) {
    historyNavigate(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique vide.");
    historyCycleCategory(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique Radio vide.");
    historyCycleCategory(false);
    EXPECT_EQ(fake::lastSpoken(), "Historique Global vide.");
    historyCycleCategory(false);
    EXPECT_EQ(fake::lastSpoken(), "Historique Jeu vide.");
    historyCycleCategory(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique Global vide.");
    historyCycleCategory(true);
    historyCycleCategory(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique Équipe vide.");
    historyCycleCategory(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique Message privé vide.");
    historyAnnounceCurrent();
    EXPECT_EQ(fake::lastSpoken(), "Historique Message privé vide.");
}

TEST_F(History, EntriesReachGlobalAndNeverWrap) {
    historyAdd(HistoryCategory::RADIO, "Alice: bonjour");
    historyAdd(HistoryCategory::GAME, "Manche 2");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "Alice: bonjour");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "Alice: bonjour");
    historyNavigate(true);
    historyNavigate(true);
    EXPECT_EQ(fake::lastSpoken(), "Manche 2");
    historyAnnounceCurrent();
    EXPECT_EQ(fake::lastSpoken(), "Historique Global. Manche 2");
    historyCycleCategory(true);
    EXPECT_EQ(fake::lastSpoken(), "Historique Radio.") << "the entry itself is not read";
    historyAnnounceCurrent();
    EXPECT_EQ(fake::lastSpoken(), "Historique Radio. Alice: bonjour");

    // Adding to GLOBAL itself files it once.
    historyAdd(HistoryCategory::GLOBAL, "x");
    historyCycleCategory(false);
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "Manche 2");
}

TEST_F(History, CapKeepsTheNewest200AndInvalidInputIsIgnored) {
    for (int i = 1; i <= 201; ++i) historyAdd(HistoryCategory::TEAM, "m" + std::to_string(i));
    historyAdd(HistoryCategory::TEAM, "");
    historyAdd(static_cast<HistoryCategory>(5), "hors limites");
    historyAdd(static_cast<HistoryCategory>(-1), "hors limites");
    historyCycleCategory(true);
    historyCycleCategory(true); // Équipe
    historyAnnounceCurrent();
    EXPECT_EQ(fake::lastSpoken(), "Historique Équipe. m201");
    for (int i = 0; i < 250; ++i) historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "m2") << "the first entry is gone, 200 remain";
    historyCycleCategory(false);
    historyCycleCategory(false); // Global
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "m200");
}

TEST_F(History, NewEntryMovesOnlyTheCursorsOfItsCategories) {
    historyAdd(HistoryCategory::RADIO, "r1");
    historyAdd(HistoryCategory::RADIO, "r2");
    historyAdd(HistoryCategory::TEAM, "t1");
    historyAdd(HistoryCategory::TEAM, "t2");
    // Read back in Team, then in Global.
    historyCycleCategory(true);
    historyCycleCategory(true);
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "t1");
    historyCycleCategory(false);
    historyCycleCategory(false);
    historyNavigate(false);
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "r2");

    historyAdd(HistoryCategory::RADIO, "r3");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "t2") << "Global jumped to its newest entry";
    historyCycleCategory(true);
    historyCycleCategory(true);
    historyNavigate(true);
    EXPECT_EQ(fake::lastSpoken(), "t2") << "Team kept its own cursor";
    historyCycleCategory(false);
    historyNavigate(true);
    EXPECT_EQ(fake::lastSpoken(), "r3");
}

TEST(Say, EmptyTextIsSkippedAndStrayBytesDoNotSilenceAMessage) {
    fake::reset();
    say("Menu principal.");
    say("");
    say("Radio L\xE9" "a dit : salut"); // a Latin-1 letter from the server
    say("\xC3");                        // truncated
    say("\xC0\xAF");                    // overlong
    say("Équipe");
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(fake::spoken(), (std::vector<std::string>{"Menu principal.", "Radio L" + bad + "a dit : salut", bad,
                                                        bad + bad, "Équipe"}));
}
