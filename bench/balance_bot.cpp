#include "balance_bot.h"

#include "protocol/wire.h"
#include "server/game_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint64_t REACTION_MS = 300;
constexpr int HEARING_TILES = 3;
// The client's key pacing: each needs more than this since the last of its kind.
constexpr uint64_t STEP_GAP_MS = 200;
constexpr uint64_t SHOT_GAP_MS = 50;
constexpr uint64_t ACTION_GAP_MS = 200;
// Walking away after a bite lasts this long.
constexpr uint64_t FLEE_MS = 1200;
// A skilled player answers "press again" after a short pause...
constexpr uint64_t CONFIRM_PAUSE_MS = 400;
// ...and, having pressed Enter at something, waits to hear what came of it.
constexpr uint64_t ANSWER_WAIT_MS = 1500;
constexpr uint64_t POINTS_ASK_EVERY_MS = 5000;
// A skilled player with a firearm keeps zombies heard this near at a distance...
constexpr double KITE_TILES = 3.0;
// ...and goes shopping or reviving only when none is heard this near.
constexpr double SAFE_TILES = 6.0;
constexpr Tile HOME{25, 25}; // the middle of the first room: room to back away

const char* const WAYS[4] = {"D", "Q", "Z", "S"}; // right, left, up, down
const int WAY_DX[4] = {1, -1, 0, 0};
const int WAY_DY[4] = {0, 0, 1, -1};

const WeaponStats* statsOf(const std::string& name) {
    for (const WeaponStats& w : WEAPONS)
        if (name == w.name) return &w;
    return nullptr;
}

// To the nearest multiple of the hearing's grain, halves away from zero.
int heardOffset(int d) {
    const int q = (std::abs(d) + HEARING_TILES / 2) / HEARING_TILES * HEARING_TILES;
    return d < 0 ? -q : q;
}

Tile heardAt(const Bot& b, Tile z) { return {b.pos.x + heardOffset(z.x - b.pos.x), b.pos.y + heardOffset(z.y - b.pos.y)}; }

double distance(Tile a, Tile b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The nearest zombie as heard; false without one.
bool nearestHeard(const Bot& b, Tile& at, double& d) {
    bool found = false;
    for (const auto& [id, z] : b.zombies) {
        const Tile h = heardAt(b, z);
        const double dh = distance(b.pos, h);
        if (!found || dh < d) at = h, d = dh, found = true;
    }
    return found;
}

bool knownBlocked(const Bot& b, Tile t) { return houseBlocked(t.x, t.y, b.doors); }

void hearSay(Bot& b, const std::string& text, uint64_t now) {
    int n = 0;
    if (std::sscanf(text.c_str(), "Vous avez %d points.", &n) == 1) b.points = n, b.pointsAt = now;
    if (const size_t at = text.find("Vous en avez "); at != std::string::npos) b.points = std::atoi(text.c_str() + at + 13), b.pointsAt = now;
    if (text.find("pour confirmer") != std::string::npos) b.confirmAt = now + CONFIRM_PAUSE_MS;
    if (text == "Cette arme ne vous est pas destinée.") b.boxMine = false;
    if (text == "Vous avez déjà l'épée.") b.weapons[2] = "Epee";
    if (text == "Vous avez déjà une potion de seconde vie.") b.potion = true;
    if (text.rfind("Personne à réanimer", 0) == 0)
        for (auto& [name, m] : b.mates)
            if (houseNextTo(m.pos, b.pos)) m.down = false;
    // A mate back up, or out until the next round: nobody to revive.
    if (text.find("à terre") == std::string::npos)
        for (auto& [name, m] : b.mates)
            if (text.find(name) != std::string::npos &&
                (text.find("réanimé") != std::string::npos || text.find("relève") != std::string::npos ||
                 text.find("hors jeu") != std::string::npos))
                m.down = false;
}

void apply(Bot& b, const std::string& m, uint64_t arrived, uint64_t now) {
    FieldCursor f;
    const auto is = [&](Keyword k) {
        if (!matchesKeyword(m, k)) return false;
        f = fieldsAfter(m, k);
        return true;
    };
    const auto tile = [&] {
        const TileField t = readTile(f);
        return Tile{t.x, t.y};
    };
    if (is(MSG_POS)) b.pos = tile();
    else if (is(MSG_Z_SPAWN) || is(MSG_Z_POS)) {
        const int id = readId(f);
        b.zombies[id] = tile();
    } else if (is(MSG_Z_DIE)) b.zombies.erase(readId(f));
    else if (is(MSG_ROUND_START)) b.zombies.clear(), b.calm = false;
    else if (is(MSG_ROUND_END) || is(MSG_ROUND_END_KILLS)) b.calm = true;
    else if (is(MSG_PLAYER_HIT)) {
        if (readField(f) == b.pseudo) b.bitten = true, b.bittenAt = now;
    } else if (is(MSG_PLAYER_DOWN)) {
        const std::string who = readField(f);
        const Tile at = tile();
        if (who == b.pseudo) b.down = true, b.potion = false;
        else b.mates[who] = {at, true};
    } else if (is(MSG_YOU_DIED)) b.down = true;
    else if (is(MSG_REVIVED)) b.down = false, b.bitten = false;
    else if (is(MSG_REMOTE_MOVE)) {
        const std::string who = readField(f);
        b.mates[who] = {tile(), false};
    } else if (is(MSG_REMOTE_SHOOT)) b.mates[readField(f)].down = false;
    else if (is(MSG_SHOOT_FAIL)) b.needReload = true;
    else if (is(MSG_RELOAD_OK)) b.needReload = false;
    else if (is(MSG_AMMO_MSG)) {
        if (readRest(f).rfind("Plus de munitions", 0) == 0) b.dry[b.slot] = true;
        b.needReload = false;
    } else if (is(MSG_SWITCH_OK)) {
        const std::string w = readRest(f);
        for (int s = 0; s < 3; ++s)
            if (b.weapons[s] == w) b.slot = s;
        b.needReload = false;
    } else if (is(MSG_DOOR_OPENED)) {
        const Tile t = tile();
        if (const int d = houseDoorAt(t.x, t.y); d >= 0) b.doors[d] = true;
    } else if (is(MSG_BOX_OPENING_START)) {
        b.box = tile();
        b.boxState = BotBox::OPENING;
        b.boxMine = b.boxPressAt != 0 && arrived - b.boxPressAt <= 20;
    } else if (is(MSG_BOX_SPAWN)) {
        readField(f);
        b.box = tile();
        b.boxState = BotBox::OFFERED;
    } else if (is(MSG_BOX_PICKUP_OK)) {
        const std::string w = readField(f);
        if (b.boxMine) b.weapons[2] = w, b.dry[2] = false;
        b.boxState = BotBox::IDLE;
        b.boxMine = false;
    } else if (is(MSG_BOX_DESPAWN)) b.boxState = BotBox::IDLE, b.boxMine = false;
    else if (is(MSG_BOX_TELEPORT)) b.box = tile(), b.boxState = BotBox::HIDDEN, b.boxMine = false;
    else if (is(MSG_BOX_READY)) b.box = tile(), b.boxState = BotBox::IDLE;
    else if (is(MSG_BONUS_MAX_AMMO)) std::fill(std::begin(b.dry), std::end(b.dry), false);
    else if (is(MSG_EPEE_PICKUP_OK)) b.weapons[2] = "Epee", b.dry[2] = false;
    else if (is(MSG_POTION_BOUGHT)) b.potion = true;
    else if (is(MSG_GAME_OVER_SIGNAL)) b.over = true;
    else if (is(MSG_SAY)) hearSay(b, readRest(f), now);
}

// The weapon to hold: a box weapon or the sword, then the revolver while it
// has bullets, then the knife.
int bestSlot(const Bot& b) {
    if (!b.weapons[2].empty() && !b.dry[2]) return 2;
    return b.dry[1] ? 0 : 1;
}

// How open the space around a tile is: corners and walls trap.
int clearance(Tile t) {
    int c = std::min({t.x, HOUSE_MAX_X - t.x, t.y, HOUSE_MAX_Y - t.y, std::abs(t.x - 50), std::abs(t.x - 70)});
    return std::min(c, 4);
}

// The step (one or two arrows) that takes the player farthest from what he hears.
void flee(const Bot& b, std::vector<std::string>& send) {
    const auto score = [&](Tile t) {
        double nearest = 1e9;
        for (const auto& [id, z] : b.zombies) nearest = std::min(nearest, distance(t, heardAt(b, z)));
        return std::min(nearest, 8.0) + 0.3 * clearance(t);
    };
    double best = score(b.pos);
    int pick[2] = {-1, -1};
    for (int i = 0; i < 4; ++i) {
        const Tile one{b.pos.x + WAY_DX[i], b.pos.y + WAY_DY[i]};
        if (knownBlocked(b, one)) continue;
        if (const double s = score(one); s > best) best = s, pick[0] = i, pick[1] = -1;
        for (int j = 2 * (i < 2 ? 1 : 0); j < 2 * (i < 2 ? 1 : 0) + 2; ++j) { // the other axis
            const Tile two{one.x + WAY_DX[j], one.y + WAY_DY[j]};
            if (knownBlocked(b, two)) continue;
            if (const double s = score(two); s > best) best = s, pick[0] = i, pick[1] = j;
        }
    }
    for (int i : pick)
        if (i >= 0) send.push_back(Message(MSG_MOVE).field(WAYS[i]).text());
}

// One step toward a tile next to `target`; false once there.
bool walkTo(const Bot& b, Tile target, std::vector<std::string>& send) {
    if (houseNextTo(b.pos, target)) return false;
    std::vector<Tile> ends;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) ends.push_back({target.x + dx, target.y + dy});
    static std::vector<int16_t> dist;
    houseDistances(ends, b.doors, dist);
    const int16_t here = dist[houseIndex(b.pos.x, b.pos.y)];
    if (here == HOUSE_UNREACHABLE || here < 0) return false;
    for (int i = 0; i < 4; ++i) {
        const int16_t d = dist[houseIndex(b.pos.x + WAY_DX[i], b.pos.y + WAY_DY[i])];
        if (d >= 0 && d < here) {
            send.push_back(Message(MSG_MOVE).field(WAYS[i]).text());
            return true;
        }
    }
    return false;
}

// The door that opens the way into `room` nearest to the player, or -1.
int doorInto(const Bot& b, int room) {
    const auto open = houseOpenRooms(b.doors);
    const int first = room == 1 ? 0 : 2; // doors 0, 1 lead into room 1; 2, 3 into room 2
    if (room == 2 && !open[1]) return doorInto(b, 1);
    int best = -1;
    for (int d = first; d < first + 2; ++d)
        if (best < 0 || distance(b.pos, HOUSE_DOORS[d]) < distance(b.pos, HOUSE_DOORS[best])) best = d;
    return best;
}

bool roomOpen(const Bot& b, Tile t) { return houseOpenRooms(b.doors)[std::max(0, houseRoomOf(t.x))]; }

struct Errand {
    Tile where;
    bool revive;
};

// What a skilled player goes to do when nothing is near; false for nothing.
bool errand(const Bot& b, uint64_t now, Errand& e) {
    for (const auto& [name, m] : b.mates)
        if (m.down) return e = {m.pos, true}, true;
    if (b.boxState == BotBox::OFFERED && b.boxMine) return e = {b.box, false}, true;
    if (b.pointsAt == 0 || now - b.pointsAt > POINTS_ASK_EVERY_MS + 2000) return false;
    const bool boxWeapon = !b.weapons[2].empty() && b.weapons[2] != "Epee";
    // Through a closed door first, when it and the purchase behind it are affordable.
    const auto reach = [&](Tile t, int cost) {
        if (roomOpen(b, t)) return b.points >= cost ? (e = {t, false}, true) : false;
        const int door = doorInto(b, houseRoomOf(t.x));
        return b.points >= cost + DOOR_COST ? (e = {HOUSE_DOORS[door], false}, true) : false;
    };
    if ((!boxWeapon || b.dry[2]) && b.boxState == BotBox::IDLE && reach(b.box, BOX_COST)) return true;
    if (b.weapons[2].empty() && b.points >= SWORD_COST && b.points < BOX_COST) return e = {SWORD_TILE, false}, true;
    if (boxWeapon && !b.potion && reach(POTION_TILE, POTION_COST)) return true;
    return false;
}

} // namespace

void botReceive(Bot& b, const std::string& text, uint64_t now) { b.inbox.push_back({now, text}); }

void botFrame(Bot& b, uint64_t now, std::vector<std::string>& send) {
    while (!b.inbox.empty() && b.inbox.front().at + REACTION_MS <= now) {
        apply(b, b.inbox.front().text, b.inbox.front().at, now);
        b.inbox.pop_front();
    }
    if (b.over || b.down) return;
    const bool skilled = b.skill == Skill::SKILLED;
    const bool canAct = now - b.lastAction > ACTION_GAP_MS;
    const auto act = [&](const Message& m) {
        send.push_back(m.text());
        b.lastAction = now;
    };

    Tile z{0, 0};
    double zd = 0;
    const bool heard = nearestHeard(b, z, zd);
    const WeaponStats* w = statsOf(b.weapons[b.slot]);
    const bool inReach = heard && w &&
                         (w->melee ? zd == 0 : zd <= w->range && (!skilled || houseLineClear(b.pos, z, b.doors)));
    const bool fleeing = b.bitten && now - b.bittenAt < FLEE_MS;
    Errand e{};
    const bool onErrand = skilled && !fleeing && (!heard || zd > SAFE_TILES || b.calm) && errand(b, now, e);

    // One key a frame, in the order a player would press them.
    if (canAct) {
        if (b.confirmAt != 0 && now >= b.confirmAt) {
            b.confirmAt = 0;
            act(MSG_ACTION);
        } else if (const int best = bestSlot(b); best != b.slot) {
            b.slot = best;
            b.needReload = false;
            act(Message(MSG_SWITCH).number(best));
        } else if (b.needReload) {
            b.needReload = false; // pressed once; what follows is heard
            act(MSG_RELOAD);
        } else if (onErrand && houseNextTo(b.pos, e.where)) {
            if (e.revive) act(MSG_REVIVE);
            else if (now - b.pressAt > ANSWER_WAIT_MS &&
                     !(e.where.x == b.box.x && e.where.y == b.box.y && b.boxState == BotBox::OPENING)) {
                if (e.where.x == b.box.x && e.where.y == b.box.y) b.boxPressAt = now;
                b.pointsAt = 0; // spent: asked again before the next purchase
                b.pressAt = now;
                act(MSG_ACTION);
            }
        } else if (skilled && !inReach && now - b.askedAt > POINTS_ASK_EVERY_MS && (!heard || zd > SAFE_TILES)) {
            b.askedAt = now;
            act(MSG_REQ_POINTS);
        }
    }
    // Shots: the newcomer holds the key, the skilled player keeps to the weapon's pace.
    const uint64_t shotGap = skilled && w ? std::max<uint64_t>(SHOT_GAP_MS, w->fireGapMs) : SHOT_GAP_MS;
    if (inReach && !b.needReload && now - b.lastAction > shotGap) act(MSG_SHOOT);

    if (now - b.lastStep <= STEP_GAP_MS) return;
    const size_t before = send.size();
    const bool kite = skilled && w && !w->melee && heard && zd <= KITE_TILES;
    if (fleeing || kite) flee(b, send);
    else if (onErrand) walkTo(b, e.where, send);
    else if (skilled && (!heard || zd > SAFE_TILES)) walkTo(b, HOME, send);
    if (send.size() > before) b.lastStep = now;
}
