// Creating accounts and logging in, as scripted peers do it.
#include "server_test_support.h"

#include "server/storage.h"

#include <filesystem>
#include <fstream>
#include <iterator>

TEST_F(ServerTest, RegistrationRefusesMalformedAndTakenFieldsWithAReason) {
    const std::string mail = emailOf("zoe"), pass = passOf("zoe");
    const std::string pseudoRule =
        "Le pseudo doit faire de 3 à 20 caractères, sans deux-points, point-virgule ni barre verticale.";
    const uint32_t peer = connect();
    const std::pair<std::string, std::string> refused[] = {
        {"AUTH_REGISTER:" + mail + ":Zoé:" + pass, "Demande incomplète."},
        {"AUTH_REGISTER:zoe@exemple.fr:Zoé:" + pass + ":F", "Adresse e-mail invalide."},
        {"AUTH_REGISTER:" + hashOf("x").substr(0, 63) + "A:Zoé:" + pass + ":F", "Adresse e-mail invalide."},
        {"AUTH_REGISTER:" + mail + ":Zo:" + pass + ":F", pseudoRule},
        {"AUTH_REGISTER:" + mail + ":Zo|é:" + pass + ":F", pseudoRule},
        {"AUTH_REGISTER:" + mail + ":Zo;é:" + pass + ":F", pseudoRule}, // splits a ranking entry
        {"AUTH_REGISTER:" + mail + ":Zoé\t1:" + pass + ":F", pseudoRule},
        {"AUTH_REGISTER:" + mail + ":" + std::string(21, 'z') + ":" + pass + ":F", pseudoRule},
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
    EXPECT_EQ(heard(peer), (Texts{"AUTH_OK", "USERNAME_OK:Bob", "GOTO_LOBBY", "REMOTE_MOVE:Alice:0,0"}))
        << "the pseudo before anyone is met, then where the nearest stand";
    EXPECT_EQ(heard(alice), (Texts{"LOBBY_JOIN:Bob", "REMOTE_MOVE:Bob:0,0"}));
    send(peer, "AUTH_LOGIN:" + hashOf("bob@exemple.fr") + ":" + passOf("Bob") + ":");
    EXPECT_TRUE(heard(peer).empty()) << "a logged-in session does not log in again";

    // The same account from elsewhere ends the first session, once it heard why.
    const uint32_t again = connect("10.0.0.3");
    send(again, "AUTH_LOGIN:" + hashOf("bob@exemple.fr") + ":" + passOf("Bob") + ":");
    EXPECT_EQ(heard(peer), Texts{"SAY:Votre compte vient de se connecter depuis un autre poste."});
    EXPECT_EQ(heard(alice), (Texts{"LOBBY_LEFT:Bob", "LOBBY_JOIN:Bob", "REMOTE_MOVE:Bob:0,0"}));
    send(peer, "REQ_PLAYERS");
    tick(1990);
    EXPECT_TRUE(heard(peer).empty() && closed.empty());
    tick(10);
    EXPECT_EQ(closed, std::vector<uint32_t>{peer});
}

TEST_F(ServerTest, FailedLoginsCountWrongPasswordsPerAccountAndMorePerAddress) {
    player("Alice", "10.0.0.9");
    player("Bob", "10.0.0.9");
    const uint32_t peer = connect("10.0.0.9");
    const std::string tooMany = "AUTH_FAIL:Trop de tentatives. Attendez une minute avant de réessayer.";
    for (int i = 0; i < 30; ++i) send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":court:");
    EXPECT_EQ(heard(peer).back(), "AUTH_FAIL:Identifiants incomplets.") << "malformed requests count for nothing";
    for (int i = 0; i < 5; ++i) send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("x") + ":");
    send(peer, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":");
    EXPECT_EQ(heard(peer).back(), tooMany);
    send(peer, "AUTH_LOGIN:" + emailOf("Bob") + ":" + passOf("Bob") + ":");
    EXPECT_EQ(heard(peer).front(), "AUTH_OK") << "another account at the same address";

    // Unknown e-mails and a wrong test-server pass count for the address alone: at twenty it waits a minute.
    const uint32_t guesser = connect("10.0.0.9");
    for (int i = 0; i < 14; ++i) send(guesser, "AUTH_LOGIN:personne" + std::to_string(i) + "@exemple.fr:" + passOf("x") + ":");
    const uint32_t tester = connect("10.0.0.9", true);
    send(tester, "AUTH_LOGIN:" + emailOf("Bob") + ":" + passOf("Bob") + ":clé de tes");
    EXPECT_EQ(heard(tester), Texts{"AUTH_FAIL:Mot de passe du serveur de test incorrect."});
    send(guesser, "AUTH_LOGIN:" + emailOf("Chloé") + ":" + passOf("Chloé") + ":");
    EXPECT_EQ(heard(guesser).back(), tooMany);
    const uint32_t elsewhere = connect("10.0.0.8", true);
    send(elsewhere, "AUTH_LOGIN:" + emailOf("Bob") + ":" + passOf("Bob") + ":clé de test");
    EXPECT_EQ(heard(elsewhere).front(), "AUTH_OK");
    tick(60000);
    send(tester, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":clé de test");
    EXPECT_EQ(heard(tester).front(), "AUTH_OK") << "a minute later";
}

TEST_F(ServerTest, HashingWaitsInABoundedQueueAndRegistrationsAreLimitedPerAddress) {
    ServerSettings limited = settings();
    limited.registerLimit = 2;
    restart(limited);
    // Sent together, answered in order: the login waits for the registration's hash.
    const uint32_t peer = connect("10.0.0.4");
    arrive(peer, "AUTH_REGISTER:" + emailOf("Zoé") + ":Zoé:" + passOf("Zoé") + ":F", now);
    arrive(peer, "AUTH_LOGIN:" + emailOf("Zoé") + ":" + passOf("Zoé") + ":", now);
    EXPECT_TRUE(heard(peer).empty());
    settle();
    EXPECT_EQ(heard(peer), (Texts{"REGISTER_OK", "AUTH_OK", "USERNAME_OK:Zoé", "GOTO_LOBBY"}));

    const uint32_t other = connect("10.0.0.4");
    send(other, "AUTH_REGISTER:" + emailOf("Yann") + ":Yann:" + passOf("Yann") + ":M");
    send(other, "AUTH_REGISTER:" + emailOf("Zoé") + ":Xavier:" + passOf("X") + ":M");
    send(other, "AUTH_REGISTER:" + emailOf("Xavier") + ":Xavier:" + passOf("X") + ":M");
    EXPECT_EQ(heard(other), (Texts{"REGISTER_OK", "REGISTER_FAIL:Cette adresse e-mail a déjà un compte.",
                                   "REGISTER_FAIL:Trop de comptes créés depuis votre adresse, réessayez dans une heure."}));
    tick(3600000);
    const uint32_t later = connect("10.0.0.4");
    send(later, "AUTH_REGISTER:" + emailOf("Xavier") + ":Xavier:" + passOf("X") + ":M");
    EXPECT_EQ(heard(later), Texts{"REGISTER_OK"});

    // Logins from everywhere at once: their accounts are looked up, 32 hashes
    // wait, and the others hear why they are refused.
    std::vector<uint32_t> peers;
    for (int i = 0; i < 40; ++i) {
        peers.push_back(connect("10.1.0." + std::to_string(i)));
        arrive(peers.back(), "AUTH_LOGIN:" + emailOf("Zoé") + ":" + passOf("Zoé") + ":", now);
    }
    settle();
    size_t busy = 0;
    for (uint32_t p : peers) busy += heard(p) == Texts{"AUTH_FAIL:Serveur occupé, réessayez dans un instant."};
    EXPECT_EQ(busy, 8u);
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

TEST_F(ServerTest, TheLogStaysSmallAndAFullDiskLosesNoStatistics) {
    // One write per account: the write-ahead log is folded back and cut short as it goes.
    for (int i = 0; i < 150; ++i) {
        const std::string pseudo = "Joueur" + std::to_string(i);
        std::string error;
        ASSERT_EQ(storageCreateAccount(emailOf(pseudo), pseudo, "$argon2id$stand-in", "M", error), RegisterResult::OK);
    }
    EXPECT_LT(std::filesystem::file_size("data/accounts.sqlite-wal"), 320u * 1024);

    const uint32_t alice = player("Alice"), peer = connect("10.0.0.2");
    send(alice, "CREATE_TEAM:Solo");
    send(alice, "START_GAME");
    storageFailWrites(true);
    const std::string zoe = "AUTH_REGISTER:" + emailOf("Zoé") + ":Zoé:" + passOf("Zoé") + ":F";
    send(peer, zoe);
    fake_game::results = {{"Alice", 1500, 30, 7}};
    fake_game::finished = true;
    tick(10);
    settle(); // its write is refused too
    storageFailWrites(false);
    send(peer, zoe); // the kept game goes first
    EXPECT_EQ(heard(peer), Texts(2, "REGISTER_FAIL:Erreur du serveur, réessayez plus tard."));
    tick(60000);
    send(peer, zoe);
    send(alice, "REQ_RANKING:POINTS");
    EXPECT_EQ(heard(peer), Texts{"REGISTER_OK"});
    EXPECT_EQ(heard(alice).back(), "RANKING:POINTS:1;Alice;1500");
    std::string log;
    for (const std::string& line : logged) log += line + "\n";
    for (const char* line : {"compte non créé : écriture impossible", "statistiques de Alice gardées en mémoire",
                             "statistiques de 1 parties écrites"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}
