#include "world/players.h"

#include "core/local_player.h"
#include "core/save_file.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/weapon_sounds.h"
#include "world/game_sounds.h"

namespace {

bool isLocalPseudo(const std::string& pseudo) { return pseudo == myProfile.username; }

bool localIsFemale() { return myProfile.gender == "F" || myProfile.gender == "f"; }

void playLocalDeath() {
    playSound("player_death", -1, -1);
    playSound(localIsFemale() ? "player_death_female" : "player_death_male", -1, -1);
}

} // namespace

// A malformed position moves nothing: half of it would misplace the listener.
void onPos(FieldCursor& f) {
    const TileField t = readTile(f);
    if (!t.valid) return;
    localPlayer = {t.x, t.y};
    updateListenerPosition(t.x, t.y);
    playStepAt(t.x, t.y);
}

void onRemoteMove(FieldCursor& f) {
    const std::string pseudo = readField(f);
    const TileField t = readTile(f);
    // The client's own moves come back too; the POS: message already stepped.
    if (!isLocalPseudo(pseudo) && t.valid) playStepAt(t.x, t.y);
}

void onPlayerDown(FieldCursor& f) {
    const std::string pseudo = readField(f);
    playSound("player_death", -1, -1);
    if (!isLocalPseudo(pseudo)) return;
    setLocalDead(true);
    playSound(localIsFemale() ? "player_death_female" : "player_death_male", -1, -1);
    say("Vous etes mort !");
}

void onYouDied(FieldCursor&) {
    playLocalDeath();
    setLocalDead(true);
}

void onRevived(FieldCursor&) {
    setLocalDead(false);
    playSound("ui_valid", -1, -1);
    say("Réanimé.");
}

void onPotionBought(FieldCursor&) {
    say("Vous buvez la potion...");
    playSound("potion_vie", -1, -1);
}

void onShootOk(FieldCursor& f) { playWeaponShoot(readRest(f)); }

void onRemoteShoot(FieldCursor& f) {
    const std::string pseudo = readField(f);
    const std::string weapon = readField(f);
    const TileField t = readTile(f);
    if (!isLocalPseudo(pseudo)) playRemoteWeaponShoot(weapon, t.x, t.y);
}

void onShootFail(FieldCursor& f) { playDryFire(readRest(f)); }
void onReloadOk(FieldCursor& f) { playWeaponReload(readRest(f)); }

void onSwitchOk(FieldCursor& f) {
    const std::string weapon = readRest(f);
    playWeaponEquip(weapon);
    say(weapon);
}

void onAmmoMsg(FieldCursor& f) { say(readRest(f)); }
void onHealthMsg(FieldCursor& f) { say(readRest(f)); }
void onWall(FieldCursor&) { playWallSound(); }

void onPlayerHit(FieldCursor& f) {
    const std::string who = readField(f);
    const bool local = (!myProfile.email.empty() && who == myProfile.email) ||
                       (!myProfile.username.empty() && who == myProfile.username);
    if (!local) return;
    playSound("morsure", localPlayer.x, localPlayer.y);
    playSound(localIsFemale() ? "cri_femme" : "cri_homme", localPlayer.x, localPlayer.y);
}
