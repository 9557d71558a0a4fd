#include "app/scene_manager.h"

Scene SceneManager::currentScene = Scene::MENU;
Scene SceneManager::previousScene = Scene::MENU;
Scene SceneManager::nextScene = Scene::MENU;

void SceneManager::switchScene(Scene target) {
    if (target == currentScene) return;
    nextScene = target;
    previousScene = currentScene;
    currentScene = target;
}
