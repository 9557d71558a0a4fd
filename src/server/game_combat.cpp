// Weapons in a player's hands, hits and kills, and the bonuses a kill drops.
#include <algorithm>
#include <cmath>

#include "server/game_state.h"

namespace {

void award(Game& game, GamePlayer& p, int points) {
    if (game.doublePoints) points *= 2;
    p.points += points;
    p.earned += points;
}

void dropBonus(Game& game, uint64_t now, std::vector<GameSend>& out) {
    if (gameRandom(game, 1, BONUS_ODDS) != 1) return;
    switch (gameRandom(game, 0, 2)) {
    case 0:
        for (GamePlayer& p : game.players)
            for (WeaponSlot& s : p.slots)
                if (s.weapon >= 0) s.reserve = WEAPONS[s.weapon].reserveMax;
        gameSendAll(game, MSG_BONUS_MAX_AMMO, out);
        break;
    case 1:
        game.doublePoints = true;
        game.doublePointsUntil = now + DOUBLE_POINTS_MS;
        gameSendAll(game, MSG_BONUS_DOUBLE_POINTS_START, out);
        break;
    default:
        game.instantKill = true;
        game.instantKillUntil = now + INSTANT_KILL_MS;
        gameSendAll(game, MSG_BONUS_INSTANT_KILL_START, out);
        break;
    }
}

double distance(Tile a, Tile b) {
    double dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// The nearest zombie the weapon reaches in a straight line; walls and closed doors stop it.
Zombie* target(Game& game, const GamePlayer& p, const WeaponStats& stats) {
    Zombie* best = nullptr;
    double bestDistance = 0;
    for (Zombie& z : game.zombies) {
        double d = distance(p.pos, z.pos);
        bool inReach = stats.melee ? houseNextTo(p.pos, z.pos) : d <= stats.range;
        if (!inReach || (best && d >= bestDistance) || !houseLineClear(p.pos, z.pos, game.doors)) continue;
        best = &z;
        bestDistance = d;
    }
    return best;
}

} // namespace

double weaponHitChance(const WeaponStats& stats, double d) {
    if (stats.melee || stats.range <= 1.0) return stats.hitNear;
    double t = std::clamp((d - 1.0) / (stats.range - 1.0), 0.0, 1.0);
    return stats.hitNear + (stats.hitFar - stats.hitNear) * t;
}

void gameArm(WeaponSlot& slot, int weapon) {
    slot.weapon = weapon;
    slot.magazine = WEAPONS[weapon].magazine;
    slot.reserve = WEAPONS[weapon].reserveMax;
}

void gameCombatShoot(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    WeaponSlot& slot = p.slots[p.current];
    if (p.life != Life::STANDING || slot.weapon < 0 || now < p.nextShotAt) return;
    const WeaponStats& stats = WEAPONS[slot.weapon];
    const std::string name = stats.name;
    p.nextShotAt = now + stats.fireGapMs;
    if (!stats.melee && slot.magazine == 0) return gameSendTo(p.id, Message(MSG_SHOOT_FAIL).field(name), out);
    if (!stats.melee) --slot.magazine;
    gameSendTo(p.id, Message(MSG_SHOOT_OK).field(name), out);
    gameSendOthers(game, p.id, Message(MSG_REMOTE_SHOOT).field(p.pseudo).field(name).tile(p.pos.x, p.pos.y), out);

    Zombie* z = target(game, p, stats);
    if (!z) return;
    double chance = weaponHitChance(stats, distance(p.pos, z->pos));
    if (std::uniform_real_distribution<double>(0.0, 1.0)(game.rng) >= chance) return;
    z->health -= game.instantKill ? z->health : stats.damage;
    const auto hit = [&](Keyword keyword) { return Message(keyword).id(z->id).field(name).tile(z->pos.x, z->pos.y); };
    if (z->health > 0) {
        award(game, p, POINTS_HIT);
        gameSendAll(game, hit(MSG_Z_HIT), out);
        if (stats.melee) gameStagger(game, *z, p.pos, now, out);
        return;
    }
    award(game, p, POINTS_KILL);
    ++p.kills;
    ++p.roundKills;
    const Message died = hit(MSG_Z_DIE);
    game.zombies.erase(game.zombies.begin() + (z - game.zombies.data()));
    gameSendAll(game, died, out);
    // A blade's own finishing sound, for the hand that held it.
    if (stats.melee) gameSendTo(p.id, Message(MSG_PLAY_SOUND).field("mort_" + name), out);
    dropBonus(game, now, out);
}

void gameCombatReload(GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    WeaponSlot& slot = p.slots[p.current];
    if (p.life != Life::STANDING || slot.weapon < 0) return;
    const WeaponStats& stats = WEAPONS[slot.weapon];
    std::string refusal = stats.melee                       ? std::string(stats.spoken) + " : pas besoin de munitions."
                          : slot.magazine == stats.magazine ? "Chargeur déjà plein."
                          : slot.reserve == 0 ? "Plus de munitions pour " + std::string(stats.spoken) + "."
                                              : "";
    if (!refusal.empty()) return gameSendTo(p.id, Message(MSG_AMMO_MSG).field(refusal), out);
    int moved = std::min(stats.magazine - slot.magazine, slot.reserve);
    slot.magazine += moved;
    slot.reserve -= moved;
    p.nextShotAt = now + stats.reloadMs;
    gameSendTo(p.id, Message(MSG_RELOAD_OK).field(stats.name), out);
}

void gameCombatSwitch(GamePlayer& p, int slot, std::vector<GameSend>& out) {
    if (p.life != Life::STANDING) return;
    if (p.slots[slot].weapon < 0)
        return gameSay(p.id, "Aucune arme dans l'emplacement " + std::to_string(slot + 1) + ".", out);
    p.current = slot;
    gameSendTo(p.id, Message(MSG_SWITCH_OK).field(WEAPONS[p.slots[slot].weapon].name), out);
}

void gameCombatAmmo(const GamePlayer& p, std::vector<GameSend>& out) {
    const WeaponSlot& slot = p.slots[p.current];
    if (slot.weapon < 0) return;
    const WeaponStats& stats = WEAPONS[slot.weapon];
    std::string text = std::string(stats.spoken) + (stats.melee ? ", arme blanche, sans munitions."
                                                              : " : " + std::to_string(slot.magazine) + " balles chargées, " +
                                                                    std::to_string(slot.reserve) + " en réserve.");
    gameSendTo(p.id, Message(MSG_AMMO_MSG).field(text), out);
}

void gameCombatTick(Game& game, uint64_t now, std::vector<GameSend>& out) {
    if (game.doublePoints && now >= game.doublePointsUntil) {
        game.doublePoints = false;
        gameSendAll(game, MSG_BONUS_DOUBLE_POINTS_END, out);
    }
    if (game.instantKill && now >= game.instantKillUntil) {
        game.instantKill = false;
        gameSendAll(game, Message(MSG_PLAY_SOUND).field("bonus_insta"), out);
        gameAnnounceAll(game, "Fin de la mort instantanée.", out);
    }
}
