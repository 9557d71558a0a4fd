#pragma once
// The state of one game, shared by the game's source files (game.cpp: members,
// moves, landmarks and the end; game_life.cpp: health, downs and revivals;
// game_zombies.cpp: rounds and zombies; game_combat.cpp: weapons and bonuses;
// game_box.cpp: the mystery box; game_house.cpp: walls, doors and paths) and
// by their tests, which set up situations directly.
#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "server/game.h"
#include "server/game_weapons.h"
#include "server/game_house.h"

#include "protocol/wire.h"

// --- The game's tuning, in one table with game_weapons.h. Each value says
// why; bench/balance_sim plays them (a newcomer alone reaches round 3, a good
// team of four round 10 or more, none past 40).

// Points: the sword at once, a door after a round, the box after a round or
// two, the potion once a player has done well.
constexpr int START_POINTS = 500;
constexpr int POINTS_HIT = 10;
constexpr int POINTS_KILL = 100;
constexpr int DOOR_COST = 750;
constexpr int SWORD_COST = 500;
constexpr int POTION_COST = 1500;
constexpr int BOX_COST = 950;

// A player's health.
constexpr int START_HEALTH = 100;
constexpr int REVIVE_HEALTH = 50; // a revived player still has to get away
constexpr int BITE_DAMAGE = 25;   // four bites from full health: time to hear the danger and react
// One bite a second from each zombie: the danger grows with the crowd.
constexpr uint32_t BITE_GAP_MS = 1000;
// A zombie that just reached a player bites after this, not at once: a
// player hears it arrive and can still strike or step away.
constexpr uint32_t BITE_WINDUP_MS = 500;
// Health comes back 5 seconds after the last bite, 5 a second: a player who
// got away from the crowd is whole again within 20 seconds and fights on,
// instead of dying of the bites of the first round in the second.
constexpr uint32_t REGEN_DELAY_MS = 5000;
constexpr uint32_t REGEN_EVERY_MS = 1000;
constexpr int REGEN_STEP = 5;
// After any revival, a player is neither bitten nor hunted this long: time to
// walk out of the crowd that brought him down, 15 steps at a run.
constexpr uint32_t REVIVE_GRACE_MS = 3000;
// A team mate has this long to come and revive a player who is down.
constexpr uint32_t DOWN_TIMEOUT_MS = 30000;
// The potion lifts its drinker after this: heard coming, not instant.
constexpr uint32_t POTION_REVIVE_MS = 5000;
// Drinking takes a moment: the potion is no answer to a bite already coming.
constexpr uint32_t POTION_ARMING_MS = 3000;

// Rounds.
constexpr uint32_t FIRST_ROUND_DELAY_MS = 3000; // "Partie lancée" heard, bearings taken
constexpr uint32_t ROUND_CALM_MS = 10000;       // time to reload, shop and regroup
// What an ear can still tell apart, and the paths the server walks each tick.
constexpr int MAX_ZOMBIES_AT_ONCE = 24;
// Each round brings two more zombies, each taking about one more revolver
// hit, and walking faster up to round 9 (3 tiles a second, still slower than
// a running player): a good team falls at last, between rounds 10 and 20.
inline int zombiesInRound(int round) { return 4 + 2 * round; }
inline int zombieHealth(int round) { return 100 + 40 * (round - 1); }
inline uint32_t gameZombieStepMs(int round) { return static_cast<uint32_t>(std::max(300, 700 - 50 * (round - 1))); }
// They come in closer together as rounds grow, never faster than one each 0.7 s.
inline uint32_t zombieSpawnGapMs(int round) { return static_cast<uint32_t>(std::max(700, 2200 - 150 * (round - 1))); }
// A melee hit that does not kill throws the zombie back a tile (when there is
// room) and holds its step and bite this long: with the bite's wind-up, a
// knife striking every 450 ms keeps one zombie at bay.
constexpr uint32_t MELEE_STAGGER_MS = 500;

// Bonuses: one kill in 25 drops one, an event rather than a habit.
constexpr int BONUS_ODDS = 25;
constexpr uint32_t DOUBLE_POINTS_MS = 30000;
constexpr uint32_t INSTANT_KILL_MS = 20000;

// --- Fixed rules.

constexpr Tile SWORD_TILE{0, 50};
constexpr Tile POTION_TILE{53, 9};
// From "GAME_OVER_SIGNAL" to the lobby: the figures are heard first.
constexpr uint32_t GAME_OVER_LOBBY_MS = 5000;
// Two arrows held together send two steps at once; faster than that is not a player.
constexpr uint32_t MOVE_PAIR_GAP_MS = 180;
// A move while down is answered with a reminder, no more often than this.
constexpr uint32_t DOWN_REMINDER_GAP_MS = 4000;
// Taking a weapon over another one in the third slot asks first; the next
// "ACTION" confirms if it comes this long after the one before (a held Enter
// repeats every 200 ms and never confirms)...
constexpr uint32_t CONFIRM_PAUSE_MS = 600;
// ...and within this long of the question.
constexpr uint32_t CONFIRM_WINDOW_MS = 5000;

enum class Life { STANDING, DOWN, OUT };

struct WeaponSlot {
    int weapon = -1; // index in WEAPONS, -1 for an empty slot
    int magazine = 0;
    int reserve = 0;
};

// A question asked before a weapon replaces another one.
struct Confirmation {
    int weapon = -1;        // the weapon that would come in; -1 when nothing is asked
    uint64_t askedAt = 0;
    uint64_t lastPressAt = 0; // the last "ACTION" about it
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
    uint64_t bittenAt = 0;      // the last bite; health comes back from bittenAt + REGEN_DELAY_MS
    uint64_t regenAt = 0;       // the next step of health coming back
    uint64_t graceUntil = 0;    // revived: neither bitten nor hunted before this
    uint64_t remindAt = 0;      // down: his next move is answered with a reminder from then
    std::string hope;           // down: what he was told he may hope for, taken back once it no longer holds
    Confirmation confirm;
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
    uint64_t staggerUntil = 0; // struck by a melee weapon: neither steps nor bites before this
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
    // Once it is over: what everyone hears before the lobby, and when, in order.
    std::deque<std::pair<uint64_t, Message>> lastWords;
};

// The box's four places.
constexpr Tile BOX_SPOTS[4] = {{30, 20}, {12, 40}, {60, 30}, {86, 25}};

// A tile in spoken sentences, as the client's map menu says it.
inline std::string tileSpoken(Tile t) { return std::to_string(t.x) + "; " + std::to_string(t.y); }

// game.cpp
void gameSendTo(uint32_t player, const Message& message, std::vector<GameSend>& out);
void gameSendAll(const Game& game, const Message& message, std::vector<GameSend>& out);
void gameSendOthers(const Game& game, uint32_t except, const Message& message, std::vector<GameSend>& out);
// A sentence the client speaks: the answer to the player's own key...
void gameSay(uint32_t player, const std::string& text, std::vector<GameSend>& out);
// ...or news, which may wait its turn (GameSend::announcement).
void gameAnnounce(uint32_t player, const std::string& text, std::vector<GameSend>& out);
void gameAnnounceAll(const Game& game, const std::string& text, std::vector<GameSend>& out);
void gameAnnounceOthers(const Game& game, uint32_t except, const std::string& text, std::vector<GameSend>& out);
int gameRandom(Game& game, int low, int high); // inclusive
// Takes the points, or tells the player what `what` costs and returns false.
bool gamePay(GamePlayer& p, int cost, const std::string& what, std::vector<GameSend>& out);
// Nobody stands and no potion will lift anyone: the game ends; true if it has.
bool gameCheckOver(Game& game, uint64_t now, std::vector<GameSend>& out);
// Taking `weapon` into the third slot over another weapon asks first; true
// when it may go ahead (nothing to replace, or the question confirmed).
bool gameConfirmReplace(GamePlayer& p, int weapon, uint64_t now, std::vector<GameSend>& out);

// game_life.cpp
bool gameIsStanding(const GamePlayer& p);
// Standing and not in his grace after a revival: zombies go for him and bite him.
bool gameIsPrey(const GamePlayer& p, uint64_t now);
void gameStandUp(Game& game, GamePlayer& p, int health, uint64_t now, std::vector<GameSend>& out); // sends "REVIVED"
void gameBite(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
void gamePlayerDown(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
// "REVIVE": the downed player next to him gets up.
void gameRevive(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
// Where he stands between life and the next round, in words.
std::string gameLifeText(const GamePlayer& p, uint64_t now);
// A down player's keys move nothing; he is reminded why.
void gameRemindDown(GamePlayer& p, uint64_t now, std::vector<GameSend>& out);
void gameLifeTick(Game& game, uint64_t now, std::vector<GameSend>& out);

// game_zombies.cpp
void gameZombiesTick(Game& game, uint64_t now, std::vector<GameSend>& out);
void gameStartRound(Game& game, uint64_t now, std::vector<GameSend>& out);
// A melee hit: the zombie staggers, thrown a tile away from `from` when there is room.
void gameStagger(Game& game, Zombie& z, Tile from, uint64_t now, std::vector<GameSend>& out);

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
