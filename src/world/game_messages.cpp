#include "world/game_messages.h"

#include "core/speech.h"
#include "audio/playback.h"

void onSecondChanceReady(FieldCursor&) { playSound("cloche", -1, -1); }

void onGameOverSignal(FieldCursor&) {
    playSound("game_over", -1, -1);
    say("Partie terminee.");
    historyAdd(HistoryCategory::GAME, "Partie terminée.");
}

void onStats(FieldCursor& f) {
    const std::string text = readRest(f);
    say(text);
    historyAdd(HistoryCategory::GAME, text);
}

void onBonusMaxAmmo(FieldCursor&) {
    say("Munitions au maximum !");
    playSound("bonus_ammo", -1, -1);
}

void onBonusDoublePointsStart(FieldCursor&) {
    say("Points doubles !");
    playSound("bonus_double", -1, -1);
}

void onBonusDoublePointsEnd(FieldCursor&) { say("Fin des points doubles."); }

void onBonusInstantKillStart(FieldCursor&) {
    say("Mort instantanee !");
    playSound("instant_kill_snd", -1, -1);
}
