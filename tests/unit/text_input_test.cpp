// The spoken text entry: editing as the player hears it, whole UTF-8
// characters, and what the chat entries send.
#include "audio/playback.h"
#include "base/utf8.h"
#include "client_test_support.h"
#include "enet_test_server.h"
#include "input/text_input.h"
#include "net/connection.h"

#include <gtest/gtest.h>

namespace {

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
    // Opens a chat entry, types and sends; returns what the server received.
    std::vector<std::string> sendChat(TextInputMode mode, const std::string& text) {
        TextInput::begin(mode, "prompt", "", 200);
        type(text);
        const size_t before = server.packets().size();
        TextInput::handleKey(VK_RETURN);
        server.waitUntil([&] { return server.packets().size() > before; }, 300);
        auto all = server.packets();
        return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
    }
    void connect() {
        ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
        ASSERT_TRUE(server.waitUntil([&] { return server.connects() == 1; }, 2000));
    }

    EnetTestServer server;
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
    EXPECT_EQ(fake::spoken(), (std::vector<std::string>{"Email du compte. Tapez puis Entrée.", "a", "b", "c", "b",
                                                        "Début.", "Début.", "a", "a", "Fin.", "Fin.",
                                                        "Rien à supprimer.", "ac", "a", "Vide", "Vide", "Annulé."}));
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

    // The radio sends the text as the player typed it, in UTF-8.
    connect();
    EXPECT_EQ(sendChat(TextInputMode::CHAT_RADIO, "Ça va, Zoé ?"),
              std::vector<std::string>{framed("CHAT_RADIO:Ça va, Zoé ?")});
}

TEST_F(Entry, PrivateMessagesAndTheirUsage) {
    connect();
    using V = std::vector<std::string>;
    EXPECT_EQ(sendChat(TextInputMode::CHAT_RADIO, "/MP joueur1 salut"), V{framed("CHAT_MP:joueur1:salut")});
    EXPECT_EQ(sendChat(TextInputMode::CHAT_RADIO, "  @joueur1 \t salut à toi "),
              V{framed("CHAT_MP:joueur1:salut à toi")});
    EXPECT_EQ(sendChat(TextInputMode::CHAT_RADIO, "@ joueur1 salut"), V{framed("CHAT_MP::joueur1 salut")});
    EXPECT_EQ(sendChat(TextInputMode::CHAT_RADIO, "/mpjoueur1 salut"), V{framed("CHAT_RADIO:/mpjoueur1 salut")});
    EXPECT_EQ(sendChat(TextInputMode::CHAT_TEAM, "@joueur1 salut"), V{framed("CHAT_TEAM:@joueur1 salut")});
    EXPECT_EQ(sendChat(TextInputMode::CHAT_TEAM, "   "), V{framed("CHAT_TEAM:")});

    EXPECT_TRUE(sendChat(TextInputMode::CHAT_RADIO, "/mp joueur1").empty());
    EXPECT_EQ(fake::lastSpoken(), "Usage : /mp pseudo message");
    EXPECT_TRUE(sendChat(TextInputMode::CHAT_RADIO, "@joueur1   ").empty());
    EXPECT_EQ(fake::lastSpoken(), "Usage : @pseudo message");
    EXPECT_TRUE(sendChat(TextInputMode::CHAT_RADIO, "").empty());
    EXPECT_FALSE(TextInput::isActive());
}

TEST_F(Entry, GenderChoiceTogglesWithEveryArrow) {
    TextInput::begin(TextInputMode::REGISTER_GENDER, "Choisissez le sexe de votre personnage.", "x", 64);
    EXPECT_EQ(fake::lastSpoken(), "Masculin");
    EXPECT_EQ(TextInput::value(), "");
    for (int vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
        TextInput::handleKey(vk);
        EXPECT_EQ(fake::lastSpoken(), "Féminin");
        TextInput::handleKey(vk);
        EXPECT_EQ(fake::lastSpoken(), "Masculin");
    }
    TextInput::handleKey(VK_HOME);
    EXPECT_EQ(fake::lastSpoken(), "Masculin") << "other keys do nothing here";
}
