#pragma once
#include <cstdint>

enum class Scene : int32_t { INTRO = 0, MENU = 1, LOBBY = 2, MAISON = 3, OPTIONS = 4 };

class SceneManager {
public:
    static Scene currentScene;
    static Scene previousScene;
    // Set before the left scene's cleanup runs, so the cleanup knows where the switch goes.
    static Scene nextScene;

    // Runs the left scene's cleanup and the entered scene's init; switching to
    // the current scene does nothing at all.
    static void switchScene(Scene target);
};

// Ends the main loop once the pending window events are handled, like
// closing the window. Defined by the app's main loop.
void postQuit();

// Whole run: the menu is current, previous and next.
void resetSceneManager();
