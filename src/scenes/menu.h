#pragma once
// The main menu with its server list, and the options screen with the menu
// music choice.
#include "input/key_pass.h"

#include <cstdint>
#include <string>
#include <vector>

extern std::vector<std::string> menuOptions;
extern std::vector<std::string> optionEntries;
extern std::vector<std::string> serverListOptions;
extern std::vector<std::string> menuMusicOptions;
extern int32_t menuSelection;
extern int32_t subMenuSelection;
extern int32_t serverSelection;
extern int32_t menuMusicSelection;
extern bool isSelectingServer;
extern bool isSelectingMenuMusic;
extern int32_t g_currentMenuMusicIdx;

void refreshMenuEntries();
void menuNavigate(int delta);
void menuConfirm();

void initMenuScene();
void cleanupMenuScene();

void stopAllMenuMusic(bool fade);
void playMenuMusicIndex(int index, bool restart, bool fade);
void beginMenuMusicSelection();

// One keyboard poll of the main menu and of the options screen.
void handleMenuKeys(const KeyPass& pass);
void handleOptionsKeys(const KeyPass& pass);

// Whole run: nothing selected, no music chosen yet.
void resetMenuState();
