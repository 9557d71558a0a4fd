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

void refreshMenuEntries();
void menuNavigate(int delta);
void menuConfirm();
// One polling step of the exit confirmation; paces itself.
void handleConfirmExitInputs();

void initMenuScene();
void cleanupMenuScene();

void stopAllMenuMusic(bool fade);
void playMenuMusicIndex(int index, bool restart, bool fade);
void beginMenuMusicSelection();
