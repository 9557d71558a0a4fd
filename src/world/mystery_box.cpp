#include "world/mystery_box.h"

#include "core/speech.h"
#include "audio/weapon_sounds.h"
#include "world/world_state.h"

namespace {
// The sword hangs on the wall at this tile; it is not in the box.
constexpr int EPEE_X = 0;
constexpr int EPEE_Y = 50;

void moveBox(const TileField& t) {
    currentBox.x = t.x;
    currentBox.y = t.y;
}
} // namespace

void onEpeePickupOk(FieldCursor&) { playBoxPickup("Epee", EPEE_X, EPEE_Y); }

void onBoxOpeningStart(FieldCursor& f) {
    const TileField t = readTile(f);
    moveBox(t);
    currentBox.isOpening = true;
    playBoxOpening(t.x, t.y);
}

void onBoxSpawn(FieldCursor& f) {
    const std::string weapon = readField(f);
    const TileField t = readTile(f);
    moveBox(t);
    currentBox.weaponName = weapon;
    currentBox.isOpening = false;
    currentBox.hasWeapon = true;
    playBoxWeaponSpawn(weapon, t.x, t.y);
}

void onBoxDespawn(FieldCursor&) {
    stopBoxWeaponLoop();
    currentBox.hasWeapon = false;
}

void onBoxHidden(FieldCursor& f) {
    int32_t ms = 0;
    if (!readInt(f, ms)) return;
    stopBoxWeaponLoop();
    currentBox.hasWeapon = false;
    currentBox.isOpening = false;
    say("Boite indisponible pendant " + std::to_string(ms / 1000) + " secondes.");
}

void onBoxReady(FieldCursor& f) {
    moveBox(readTile(f));
    say("Boite de nouveau disponible.");
}

void onBoxPickupOk(FieldCursor& f) {
    const std::string weapon = readField(f);
    const TileField t = readTile(f);
    stopBoxWeaponLoop();
    playBoxPickup(weapon, t.x, t.y);
    currentBox.hasWeapon = false;
    currentBox.weaponName.clear();
}

void onBoxTeleport(FieldCursor& f) {
    const TileField t = readTile(f);
    moveBox(t);
    playBoxTeleport(t.x, t.y);
}
