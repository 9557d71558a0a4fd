#include "scenes/lobby_menu.h"

#include "base/text.h"
#include "base/utf8.h"
#include "base/wrap.h"
#include "core/save_file.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "input/text_input.h"
#include "net/outgoing.h"

const std::vector<std::string> mainLobbyOptions = {"Créer une équipe", "Rejoindre une équipe", "Voir le classement",
                                                   "Retour"};
const std::vector<std::string> rankingMenuOptions = {"Classement par points", "Classement par zombies tués",
                                                     "Classement par round", "Retour"};
LobbyTeam lobbyTeam;
LobbyMenu lobbyMenu;

namespace {

void playFlat(const char* name) { playSound(name, -1, -1); }

int32_t count(const std::vector<std::string>& list) { return static_cast<int32_t>(list.size()); }

// Positions of the open menu; 0 where the cursor has nothing to move over.
int32_t positionCount() {
    switch (lobbyMenu.state) {
    case LobbyState::MAIN_MENU: return count(mainLobbyOptions);
    case LobbyState::MY_TEAM: return count(lobbyTeam.members) + 3;
    case LobbyState::JOIN_LIST: return count(lobbyMenu.availableTeams) + 1;
    case LobbyState::RANKING_MENU: return count(rankingMenuOptions);
    case LobbyState::RANKING_VIEW: return count(lobbyMenu.rankingEntries) + 2;
    default: return 0;
    }
}

// A list may shrink under the cursor (a member leaves, the team is gone):
// the cursor then stands on the last position instead of past the end.
void clampSelection() {
    const int32_t n = positionCount();
    if (n == 0) return;
    if (lobbyMenu.selection < 0) lobbyMenu.selection = 0;
    if (lobbyMenu.selection >= n) lobbyMenu.selection = n - 1;
}

void moveTo(LobbyState state, int32_t selection, const std::string& spoken) {
    lobbyMenu.state = state;
    lobbyMenu.selection = selection;
    say(spoken);
}

std::string memberText(int32_t index) {
    return (index == 0 ? "Chef : " : "Membre : ") + lobbyTeam.members[static_cast<size_t>(index)];
}

std::string positionText() {
    const int32_t i = lobbyMenu.selection;
    switch (lobbyMenu.state) {
    case LobbyState::MAIN_MENU: return mainLobbyOptions[static_cast<size_t>(i)];
    case LobbyState::RANKING_MENU: return rankingMenuOptions[static_cast<size_t>(i)];
    case LobbyState::JOIN_LIST:
        return i < count(lobbyMenu.availableTeams) ? lobbyMenu.availableTeams[static_cast<size_t>(i)] : "Retour";
    case LobbyState::MY_TEAM: {
        const int32_t m = count(lobbyTeam.members);
        if (i < m) return memberText(i);
        if (i == m) return lobbyTeam.isLeader ? "Lancer la partie" : "Attente du chef";
        if (i == m + 1) return lobbyTeam.isLeader ? "Dissoudre l'équipe" : "Quitter l'équipe";
        return "Retour";
    }
    case LobbyState::RANKING_VIEW:
        if (i == 0) return rankingTitleFromType(lobbyMenu.rankingType);
        if (i <= count(lobbyMenu.rankingEntries))
            return formatRankingEntry(lobbyMenu.rankingEntries[static_cast<size_t>(i - 1)], lobbyMenu.rankingType);
        return "Retour";
    default: return {};
    }
}

void confirmMainMenu() {
    switch (lobbyMenu.selection) {
    case 0:
        lobbyMenu.state = LobbyState::CREATE_TEAM;
        lobbyMenu.teamNameBuffer.clear();
        TextInput::begin(TextInputMode::TEAM_NAME, "Nom de l'équipe ?", "", 64);
        break;
    case 1:
        sendGetTeams();
        say("Récupération des équipes...");
        break;
    case 2: moveTo(LobbyState::RANKING_MENU, 0, "Classement par points"); break;
    default:
        lobbyMenu.state = LobbyState::CLOSED;
        say("Fermé");
        break;
    }
}

void confirmRankingMenu() {
    switch (lobbyMenu.selection) {
    case 0:
        say("Récupération du classement par points...");
        sendRequestRanking(RANKING_POINTS);
        break;
    case 1:
        say("Récupération du classement par zombies tués...");
        sendRequestRanking(RANKING_KILLS);
        break;
    case 2:
        say("Récupération du classement par round...");
        sendRequestRanking(RANKING_ROUND);
        break;
    default: moveTo(LobbyState::MAIN_MENU, 2, "Voir le classement"); break;
    }
}

void confirmRankingView() {
    if (lobbyMenu.selection == positionCount() - 1) {
        moveTo(LobbyState::RANKING_MENU, 0, "Classement par points");
        return;
    }
    say(positionText());
    if (lobbyMenu.selection == 0 && lobbyMenu.rankingEntries.empty()) say("Aucun classement pour le moment.");
}

void confirmJoinList() {
    if (lobbyMenu.selection == count(lobbyMenu.availableTeams)) {
        moveTo(LobbyState::MAIN_MENU, 1, "Rejoindre une équipe");
        return;
    }
    lobbyMenu.selectedTeamName = extractTeamName(lobbyMenu.availableTeams[static_cast<size_t>(lobbyMenu.selection)]);
    sendJoinTeam(lobbyMenu.selectedTeamName);
    say("Demande de rejoindre l'équipe...");
}

void confirmMyTeam() {
    const int32_t m = count(lobbyTeam.members);
    if (lobbyMenu.selection < m) {
        say(memberText(lobbyMenu.selection));
    } else if (lobbyMenu.selection == m) {
        if (lobbyTeam.isLeader) {
            sendStartGame();
            say("Lancement...");
        } else {
            say("Attente du chef.");
        }
    } else if (lobbyMenu.selection == m + 1) {
        if (lobbyTeam.isLeader) {
            sendDestroyTeam();
            say("Dissolution...");
        } else {
            sendLeaveTeam();
            say("Vous quittez l'équipe...");
        }
    } else {
        moveTo(LobbyState::MAIN_MENU, 0, "Créer une équipe");
    }
}

// Reached once the modal entry has closed with the name still being typed.
void confirmTypedName() {
    if (lobbyMenu.teamNameBuffer.empty()) {
        playFlat("ui_back");
        say("Nom invalide.");
        return;
    }
    playFlat("ui_valid");
    sendCreateTeam(lobbyMenu.teamNameBuffer);
    say("Création en cours...");
    lobbyMenu.state = LobbyState::MAIN_MENU;
    lobbyMenu.selection = 0;
}

void leaveTeam(const char* spoken) {
    resetLobbyTeam();
    lobbyMenu.state = LobbyState::MAIN_MENU;
    clampSelection();
    say(spoken);
}

} // namespace

void openLobbyMenu() {
    playFlat("ui_valid");
    lobbyMenu.selection = 0;
    if (lobbyTeam.hasTeam) {
        lobbyMenu.state = LobbyState::MY_TEAM;
        lobbyNavigate(0);
        return;
    }
    lobbyMenu.state = LobbyState::MAIN_MENU;
    say("Menu de groupe : " + mainLobbyOptions[0]);
}

void lobbyNavigate(int delta) {
    const int32_t n = positionCount();
    if (n == 0) return;
    lobbyMenu.selection = wrapIndex(lobbyMenu.selection, delta, n);
    playFlat("ui_nav");
    say(positionText());
}

void lobbyConfirm() {
    if (lobbyMenu.state == LobbyState::CLOSED) return;
    if (lobbyMenu.state == LobbyState::CREATE_TEAM) {
        confirmTypedName();
        return;
    }
    clampSelection();
    playFlat("ui_valid");
    switch (lobbyMenu.state) {
    case LobbyState::MAIN_MENU: confirmMainMenu(); break;
    case LobbyState::RANKING_MENU: confirmRankingMenu(); break;
    case LobbyState::RANKING_VIEW: confirmRankingView(); break;
    case LobbyState::JOIN_LIST: confirmJoinList(); break;
    case LobbyState::MY_TEAM: confirmMyTeam(); break;
    default: break;
    }
}

void lobbyBack() {
    switch (lobbyMenu.state) {
    case LobbyState::RANKING_VIEW: moveTo(LobbyState::RANKING_MENU, 0, "Classement par points"); break;
    case LobbyState::RANKING_MENU: moveTo(LobbyState::MAIN_MENU, 2, "Voir le classement"); break;
    case LobbyState::JOIN_LIST:
    case LobbyState::CREATE_TEAM: moveTo(LobbyState::MAIN_MENU, 0, "Créer une équipe"); break;
    default:
        lobbyMenu.state = LobbyState::CLOSED;
        say("Fermé");
        break;
    }
}

// Typed characters arrive as whole UTF-8 characters; Return and line feed
// are left to the confirm key.
void handleLobbyChar(const std::string& c) {
    if (lobbyMenu.state != LobbyState::CREATE_TEAM) return;
    if (c == "\b") {
        eraseTeamNameChar();
        return;
    }
    if (!isPrintableChar(c)) return;
    lobbyMenu.teamNameBuffer += c;
    playKeyRandom();
    say(c);
}

void eraseTeamNameChar() {
    if (lobbyMenu.state != LobbyState::CREATE_TEAM || lobbyMenu.teamNameBuffer.empty()) return;
    // A whole character goes: a cut one would reach the server as broken text.
    lobbyMenu.teamNameBuffer.erase(utf8LastCharStart(lobbyMenu.teamNameBuffer));
    playKeyDelete();
    say(lobbyMenu.teamNameBuffer.empty() ? std::string("Vide") : lobbyMenu.teamNameBuffer);
}

void submitTeamName(const std::string& name) {
    lobbyMenu.teamNameBuffer = name;
    if (lobbyMenu.teamNameBuffer.empty()) {
        say("Nom invalide.");
        return;
    }
    sendCreateTeam(lobbyMenu.teamNameBuffer);
    say("Création de l'équipe " + lobbyMenu.teamNameBuffer);
}

std::string rankingTitleFromType(const std::string& type) {
    if (type == RANKING_POINTS) return "Classement par points";
    if (type == RANKING_KILLS) return "Classement par zombies tués";
    if (type == RANKING_ROUND) return "Classement par round";
    return "Classement";
}

std::string formatRankingEntry(const std::string& entry, const std::string& type) {
    // Rank, name and value; a missing field reads empty, a further ';' stays in the value.
    const size_t first = entry.find(';');
    const size_t second = first == std::string::npos ? first : entry.find(';', first + 1);
    const std::string a = entry.substr(0, first);
    const std::string b = first == std::string::npos ? "" : entry.substr(first + 1, second - first - 1);
    const std::string c = second == std::string::npos ? "" : entry.substr(second + 1);
    const std::string head = a + " : " + b + ", ";
    if (type == RANKING_POINTS) return head + c + " points";
    if (type == RANKING_KILLS) return head + c + " zombies tués";
    if (type == RANKING_ROUND) return head + "round " + c;
    return head + c;
}

std::string extractTeamName(const std::string& entry) {
    return trimChars(entry.substr(0, entry.find(" (")), " \t");
}

void onRanking(FieldCursor& f) {
    const std::string fields = readRest(f);
    const size_t colon = fields.find(':');
    if (colon == std::string::npos) return;
    lobbyMenu.rankingType = fields.substr(0, colon);
    FieldCursor list{fields, colon + 1};
    lobbyMenu.rankingEntries = readList(list);
    lobbyMenu.state = LobbyState::RANKING_VIEW;
    lobbyMenu.selection = 0;
    say(rankingTitleFromType(lobbyMenu.rankingType));
    if (lobbyMenu.rankingEntries.empty()) say("Aucun classement pour le moment.");
}

void onTeamList(FieldCursor& f) {
    lobbyMenu.availableTeams = readList(f);
    lobbyMenu.state = LobbyState::JOIN_LIST;
    lobbyMenu.selection = 0;
    const std::vector<std::string>& teams = lobbyMenu.availableTeams;
    say("Liste des équipes. " + (teams.empty() ? std::string("Aucune équipe.") : teams[0]));
}

void onTeamJoined(FieldCursor& f) {
    lobbyTeam.name = readRest(f);
    lobbyTeam.hasTeam = true;
    say("Equipe rejointe : " + lobbyTeam.name);
    lobbyMenu.state = LobbyState::MY_TEAM;
    lobbyMenu.selection = 0;
}

void onTeamFull(FieldCursor&) { say("Cette équipe est déjà complète."); }
void onTeamDestroyed(FieldCursor&) { leaveTeam("L'equipe a ete dissoute."); }
void onLeftTeam(FieldCursor&) { leaveTeam("Vous avez quitte l'equipe."); }

void onTeamMembers(FieldCursor& f) {
    lobbyTeam.members = readList(f);
    lobbyTeam.isLeader = !lobbyTeam.members.empty() && lobbyTeam.members[0] == myProfile.username;
    if (lobbyMenu.state == LobbyState::MY_TEAM) clampSelection();
}

void resetLobbyTeam() { lobbyTeam = LobbyTeam{}; }
void resetLobbyMenu() { lobbyMenu = LobbyMenu{}; }
