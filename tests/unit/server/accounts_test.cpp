// Creating accounts and logging in, as scripted peers do it.
#include "server_test_support.h"

#include <fstream>
#include <iterator>

TEST_F(ServerTest, RegistrationRefusesMalformedAndTakenFieldsWithAReason) {
    const std::string mail = emailOf("zoe"), pass = passOf("zoe");
    const uint32_t peer = connect();
    const std::pair<std::string, std::string> refused[] = {
        {"AUTH_REGISTER:" + mail + ":Zoé:" + pass, "Demande incomplète."},
        {"AUTH_REGISTER:zoe@exemple.fr:Zoé:" + pass + ":F", "Adresse e-mail invalide."},
        {"AUTH_REGISTER:" + hashOf("x").substr(0, 63) + "A:Zoé:" + pass + ":F", "Adresse e-mail invalide."},
        {"AUTH_REGISTER:" + mail + ":Zo:" + pass + ":F", "Le pseudo doit faire de 3 à 20 caractères, sans deux-points ni barre verticale."},
        {"AUTH_REGISTER:" + mail + ":Zo|é:" + pass + ":F", "Le pseudo doit faire de 3 à 20 caractères, sans deux-points ni barre verticale."},
        {"AUTH_REGISTER:" + mail + ":Zoé\t1:" + pass + ":F", "Le pseudo doit faire de 3 à 20 caractères, sans deux-points ni barre verticale."},
        {"AUTH_REGISTER:" + mail + ":" + std::string(21, 'z') + ":" + pass + ":F", "Le pseudo doit faire de 3 à 20 caractères, sans deux-points ni barre verticale."},
        {"AUTH_REGISTER:" + mail + ":Zoé:motdepasse:F", "Mot de passe invalide."},
        {"AUTH_REGISTER:" + mail + ":Zoé:" + pass + ":X", "Genre invalide."},
    };
    for (const auto& [message, reason] : refused) {
        send(peer, message);
        EXPECT_EQ(heard(peer), Texts{"REGISTER_FAIL:" + reason}) << message;
    }
    // Twenty characters counted as characters, not bytes.
    std::string lower = "Zo", upper = "ZO";
    for (int i = 0; i < 18; ++i) lower += "é", upper += "É";
    send(peer, "AUTH_REGISTER:" + mail + ":" + lower + ":" + pass + ":F");
    EXPECT_EQ(heard(peer), Texts{"REGISTER_OK"});
    send(peer, "AUTH_REGISTER:" + emailOf("autre") + ":" + upper + ":" + pass + ":M");
    EXPECT_EQ(heard(peer), Texts{"REGISTER_FAIL:Ce pseudo est déjà pris."});
    send(peer, "AUTH_REGISTER:" + mail + ":Autre:" + pass + ":M");
    EXPECT_EQ(heard(peer), Texts{"REGISTER_FAIL:Cette adresse e-mail a déjà un compte."});
    const uint32_t tester = connect("10.0.0.2", true);
    send(tester, "AUTH_REGISTER:" + emailOf("t") + ":Testeur:" + pass + ":M");
    EXPECT_EQ(heard(tester), Texts{"REGISTER_FAIL:Les comptes se créent sur le serveur principal."});
}

TEST_F(ServerTest, LoginTakesTheHashOrThePlainAddressAndAnnouncesThePlayer) {
    const uint32_t alice = player("Alice");
    const uint32_t peer = connect("10.0.0.2");
    send(peer, "AUTH_REGISTER:" + hashOf("bob@exemple.fr") + ":Bob:" + passOf("Bob") + ":M");
    send(peer, "MOVE:Z"); // nothing but the account messages before a login
    send(peer, "AUTH_LOGIN:bob@exemple.fr:" + passOf("Alice") + ":");
    EXPECT_EQ(heard(peer), (Texts{"REGISTER_OK", "AUTH_FAIL:E-mail ou mot de passe incorrect."}));
    send(peer, "AUTH_LOGIN: Bob@Exemple.FR :" + passOf("Bob") + ":");
    EXPECT_EQ(heard(peer), (Texts{"AUTH_OK", "GOTO_LOBBY"}));
    EXPECT_EQ(heard(alice), Texts{"LOBBY_JOIN:Bob"});
    send(peer, "AUTH_LOGIN:" + hashOf("bob@exemple.fr") + ":" + passOf("Bob") + ":");
    EXPECT_TRUE(heard(peer).empty()) << "a logged-in session does not log in again";

    // The same account from elsewhere closes the first session.
    const uint32_t again = connect("10.0.0.3");
    send(again, "AUTH_LOGIN:" + hashOf("bob@exemple.fr") + ":" + passOf("Bob") + ":");
    EXPECT_EQ(heard(peer), Texts{"SAY:Votre compte vient de se connecter depuis un autre poste."});
    EXPECT_EQ(closed, std::vector<uint32_t>{peer});
    EXPECT_EQ(heard(alice), (Texts{"LOBBY_LEFT:Bob", "LOBBY_JOIN:Bob"}));
    send(peer, "REQ_PLAYERS");
    EXPECT_TRUE(heard(peer).empty());
}

TEST_F(ServerTest, FailedLoginsAreLimitedPerAddressForAMinuteAndTheTestPortWantsItsPass) {
    player("Alice", "10.0.0.9");
    const uint32_t peer = connect("10.0.0.9");
    for (int i = 0; i < 5; ++i) send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("x") + ":");
    heard(peer);
    send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":");
    EXPECT_EQ(heard(peer), Texts{"AUTH_FAIL:Trop de tentatives. Attendez une minute avant de réessayer."});
    const uint32_t elsewhere = connect("10.0.0.8", true);
    send(elsewhere, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":clé de tes");
    EXPECT_EQ(heard(elsewhere), Texts{"AUTH_FAIL:Mot de passe du serveur de test incorrect."});
    send(elsewhere, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":clé de test");
    EXPECT_EQ(heard(elsewhere).front(), "AUTH_OK");
    tick(60000);
    send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":");
    EXPECT_EQ(heard(peer).front(), "AUTH_OK");
}

TEST_F(ServerTest, DatabaseHoldsNeitherThePasswordHashAsSentNorThePlainAddress) {
    player("Alice");
    const uint32_t peer = connect();
    send(peer, "AUTH_LOGIN:alice@exemple.fr:" + passOf("Alice") + ":");
    serverStop(); // everything written back into the main file
    std::ifstream in("data/accounts.sqlite", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_NE(bytes.find(emailOf("Alice")), std::string::npos);
    EXPECT_EQ(bytes.find(passOf("Alice")), std::string::npos);
    EXPECT_EQ(bytes.find("alice@exemple.fr"), std::string::npos);
    EXPECT_NE(bytes.find("$argon2id$"), std::string::npos);
}
