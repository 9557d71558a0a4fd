#include "scenes/lobby_menu.h"

#include "base/text.h"
#include "base/utf8.h"
#include "core/save_file.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "input/text_input.h"
#include "net/outgoing.h"

int32_t currentLobbyState = LOBBY_CLOSED;
int32_t lobbySelection = 0;
const std::vector<std::string> mainLobbyOptions = {"Créer une équipe", "Rejoindre une équipe", "Voir le classement",
                                                   "Retour"};
const std::vector<std::string> rankingMenuOptions = {"Classement par points", "Classement par zombies tués",
                                                     "Classement par round", "Retour"};
std::string teamNameBuffer;
bool hasTeam = false;
bool isLeader = false;
std::string myTeamName;
std::vector<std::string> teamMembers;
std::vector<std::string> availableTeams;
std::vector<std::string> rankingEntries;
std::string currentRankingType;
std::string selectedTeamName;

namespace {

void playFlat(const char* name) { playSound(name, -1, -1); }

int32_t count(const std::vector<std::string>& list) { return static_cast<int32_t>(list.size()); }

// Positions of the open menu; 0 where the cursor has nothing to move over.
int32_t positionCount() {
    switch (currentLobbyState) {
    case LOBBY_MAIN_MENU: return count(mainLobbyOptions);
    case LOBBY_MY_TEAM: return count(teamMembers) + 3;
    case LOBBY_JOIN_LIST: return count(availableTeams) + 1;
    case LOBBY_RANKING_MENU: return count(rankingMenuOptions);
    case LOBBY_RANKING_VIEW: return count(rankingEntries) + 2;
    default: return 0;
    }
}

// A list may shrink under the cursor (a member leaves, the team is gone):
// the cursor then stands on the last position instead of past the end.
void clampSelection() {
    const int32_t n = positionCount();
    if (n == 0) return;
    if (lobbySelection < 0) lobbySelection = 0;
    if (lobbySelection >= n) lobbySelection = n - 1;
}

void moveTo(int32_t state, int32_t selection, const std::string& spoken) {
    currentLobbyState = state;
    lobbySelection = selection;
    say(spoken);
}

std::string memberText(int32_t index) {
    return (index == 0 ? "Chef : " : "Membre : ") + teamMembers[static_cast<size_t>(index)];
}

std::string positionText() {
    const int32_t i = lobbySelection;
    switch (currentLobbyState) {
    case LOBBY_MAIN_MENU: return mainLobbyOptions[static_cast<size_t>(i)];
    case LOBBY_RANKING_MENU: return rankingMenuOptions[static_cast<size_t>(i)];
    case LOBBY_JOIN_LIST: return i < count(availableTeams) ? availableTeams[static_cast<size_t>(i)] : "Retour";
    case LOBBY_MY_TEAM: {
        const int32_t m = count(teamMembers);
        if (i < m) return memberText(i);
        if (i == m) return isLeader ? "Lancer la partie" : "Attente du chef";
        if (i == m + 1) return isLeader ? "Dissoudre l'équipe" : "Quitter l'équipe";
        return "Retour";
    }
    case LOBBY_RANKING_VIEW:
        if (i == 0) return rankingTitleFromType(currentRankingType);
        if (i <= count(rankingEntries))
            return formatRankingEntry(rankingEntries[static_cast<size_t>(i - 1)], currentRankingType);
        return "Retour";
    default: return {};
    }
}

void confirmMainMenu() {
    switch (lobbySelection) {
    case 0:
        currentLobbyState = LOBBY_CREATE_TEAM;
        teamNameBuffer.clear();
        TextInput::begin(TextInputMode::TEAM_NAME, "Nom de l'équipe ?", "", 64);
        break;
    case 1:
        sendGetTeams();
        say("Récupération des équipes...");
        break;
    case 2: moveTo(LOBBY_RANKING_MENU, 0, "Classement par points"); break;
    default:
        currentLobbyState = LOBBY_CLOSED;
        say("Fermé");
        break;
    }
}

void confirmRankingMenu() {
    switch (lobbySelection) {
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
    default: moveTo(LOBBY_MAIN_MENU, 2, "Voir le classement"); break;
    }
}

void confirmRankingView() {
    if (lobbySelection == positionCount() - 1) {
        moveTo(LOBBY_RANKING_MENU, 0, "Classement par points");
        return;
    }
    say(positionText());
    if (lobbySelection == 0 && rankingEntries.empty()) say("Aucun classement pour le moment.");
}

void confirmJoinList() {
    if (lobbySelection == count(availableTeams)) {
        moveTo(LOBBY_MAIN_MENU, 1, "Rejoindre une équipe");
        return;
    }
    selectedTeamName = extractTeamName(availableTeams[static_cast<size_t>(lobbySelection)]);
    sendJoinTeam(selectedTeamName);
    say("Demande de rejoindre l'équipe...");
}

void confirmMyTeam() {
    const int32_t m = count(teamMembers);
    if (lobbySelection < m) {
        say(memberText(lobbySelection));
    } else if (lobbySelection == m) {
        if (isLeader) {
            sendStartGame();
            say("Lancement...");
        } else {
            say("Attente du chef.");
        }
    } else if (lobbySelection == m + 1) {
        if (isLeader) {
            sendDestroyTeam();
            say("Dissolution...");
        } else {
            sendLeaveTeam();
            say("Vous quittez l'équipe...");
        }
    } else {
        moveTo(LOBBY_MAIN_MENU, 0, "Créer une équipe");
    }
}

// Reached once the modal entry has closed with the name still being typed.
void confirmTypedName() {
    if (teamNameBuffer.empty()) {
        playFlat("ui_back");
        say("Nom invalide.");
        return;
    }
    playFlat("ui_valid");
    sendCreateTeam(teamNameBuffer);
    say("Création en cours...");
    currentLobbyState = LOBBY_MAIN_MENU;
    lobbySelection = 0;
}

void leaveTeam(const char* spoken) {
    hasTeam = false;
    isLeader = false;
    myTeamName.clear();
    teamMembers.clear();
    currentLobbyState = LOBBY_MAIN_MENU;
    clampSelection();
    say(spoken);
}

} // namespace

void openLobbyMenu() {
    playFlat("ui_valid");
    lobbySelection = 0;
    if (hasTeam) {
        currentLobbyState = LOBBY_MY_TEAM;
        lobbyNavigate(0);
        return;
    }
    currentLobbyState = LOBBY_MAIN_MENU;
    say("Menu de groupe : " + mainLobbyOptions[0]);
}

void lobbyNavigate(int delta) {
    const int32_t n = positionCount();
    if (n == 0) return;
    lobbySelection = ((lobbySelection + delta) % n + n) % n;
    playFlat("ui_nav");
    say(positionText());
}

void lobbyConfirm() {
    if (currentLobbyState == LOBBY_CLOSED) return;
    if (currentLobbyState == LOBBY_CREATE_TEAM) {
        confirmTypedName();
        return;
    }
    clampSelection();
    playFlat("ui_valid");
    switch (currentLobbyState) {
    case LOBBY_MAIN_MENU: confirmMainMenu(); break;
    case LOBBY_RANKING_MENU: confirmRankingMenu(); break;
    case LOBBY_RANKING_VIEW: confirmRankingView(); break;
    case LOBBY_JOIN_LIST: confirmJoinList(); break;
    case LOBBY_MY_TEAM: confirmMyTeam(); break;
    default: break;
    }
}

void lobbyBack() {
    switch (currentLobbyState) {
    case LOBBY_RANKING_VIEW: moveTo(LOBBY_RANKING_MENU, 0, "Classement par points"); break;
    case LOBBY_RANKING_MENU: moveTo(LOBBY_MAIN_MENU, 2, "Voir le classement"); break;
    case LOBBY_JOIN_LIST:
    case LOBBY_CREATE_TEAM: moveTo(LOBBY_MAIN_MENU, 0, "Créer une équipe"); break;
    default:
        currentLobbyState = LOBBY_CLOSED;
        say("Fermé");
        break;
    }
}

// Typed characters arrive as whole UTF-8 characters; Return and line feed
// are left to the confirm key.
void handleLobbyChar(const std::string& c) {
    if (currentLobbyState != LOBBY_CREATE_TEAM) return;
    if (c == "\b") {
        eraseTeamNameChar();
        return;
    }
    if (!isPrintableChar(c)) return;
    teamNameBuffer += c;
    playKeyRandom();
    say(c);
}

void eraseTeamNameChar() {
    if (currentLobbyState != LOBBY_CREATE_TEAM || teamNameBuffer.empty()) return;
    // A whole character goes: a cut one would reach the server as broken text.
    teamNameBuffer.erase(utf8LastCharStart(teamNameBuffer));
    playKeyDelete();
    say(teamNameBuffer.empty() ? std::string("Vide") : teamNameBuffer);
}

void submitTeamName(const std::string& name) {
    teamNameBuffer = name;
    if (teamNameBuffer.empty()) {
        say("Nom invalide.");
        return;
    }
    sendCreateTeam(teamNameBuffer);
    say("Création de l'équipe " + teamNameBuffer);
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
    currentRankingType = fields.substr(0, colon);
    FieldCursor list{fields, colon + 1};
    rankingEntries = readList(list);
    currentLobbyState = LOBBY_RANKING_VIEW;
    lobbySelection = 0;
    say(rankingTitleFromType(currentRankingType));
    if (rankingEntries.empty()) say("Aucun classement pour le moment.");
}

void onTeamList(FieldCursor& f) {
    availableTeams = readList(f);
    currentLobbyState = LOBBY_JOIN_LIST;
    lobbySelection = 0;
    say("Liste des équipes. " + (availableTeams.empty() ? std::string("Aucune équipe.") : availableTeams[0]));
}

void onTeamJoined(FieldCursor& f) {
    myTeamName = readRest(f);
    hasTeam = true;
    say("Equipe rejointe : " + myTeamName);
    currentLobbyState = LOBBY_MY_TEAM;
    lobbySelection = 0;
}

void onTeamFull(FieldCursor&) { say("Cette équipe est déjà complète."); }
void onTeamDestroyed(FieldCursor&) { leaveTeam("L'equipe a ete dissoute."); }
void onLeftTeam(FieldCursor&) { leaveTeam("Vous avez quitte l'equipe."); }

void onTeamMembers(FieldCursor& f) {
    teamMembers = readList(f);
    isLeader = !teamMembers.empty() && teamMembers[0] == myProfile.username;
    if (currentLobbyState == LOBBY_MY_TEAM) clampSelection();
}

void resetLobbyMenu() {
    currentLobbyState = LOBBY_CLOSED;
    lobbySelection = 0;
    teamNameBuffer.clear();
    hasTeam = false;
    isLeader = false;
    myTeamName.clear();
    teamMembers.clear();
    availableTeams.clear();
    rankingEntries.clear();
    currentRankingType.clear();
    selectedTeamName.clear();
}
