#pragma once
// The state of one game, shared by the game's source files (game.cpp: members,
// moves, landmarks, downs and the end; game_zombies.cpp: rounds and zombies;
// game_combat.cpp: weapons and bonuses; game_box.cpp: the mystery box;
// game_house.cpp: walls, doors and paths) and by their tests, which set up
// situations directly.
#include <random>
#include <string>
#include <vector>

#include "server/game.h"
#include "server/game_weapons.h"
#include "server/game_house.h"

#include "protocol/wire.h"

constexpr int START_POINTS = 500;
constexpr int START_HEALTH = 100;
constexpr int REVIVE_HEALTH = 50;
constexpr int BITE_DAMAGE = 25;
constexpr uint32_t BITE_GAP_MS = 1000;
// A zombie that just reached a player bites after this, not at once.
constexpr uint32_t BITE_WINDUP_MS = 500;
constexpr uint32_t DOWN_TIMEOUT_MS = 30000;
constexpr uint32_t POTION_REVIVE_MS = 5000;
constexpr uint32_t POTION_ARMING_MS = 3000;
constexpr int DOOR_COST = 750;
constexpr int SWORD_COST = 500;
constexpr int POTION_COST = 1500;
constexpr int BOX_COST = 950;
constexpr Tile SWORD_TILE{0, 50};
constexpr Tile POTION_TILE{53, 9};
constexpr uint32_t FIRST_ROUND_DELAY_MS = 3000;
constexpr uint32_t ROUND_CALM_MS = 10000;
constexpr uint32_t GAME_OVER_LOBBY_MS = 5000;
constexpr int MAX_ZOMBIES_AT_ONCE = 24;
constexpr int POINTS_HIT = 10;
constexpr int POINTS_KILL = 100;
// Two arrows held together send two steps at once; faster than that is not a player.
constexpr uint32_t MOVE_PAIR_GAP_MS = 180;

enum class Life { STANDING, DOWN, OUT };

struct WeaponSlot {
    int weapon = -1; // index in WEAPONS, -1 for an empty slot
    int magazine = 0;
    int reserve = 0;
};

struct GamePlayer {
    uint32_t id = 0;
    std::string pseudo;
    bool present = true; // false once he left the game
    Tile pos{0, 0};
    int health = START_HEALTH;
    Life life = Life::STANDING;
    uint64_t downAt = 0;
    bool potionArmed = false;   // gets up by himself the next time he goes down
    bool potionArming = false;  // bought, armed at potionArmedAt
    uint64_t potionArmedAt = 0;
    bool selfReviving = false;  // down with his potion: up at downAt + POTION_REVIVE_MS
    int points = START_POINTS;
    int earned = 0;             // points won in this game, spending aside
    int kills = 0;
    int roundKills = 0;
    int roundReached = 0;
    WeaponSlot slots[3];
    int current = 1;
    uint64_t nextShotAt = 0;        // from the game's start: gameCreate sets it
    uint64_t moveTimes[2] = {0, 0}; // the last two accepted steps
    int movesMade = 0;
};

struct Zombie {
    int id = 0;
    Tile pos{0, 0};
    int health = 0;
    uint64_t nextStepAt = 0;
    bool inContact = false; // next to a standing player since the last tick
    uint64_t biteAt = 0;
};

enum class BoxState { IDLE, OPENING, OFFERED, HIDDEN };

struct MysteryBox {
    int spot = 0;
    BoxState state = BoxState::IDLE;
    uint64_t until = 0;   // end of the opening, the offer or the hiding
    uint32_t buyer = 0;
    int weapon = -1;
    int usesLeft = 0;     // purchases before the box moves
};

enum class Phase { STARTING, ACTIVE, CALM, OVER, FINISHED };

struct Game {
    std::vector<GamePlayer> players; // in the members' order, those who left included
    std::mt19937 rng;
    DoorStates doors{};
    MysteryBox box;
    Phase phase = Phase::STARTING;
    uint64_t phaseUntil = 0; // next round start (STARTING, CALM) or the way back to the lobby (OVER)
    int round = 0;
    int toSpawn = 0;
    uint64_t nextSpawnAt = 0;
    std::vector<Zombie> zombies;
    int nextZombieId = 1;
    std::vector<int16_t> pathDist; // steps to the nearest standing player
    bool pathDirty = true;
    bool doublePoints = false;
    uint64_t doublePointsUntil = 0;
    bool instantKill = false;
    uint64_t instantKillUntil = 0;
};

// The box's four places.
constexpr Tile BOX_SPOTS[4] = {{30, 20}, {12, 40}, {60, 30}, {86, 25}};

// A tile in spoken sentences, as the client's map menu says it.
inline std::string tileSpoken(Tile t) { return std::to_string(t.x) + "; " + std::to_string(t.y); }

// game.cpp
void gameSendTo(uint32_t player, const Message& message, std::vector<GameSend>& out);
void gameSendAll(const Game& game, const Message& message, std::vector<GameSend>& out);
void gameSendOthers(const Game& game, uint32_t except, const Message& message, std::vector<GameSend>& out);
// A sentence the client speaks.
void gameSay(uint32_t player, const std::string& text, std::vector<GameSend>& out);
bool gameIsStanding(const GamePlayer& p);
void gameStandUp(Game& game, GamePlayer& p, int health, std::vector<GameSend>& out); // sends "REVIVED"
void gamePlayerDown(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
int gameRandom(Game& game, int low, int high); // inclusive
// Takes the points, or tells the player what `what` costs and returns false.
bool gamePay(GamePlayer& p, int cost, const std::string& what, std::vector<GameSend>& out);

// game_zombies.cpp
void gameZombiesTick(Game& game, uint64_t now, std::vector<GameSend>& out);
void gameStartRound(Game& game, uint64_t now, std::vector<GameSend>& out);
uint32_t gameZombieStepMs(int round);

// game_combat.cpp
void gameCombatShoot(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
void gameCombatReload(GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
void gameCombatSwitch(GamePlayer& p, int slot, std::vector<GameSend>& out);
void gameCombatAmmo(const GamePlayer& p, std::vector<GameSend>& out);
void gameCombatTick(Game& game, uint64_t now, std::vector<GameSend>& out);
void gameArm(WeaponSlot& slot, int weapon); // a fresh weapon, magazine and reserve full

// game_box.cpp
void gameBoxReset(Game& game);
// Handles "ACTION" at the box; false when the player is not next to it.
bool gameBoxAction(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
void gameBoxTick(Game& game, uint64_t now, std::vector<GameSend>& out);
std::string gameBoxDescription(const Game& game, uint64_t now);
