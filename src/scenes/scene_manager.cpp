#include "core/scene.h"

#include "scenes/lobby.h"
#include "scenes/menu.h"

Scene SceneManager::currentScene = Scene::MENU;
Scene SceneManager::previousScene = Scene::MENU;
Scene SceneManager::nextScene = Scene::MENU;

void SceneManager::switchScene(Scene target) {
    if (target == currentScene) return;
    nextScene = target;
    previousScene = currentScene;
    if (currentScene == Scene::MENU) cleanupMenuScene();
    else if (currentScene == Scene::LOBBY) cleanupLobbyScene();
    currentScene = target;
    if (target == Scene::MENU) initMenuScene();
    else if (target == Scene::LOBBY) initLobbyScene();
}

void resetSceneManager() {
    SceneManager::currentScene = Scene::MENU;
    SceneManager::previousScene = Scene::MENU;
    SceneManager::nextScene = Scene::MENU;
}
