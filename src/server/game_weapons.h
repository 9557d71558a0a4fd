#pragma once
// The weapons' tuning, in one table. Each weapon should sound and play
// differently: the knife and the sword are quiet and need the zombie at arm's
// length, the revolver is slow and steady, the pump gun hits hard up close,
// the M16 and AK47 are fast and reach far. Ranges are in tiles. The
// revolver's 54 rounds carry a newcomer through two rounds, to the box or the
// sword; the knife is what remains.
#include <cstdint>
#include <string_view>

struct WeaponStats {
    const char* name;    // the protocol's name: sounds are "fire_" + name etc.
    const char* spoken;  // in French sentences
    bool melee;          // reaches the eight tiles around, never misses, no ammunition
    double range;        // firearms: straight-line distance in tiles
    int damage;
    int magazine;
    int reserveMax;
    uint32_t fireGapMs;  // a "SHOOT" sooner after the last one is ignored
    uint32_t reloadMs;   // no shot while reloading
    double hitNear;      // chance to hit at one tile...
    double hitFar;       // ...falling to this at full range
};

enum Weapon : int { COUTEAU, EPEE, REVOLVER, FUSIL_A_POMPE, M16, AK47, WEAPON_COUNT };

// clang-format off
inline constexpr WeaponStats WEAPONS[WEAPON_COUNT] = {
    // name           spoken           melee  range dmg  mag reserve gap  reload near  far
    {"Couteau",     "Couteau",         true,  1.0,  50,   0,   0,    450,    0, 1.00, 1.00},
    {"Epee",        "Épée",            true,  1.0, 130,   0,   0,    650,    0, 1.00, 1.00},
    {"Revolver",    "Revolver",        false, 12.0, 55,   6,  48,    400, 1200, 0.95, 0.45},
    {"FusilAPompe", "Fusil à pompe",   false, 6.0, 160,   6,  30,    900, 1600, 0.95, 0.50},
    {"M16",         "M16",             false, 18.0, 40,  30, 120,    130, 1400, 0.90, 0.45},
    {"AK47",        "AK47",            false, 15.0, 50,  30, 120,    160, 1500, 0.85, 0.40},
};
// clang-format on

// What the mystery box draws from.
inline constexpr Weapon BOX_WEAPONS[] = {AK47, M16, FUSIL_A_POMPE};

// The chance of a hit at `distance` tiles.
double weaponHitChance(const WeaponStats& stats, double distance);
