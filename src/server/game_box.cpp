// The mystery box: pay, hear it open, take the weapon it shows before it
// goes; after a few uses it moves to another of its places and rests.
#include "server/game_state.h"

namespace {

constexpr uint32_t BOX_OPENING_MS = 3000;
constexpr uint32_t BOX_OFFER_MS = 10000;
constexpr uint32_t BOX_HIDDEN_MS = 30000;

Tile boxTile(const Game& game) { return BOX_SPOTS[game.box.spot]; }

// A box message ends with where the box stands.
Message atBox(const Game& game, Message message) {
    const Tile t = boxTile(game);
    return message.tile(t.x, t.y);
}

std::string secondsLeft(uint64_t now, uint64_t until) {
    const uint64_t ms = now >= until ? 0 : until - now;
    return std::to_string((ms + 999) / 1000);
}

// After a pick-up or a weapon left unclaimed.
void finishUse(Game& game, uint64_t now, std::vector<GameSend>& out) {
    MysteryBox& box = game.box;
    box.weapon = -1;
    box.buyer = 0;
    if (box.usesLeft > 0) {
        box.state = BoxState::IDLE;
        return;
    }
    box.spot = (box.spot + gameRandom(game, 1, 3)) % 4; // any other place
    box.usesLeft = gameRandom(game, 4, 8);
    box.state = BoxState::HIDDEN;
    box.until = now + BOX_HIDDEN_MS;
    gameSendAll(game, atBox(game, MSG_BOX_TELEPORT), out);
    gameSendAll(game, Message(MSG_BOX_HIDDEN).number(BOX_HIDDEN_MS), out);
}

} // namespace

void gameBoxReset(Game& game) {
    game.box = MysteryBox{};
    game.box.usesLeft = gameRandom(game, 4, 8);
}

bool gameBoxAction(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    MysteryBox& box = game.box;
    if (!houseNextTo(p.pos, boxTile(game))) return false;
    switch (box.state) {
    case BoxState::HIDDEN:
        gameSay(p.id, "La boîte mystère revient dans " + secondsLeft(now, box.until) + " secondes.", out);
        break;
    case BoxState::OPENING:
        gameSay(p.id, "La boîte mystère est en train de s'ouvrir.", out);
        break;
    case BoxState::OFFERED:
        if (box.buyer != p.id) {
            gameSay(p.id, "Cette arme ne vous est pas destinée.", out);
            break;
        }
        if (!gameConfirmReplace(p, box.weapon, now, out)) break;
        gameArm(p.slots[2], box.weapon);
        gameSendAll(game, atBox(game, Message(MSG_BOX_PICKUP_OK).field(WEAPONS[box.weapon].name)), out);
        finishUse(game, now, out);
        break;
    case BoxState::IDLE:
        if (!gamePay(p, BOX_COST, "La boîte mystère", out)) break;
        box.state = BoxState::OPENING;
        box.until = now + BOX_OPENING_MS;
        box.buyer = p.id;
        box.weapon = BOX_WEAPONS[gameRandom(game, 0, static_cast<int>(std::size(BOX_WEAPONS)) - 1)];
        --box.usesLeft;
        gameSendAll(game, atBox(game, MSG_BOX_OPENING_START), out);
        break;
    }
    return true;
}

void gameBoxTick(Game& game, uint64_t now, std::vector<GameSend>& out) {
    MysteryBox& box = game.box;
    if (box.state == BoxState::IDLE || now < box.until) return;
    if (box.state == BoxState::OPENING) {
        box.state = BoxState::OFFERED;
        box.until = now + BOX_OFFER_MS;
        gameSendAll(game, atBox(game, Message(MSG_BOX_SPAWN).field(WEAPONS[box.weapon].name)), out);
    } else if (box.state == BoxState::OFFERED) {
        gameSendAll(game, MSG_BOX_DESPAWN, out);
        finishUse(game, now, out);
    } else {
        box.state = BoxState::IDLE;
        gameSendAll(game, atBox(game, MSG_BOX_READY), out);
    }
}

std::string gameBoxDescription(const Game& game, uint64_t now) {
    std::string where = tileSpoken(boxTile(game));
    if (game.box.state == BoxState::HIDDEN)
        return "La boîte mystère sera en " + where + " dans " + secondsLeft(now, game.box.until) + " secondes.";
    return "La boîte mystère est en " + where + ".";
}
