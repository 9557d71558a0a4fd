// Rounds and zombies: spawning along the outer walls of open rooms, walking
// toward the nearest standing player, biting.
#include <algorithm>
#include <cstdlib>

#include "server/game_state.h"

namespace {

constexpr uint32_t FIRST_SPAWN_DELAY_MS = 2000;
constexpr uint32_t SPAWN_RETRY_MS = 500;
// Zombies do not come in right beside a standing player.
constexpr int SPAWN_MIN_DISTANCE = 6;

bool occupied(const Game& game, Tile t, int exceptId) {
    for (const Zombie& z : game.zombies)
        if (z.id != exceptId && z.pos.x == t.x && z.pos.y == t.y) return true;
    return false;
}

bool passable(const Game& game, Tile t, int exceptId) {
    return !houseBlocked(t.x, t.y, game.doors) && !occupied(game, t, exceptId);
}

bool nearStanding(const Game& game, Tile t, int distance) {
    for (const GamePlayer& p : game.players)
        if (gameIsStanding(p) && std::abs(p.pos.x - t.x) + std::abs(p.pos.y - t.y) < distance) return true;
    return false;
}

void spawn(Game& game, uint64_t now, std::vector<GameSend>& out) {
    auto open = houseOpenRooms(game.doors);
    std::vector<Tile> fair, any;
    for (int room = 0; room < HOUSE_ROOM_COUNT; ++room) {
        if (!open[room]) continue;
        for (Tile t : houseSpawnPoints(room)) {
            if (occupied(game, t, 0)) continue;
            any.push_back(t);
            if (!nearStanding(game, t, SPAWN_MIN_DISTANCE)) fair.push_back(t);
        }
    }
    const std::vector<Tile>& from = fair.empty() ? any : fair;
    if (from.empty()) {
        game.nextSpawnAt = now + SPAWN_RETRY_MS;
        return;
    }
    Zombie z;
    z.id = game.nextZombieId++;
    z.pos = from[gameRandom(game, 0, static_cast<int>(from.size()) - 1)];
    z.health = zombieHealth(game.round);
    z.nextStepAt = now + gameZombieStepMs(game.round);
    z.biteAt = now;
    game.zombies.push_back(z);
    --game.toSpawn;
    game.nextSpawnAt = now + zombieSpawnGapMs(game.round);
    gameSendAll(game, Message(MSG_Z_SPAWN).id(z.id).tile(z.pos.x, z.pos.y), out);
}

void endRound(Game& game, uint64_t now, std::vector<GameSend>& out) {
    std::vector<std::string> kills;
    for (const GamePlayer& p : game.players)
        if (p.present && p.roundKills != 0) kills.push_back(p.pseudo + ":" + std::to_string(p.roundKills));
    gameSendAll(game, kills.empty() ? Message(MSG_ROUND_END) : Message(MSG_ROUND_END_KILLS).list(kills), out);
    game.phase = Phase::CALM;
    game.phaseUntil = now + ROUND_CALM_MS;
}

void refreshPaths(Game& game, uint64_t now) {
    if (!game.pathDirty) return;
    std::vector<Tile> sources;
    for (const GamePlayer& p : game.players)
        if (gameIsPrey(p, now)) sources.push_back(p.pos);
    houseDistances(sources, game.doors, game.pathDist);
    game.pathDirty = false;
}

void moveTo(Game& game, Zombie& z, Tile t, std::vector<GameSend>& out) {
    z.pos = t;
    gameSendAll(game, Message(MSG_Z_POS).id(z.id).tile(t.x, t.y), out);
}

// One tile down the distance field, toward the nearest standing player. A
// zombie whose way is taken by another one steps aside to a tile as near, so
// a crowd spreads around its prey instead of queueing in line.
void step(Game& game, Zombie& z, uint64_t now, std::vector<GameSend>& out) {
    refreshPaths(game, now);
    int16_t here = game.pathDist[houseIndex(z.pos.x, z.pos.y)];
    if (here == HOUSE_UNREACHABLE || here == 0) return;
    const Tile around[4] = {{z.pos.x + 1, z.pos.y}, {z.pos.x, z.pos.y + 1}, {z.pos.x - 1, z.pos.y}, {z.pos.x, z.pos.y - 1}};
    for (int16_t wanted : {static_cast<int16_t>(here - 1), here}) {
        for (int k = 0; k < 4; ++k) {
            // Each zombie tries the directions in its own order.
            Tile t = around[(k + z.id) % 4];
            if (game.pathDist[houseIndex(t.x, t.y)] != wanted || occupied(game, t, z.id)) continue;
            moveTo(game, z, t, out);
            return;
        }
    }
}

// The player next to the zombie with the least health left, or null.
GamePlayer* victim(Game& game, const Zombie& z, uint64_t now) {
    GamePlayer* best = nullptr;
    for (GamePlayer& p : game.players)
        if (gameIsPrey(p, now) && houseNextTo(p.pos, z.pos) && (!best || p.health < best->health)) best = &p;
    return best;
}

// Those down or out at the end of a round get up before the next one starts,
// so that "Réanimé." is heard before "Round".
void reviveForNextRound(Game& game, uint64_t now, std::vector<GameSend>& out) {
    for (GamePlayer& p : game.players)
        if (p.present && p.life != Life::STANDING) gameStandUp(game, p, START_HEALTH, now, out);
}

} // namespace

void gameStagger(Game& game, Zombie& z, Tile from, uint64_t now, std::vector<GameSend>& out) {
    z.inContact = false;
    z.staggerUntil = now + MELEE_STAGGER_MS;
    z.nextStepAt = std::max(z.nextStepAt, z.staggerUntil);
    const Tile back{z.pos.x + (z.pos.x > from.x) - (z.pos.x < from.x), z.pos.y + (z.pos.y > from.y) - (z.pos.y < from.y)};
    if (passable(game, back, z.id)) moveTo(game, z, back, out);
}

void gameStartRound(Game& game, uint64_t now, std::vector<GameSend>& out) {
    ++game.round;
    game.phase = Phase::ACTIVE;
    game.toSpawn = zombiesInRound(game.round);
    game.nextSpawnAt = now + FIRST_SPAWN_DELAY_MS;
    game.zombies.clear();
    reviveForNextRound(game, now, out); // none left but on a fake clock that jumps
    gameSendAll(game, Message(MSG_ROUND_START).number(game.round), out);
    for (GamePlayer& p : game.players) p.roundKills = 0;
}

void gameZombiesTick(Game& game, uint64_t now, std::vector<GameSend>& out) {
    if (game.phase == Phase::STARTING || game.phase == Phase::CALM) {
        if (now + SPOKEN_LINE_GAP_MS >= game.phaseUntil) reviveForNextRound(game, now, out);
        if (now >= game.phaseUntil) gameStartRound(game, now, out);
        return;
    }
    if (game.phase != Phase::ACTIVE) return;
    if (game.toSpawn == 0 && game.zombies.empty()) return endRound(game, now, out);
    if (game.toSpawn > 0 && static_cast<int>(game.zombies.size()) < MAX_ZOMBIES_AT_ONCE && now >= game.nextSpawnAt)
        spawn(game, now, out);
    const uint32_t stepMs = gameZombieStepMs(game.round);
    for (Zombie& z : game.zombies) {
        if (now < z.staggerUntil) continue;
        if (GamePlayer* p = victim(game, z, now)) {
            if (!z.inContact) {
                z.inContact = true;
                z.biteAt = now + BITE_WINDUP_MS;
            } else if (now >= z.biteAt) {
                z.biteAt = now + BITE_GAP_MS;
                gameBite(game, *p, now, out);
                if (game.phase != Phase::ACTIVE) return; // the game is over
            }
            continue;
        }
        z.inContact = false;
        if (now < z.nextStepAt) continue;
        z.nextStepAt = now + stepMs;
        step(game, z, now, out);
    }
}
