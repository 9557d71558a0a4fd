#pragma once
// The main menu with its server list, the options screen with the menu music
// choice, and the yes/no exit confirmation of the lobby and the house.
#include <cstdint>
#include <string>
#include <vector>

extern std::vector<std::string> menuOptions;
extern std::vector<std::string> optionEntries;
extern std::vector<std::string> serverListOptions;
extern std::vector<std::string> confirmOptions;
extern std::vector<std::string> menuMusicOptions;
extern int32_t menuSelection;
extern int32_t subMenuSelection;
extern int32_t serverSelection;
extern int32_t menuMusicSelection;
extern int32_t confirmSelection; // 0 yes, 1 no
extern bool isSelectingServer;
extern bool isConfirmingExit;
extern bool isSelectingMenuMusic;
extern int32_t g_currentMenuMusicIdx;
// The test server's access password for the login being prepared; empty for the main server.
extern std::string g_accessPassForLogin;
// Answers collected during account creation; g_registerEmail holds the e-mail's hash once sent.
extern std::string g_registerUsername;
extern std::string g_registerEmail;
extern std::string g_registerPassHash;
extern std::string g_registerGender;

void refreshMenuEntries();
void menuNavigate(int delta);
void menuConfirm();
// One polling step of the exit confirmation; paces itself.
void handleConfirmExitInputs();

// Asks for what the saved profile lacks (e-mail, password), or sends the login.
void menuStartLoginFlow(const std::string& accessPass);
void menuStartRegisterFlow();

void initMenuScene();
void cleanupMenuScene();

void stopAllMenuMusic(bool fade);
void playMenuMusicIndex(int index, bool restart, bool fade);
void beginMenuMusicSelection();
