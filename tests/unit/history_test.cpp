// The message history as the player hears it through the history keys.
#include "client_test_support.h"
#include "core/speech.h"

namespace {

using Texts = std::vector<std::string>;
using History = FreshClient;

} // namespace

// Categories wrap, entries do not; an entry is filed under Global too.
TEST_F(History, CategoriesWrapEntriesReachGlobalAndNeverWrap) {
    historyNavigate(true);
    historyCycleCategory(true);
    historyCycleCategory(false);
    historyCycleCategory(false);
    for (int i = 0; i < 4; ++i) historyCycleCategory(true);
    historyAnnounceCurrent();
    historyCycleCategory(true);
    historyCycleCategory(true); // back to Global
    EXPECT_EQ(fake::spoken(), (Texts{"Historique vide.", "Historique Radio vide.", "Historique Global vide.",
                                     "Historique Jeu vide.", "Historique Global vide.", "Historique Radio vide.",
                                     "Historique Équipe vide.", "Historique Message privé vide.",
                                     "Historique Message privé vide.", "Historique Jeu vide.", "Historique Global vide."}));
    fake::clearSpoken();

    historyAdd(HistoryCategory::RADIO, "Alice: bonjour");
    historyAdd(HistoryCategory::GAME, "Manche 2");
    historyNavigate(false);
    historyNavigate(false);
    historyNavigate(true);
    historyNavigate(true);
    historyAnnounceCurrent();
    historyCycleCategory(true); // the entry itself is not read
    historyAnnounceCurrent();
    // Adding to GLOBAL itself files it once.
    historyAdd(HistoryCategory::GLOBAL, "x");
    historyCycleCategory(false);
    historyNavigate(false);
    EXPECT_EQ(fake::spoken(), (Texts{"Alice: bonjour", "Alice: bonjour", "Manche 2", "Manche 2",
                                     "Historique Global. Manche 2", "Historique Radio.",
                                     "Historique Radio. Alice: bonjour", "Historique Global.", "Manche 2"}));
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
    for (const char* r : {"r1", "r2"}) historyAdd(HistoryCategory::RADIO, r);
    for (const char* t : {"t1", "t2"}) historyAdd(HistoryCategory::TEAM, t);
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
    EXPECT_EQ(fake::spoken(), (Texts{"Menu principal.", "Radio L" + bad + "a dit : salut", bad,
                                                        bad + bad, "Équipe"}));
}
