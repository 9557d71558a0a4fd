// The spoken text entry: editing as the player hears it, whole UTF-8
// characters, and what the chat entries send.
#include "base/utf8.h"
#include "client_test_support.h"
#include "enet_test_server.h"
#include "input/text_input.h"
#include "net/connection.h"

namespace {

using Texts = std::vector<std::string>;

class Entry : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        initAudio();
    }
    void TearDown() override {
        TextInput::cancel(false);
        disconnectFromServer();
        ClientTest::TearDown();
    }
    static void type(const std::string& text) {
        for (size_t i = 0, len; i < text.size(); i += len) {
            len = utf8SequenceLength(static_cast<unsigned char>(text[i]));
            TextInput::handleChar(text.substr(i, len));
        }
    }
    static void chat(TextInputMode mode, const std::string& text) {
        TextInput::begin(mode, "prompt", "", 200);
        type(text);
        TextInput::handleKey(VK_RETURN);
    }
};

} // namespace

TEST_F(Entry, EditingKeysSpeakWhatThePlayerNeeds) {
    TextInput::begin(TextInputMode::LOGIN_EMAIL, "Email du compte. Tapez puis Entrée.", "", 128);
    type("abc");
    for (int vk : {VK_LEFT, VK_HOME, VK_LEFT, VK_RIGHT, VK_DELETE, VK_END, VK_RIGHT, VK_DELETE, VK_UP, VK_BACK,
                   VK_BACK, VK_BACK})
        TextInput::handleKey(vk);
    TextInput::handleChar("\t");
    TextInput::handleChar("\x7f");
    EXPECT_EQ(TextInput::value(), "") << "control characters are not typed";
    TextInput::handleKey(VK_ESCAPE);
    EXPECT_FALSE(TextInput::isActive());
    EXPECT_EQ(fake::spoken(), (Texts{"Email du compte. Tapez puis Entrée.", "a", "b", "c", "b", "Début.", "Début.", "a",
                                     "a", "Fin.", "Fin.", "Rien à supprimer.", "ac", "a", "Vide", "Vide", "Annulé."}));

    // The gender choice toggles with every arrow; other keys do nothing there.
    TextInput::begin(TextInputMode::REGISTER_GENDER, "Choisissez le sexe de votre personnage.", "x", 64);
    EXPECT_EQ(TextInput::value(), "");
    fake::clearSpoken();
    for (int vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME}) TextInput::handleKey(vk);
    EXPECT_EQ(fake::spoken(), (Texts{"Féminin", "Masculin", "Féminin", "Masculin"}));
}

TEST_F(Entry, AccentedLettersAreOneCharacterEverywhere) {
    TextInput::begin(TextInputMode::REGISTER_USERNAME, "Choisis un pseudo. Tapez puis Entrée.", "", 4);
    type("éà");
    EXPECT_EQ(fake::lastSpoken(), "à");
    EXPECT_EQ(TextInput::cursor(), 2u);
    TextInput::handleKey(VK_LEFT);
    EXPECT_EQ(fake::lastSpoken(), "é");
    type("ç");
    EXPECT_EQ(TextInput::value(), "éçà");
    TextInput::handleKey(VK_BACK);
    EXPECT_EQ(TextInput::value(), "éà");
    EXPECT_EQ(fake::lastSpoken(), "é");
    type("€x");
    EXPECT_EQ(TextInput::value(), "é€xà");
    type("y");
    EXPECT_EQ(fake::lastSpoken(), "Limite atteinte.") << "four characters, nine bytes";
    EXPECT_EQ(TextInput::value(), "é€xà");
    TextInput::handleKey(VK_END);
    TextInput::handleKey(VK_BACK);
    type("z");
    EXPECT_EQ(TextInput::value(), "é€xz");
}

// The radio sends the text as typed, in UTF-8, or a private message written
// "/mp pseudo text" or "@pseudo text"; the team sends it as typed.
TEST_F(Entry, ChatEntriesSendPrivateMessagesOrSayHowToWriteThem) {
    EnetTestServer server;
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    for (const char* typed : {"Ça va, Zoé ?", "/MP joueur1 salut", "  @joueur1 \t salut à toi ", "@ joueur1 salut",
                              "/mpjoueur1 salut", "/mp joueur1", "@joueur1   ", ""})
        chat(TextInputMode::CHAT_RADIO, typed);
    for (const char* typed : {"@joueur1 salut", "   "}) chat(TextInputMode::CHAT_TEAM, typed);
    EXPECT_FALSE(TextInput::isActive());
    EXPECT_EQ(server.messages(7), (Texts{"CHAT_RADIO:Ça va, Zoé ?", "CHAT_MP:joueur1:salut", "CHAT_MP:joueur1:salut à toi",
                                         "CHAT_MP::joueur1 salut", "CHAT_RADIO:/mpjoueur1 salut",
                                         "CHAT_TEAM:@joueur1 salut", "CHAT_TEAM:"}));
    EXPECT_EQ(count("Usage : /mp pseudo message"), 1u);
    EXPECT_EQ(count("Usage : @pseudo message"), 1u);
}
