#pragma once
// A player played by a program, for the balance simulation: it knows only
// what its client hears and sends only what its keys would. Messages reach
// its mind 300 ms after they arrive; zombies are placed to the nearest 3
// tiles, as an ear places them; steps come one per 200 ms (two arrows at
// once at most), shots more than 50 ms and other keys more than 200 ms after
// the last key. It knows the house's layout, as a player learns it.
//
// A newcomer shoots the nearest zombie it hears in reach, reloads when told,
// falls back on the knife when the revolver is dry and walks away when
// bitten. A skilled player also keeps out of reach, buys doors, the sword,
// the box and the potion, and revives his team mates.
#include "server/game_house.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

enum class Skill { NEWCOMER, SKILLED };

struct BotMate {
    Tile pos{0, 0};
    bool down = false;
};

struct BotHeard {
    uint64_t at;
    std::string text;
};

enum class BotBox { IDLE, OPENING, OFFERED, HIDDEN };

struct Bot {
    std::string pseudo;
    Skill skill = Skill::NEWCOMER;
    std::deque<BotHeard> inbox; // arrived, not yet in mind

    // What the player knows.
    Tile pos{0, 0};
    bool down = false;
    bool over = false;
    bool calm = true;          // between rounds
    std::map<int, Tile> zombies;
    uint64_t bittenAt = 0;
    bool bitten = false;
    std::string weapons[3] = {"Couteau", "Revolver", ""};
    int slot = 1;
    bool dry[3] = {false, false, false}; // told "Plus de munitions"
    bool needReload = false;
    DoorStates doors{};
    Tile box{30, 20};
    BotBox boxState = BotBox::IDLE;
    bool boxMine = false;      // the opening or the offer is this player's
    bool potion = false;
    int points = 0;
    uint64_t pointsAt = 0;     // when the points were last heard; 0 never
    std::map<std::string, BotMate> mates;

    // The keys.
    uint64_t lastAction = 0;
    uint64_t lastStep = 0;
    uint64_t askedAt = 0;      // the last REQ_POINTS
    uint64_t pressAt = 0;      // the last ACTION at something to buy or take
    uint64_t boxPressAt = 0;   // the last ACTION at the box
    uint64_t confirmAt = 0;    // a second Enter is due then; 0 none
    int wantSlot = -1;         // a switch asked for
};

// A message the game sent this player at `now`.
void botReceive(Bot& bot, const std::string& text, uint64_t now);
// One frame of the client at `now`: the messages its keys send.
void botFrame(Bot& bot, uint64_t now, std::vector<std::string>& send);
