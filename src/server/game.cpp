#include "server/game.h"

#include "server/game_state.h"

namespace {

GamePlayer* findPresent(Game& game, uint32_t id) {
    for (GamePlayer& p : game.players)
        if (p.present && p.id == id) return &p;
    return nullptr;
}

// French puts 0 and 1 in the singular.
std::string zombiesText(int n, const char* one, const char* many) {
    return std::to_string(n) + (n <= 1 ? " zombie" + std::string(one) : " zombies" + std::string(many));
}

void handleMove(Game& game, GamePlayer& p, FieldCursor& fields, uint64_t now, std::vector<GameSend>& out) {
    const std::string way = readRest(fields);
    if (way.size() != 1) return;
    if (p.life != Life::STANDING) return gameRemindDown(p, now, out);
    Tile to = p.pos;
    switch (way[0]) {
    case 'Z': ++to.y; break;
    case 'S': --to.y; break;
    case 'Q': --to.x; break;
    case 'D': ++to.x; break;
    default: return;
    }
    if (p.movesMade >= 2 && now < p.moveTimes[0] + MOVE_PAIR_GAP_MS) return;
    if (houseBlocked(to.x, to.y, game.doors)) {
        gameSendTo(p.id, MSG_WALL, out);
        return;
    }
    p.moveTimes[0] = p.moveTimes[1];
    p.moveTimes[1] = now;
    ++p.movesMade;
    p.pos = to;
    game.pathDirty = true;
    gameSendTo(p.id, Message(MSG_POS).tile(to.x, to.y), out);
    gameSendOthers(game, p.id, Message(MSG_REMOTE_MOVE).field(p.pseudo).tile(to.x, to.y), out);
}

void handleAction(Game& game, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    if (p.life != Life::STANDING) return;
    if (gameBoxAction(game, p, now, out)) return;
    for (int i = 0; i < HOUSE_DOOR_COUNT; ++i) {
        if (game.doors[i] || !houseNextTo(p.pos, HOUSE_DOORS[i])) continue;
        if (!gamePay(p, DOOR_COST, "Cette porte", out)) return;
        game.doors[i] = true;
        game.pathDirty = true;
        gameSendAll(game, Message(MSG_DOOR_OPENED).tile(HOUSE_DOORS[i].x, HOUSE_DOORS[i].y), out);
        return;
    }
    if (houseNextTo(p.pos, SWORD_TILE)) {
        if (p.slots[2].weapon == EPEE) return gameSay(p.id, "Vous avez déjà l'épée.", out);
        // Only a player who can pay is asked; the others hear the price.
        if (p.points >= SWORD_COST && !gameConfirmReplace(p, EPEE, now, out)) return;
        if (!gamePay(p, SWORD_COST, "L'épée", out)) return;
        gameArm(p.slots[2], EPEE);
        gameSendTo(p.id, MSG_EPEE_PICKUP_OK, out);
        return;
    }
    if (houseNextTo(p.pos, POTION_TILE)) {
        if (p.potionArmed || p.potionArming) return gameSay(p.id, "Vous avez déjà une potion de seconde vie.", out);
        if (!gamePay(p, POTION_COST, "La potion de seconde vie", out)) return;
        p.potionArming = true;
        p.potionArmedAt = now + POTION_ARMING_MS;
        gameSendTo(p.id, MSG_POTION_BOUGHT, out);
        return;
    }
    gameSay(p.id, "Rien à utiliser ici.", out);
}

void handleRevive(Game& game, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    gameRevive(game, p, now, out);
}

void handleShoot(Game& game, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    gameCombatShoot(game, p, now, out);
}

void handleReload(Game&, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    gameCombatReload(p, now, out);
}

void handleSwitch(Game&, GamePlayer& p, FieldCursor& fields, uint64_t, std::vector<GameSend>& out) {
    const std::string slot = readRest(fields);
    if (slot.size() == 1 && slot[0] >= '0' && slot[0] <= '2') gameCombatSwitch(p, slot[0] - '0', out);
}

void handleAmmo(Game&, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    gameCombatAmmo(p, out);
}

void handleHealth(Game& game, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    const std::string text = game.phase == Phase::OVER ? "Partie terminée." : gameLifeText(p, now);
    gameSendTo(p.id, Message(MSG_HEALTH_MSG).field(text), out);
}

void handleRound(Game& game, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    std::string round = "Round " + std::to_string(game.round);
    if (game.phase == Phase::OVER) return gameSay(p.id, "Partie terminée au round " + std::to_string(game.round) + ".", out);
    if (game.phase == Phase::STARTING) return gameSay(p.id, "La partie commence, premier round dans un instant.", out);
    if (game.phase == Phase::CALM) return gameSay(p.id, round + " terminé, le suivant arrive.", out);
    int left = game.toSpawn + static_cast<int>(game.zombies.size());
    gameSay(p.id, round + ", " + zombiesText(left, " restant.", " restants."), out);
}

void handleKills(Game&, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    gameSay(p.id, zombiesText(p.kills, " tué", " tués") + ", dont " + std::to_string(p.roundKills) + " dans ce round.",
            out);
}

void handlePoints(Game&, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    gameSay(p.id, "Vous avez " + std::to_string(p.points) + " points.", out);
}

void handleBox(Game& game, GamePlayer& p, FieldCursor&, uint64_t now, std::vector<GameSend>& out) {
    gameSay(p.id, gameBoxDescription(game, now), out);
}

void handleMember(Game& game, GamePlayer& p, FieldCursor& fields, uint64_t, std::vector<GameSend>& out) {
    const std::string index = readRest(fields);
    if (index.size() != 1 || index[0] < '0' || index[0] > '4') return;
    int wanted = index[0] - '0';
    for (const GamePlayer& m : game.players) {
        if (!m.present || wanted-- != 0) continue;
        std::string state = m.life == Life::DOWN  ? "à terre"
                            : m.life == Life::OUT ? "hors jeu jusqu'au prochain round"
                                                  : "santé " + std::to_string(m.health);
        return gameSay(p.id, m.pseudo + ", en " + tileSpoken(m.pos) + ", " + state + ".", out);
    }
    gameSay(p.id, "Personne à cette place.", out);
}

using Handler = void (*)(Game&, GamePlayer&, FieldCursor&, uint64_t, std::vector<GameSend>&);
struct Route {
    Keyword keyword;
    Handler handler;
    bool query; // answered until the players are back in the lobby, the game over or not
};

const Route ROUTES[] = {
    {MSG_MOVE, handleMove, false},          {MSG_SHOOT, handleShoot, false},
    {MSG_ACTION, handleAction, false},      {MSG_RELOAD, handleReload, false},
    {MSG_SWITCH, handleSwitch, false},      {MSG_REVIVE, handleRevive, false},
    {MSG_CHECK_AMMO, handleAmmo, true},     {MSG_CHECK_HEALTH, handleHealth, true},
    {MSG_REQ_ROUND, handleRound, true},     {MSG_REQ_KILLS, handleKills, true},
    {MSG_REQ_POINTS, handlePoints, true},   {MSG_REQ_BOX, handleBox, true},
    {MSG_GET_MEMBER, handleMember, true},
};

// A box weapon on show keeps its loop playing until the client hears it went.
void despawnBoxFor(const Game& game, uint32_t player, std::vector<GameSend>& out) {
    if (game.box.state == BoxState::OFFERED) gameSendTo(player, MSG_BOX_DESPAWN, out);
}

// "le Revolver", "l'AK47", "l'Épée": a weapon named in a sentence.
std::string theWeapon(int weapon) {
    const std::string spoken = WEAPONS[weapon].spoken;
    const bool vowel = std::string("AEIOU").find(spoken[0]) != std::string::npos || spoken.rfind("É", 0) == 0;
    return (vowel ? "l'" : "le ") + spoken;
}

} // namespace

void std::default_delete<Game>::operator()(Game* game) const { delete game; }

void gameSendTo(uint32_t player, const Message& message, std::vector<GameSend>& out) {
    out.push_back(GameSend{player, message.text()});
}

void gameSendAll(const Game& game, const Message& message, std::vector<GameSend>& out) {
    for (const GamePlayer& p : game.players)
        if (p.present) out.push_back(GameSend{p.id, message.text()});
}

void gameSendOthers(const Game& game, uint32_t except, const Message& message, std::vector<GameSend>& out) {
    for (const GamePlayer& p : game.players)
        if (p.present && p.id != except) out.push_back(GameSend{p.id, message.text()});
}

void gameSay(uint32_t player, const std::string& text, std::vector<GameSend>& out) {
    gameSendTo(player, Message(MSG_SAY).field(text), out);
}

void gameAnnounce(uint32_t player, const std::string& text, std::vector<GameSend>& out) {
    out.push_back(GameSend{player, Message(MSG_SAY).field(text).text(), true});
}

void gameAnnounceAll(const Game& game, const std::string& text, std::vector<GameSend>& out) {
    for (const GamePlayer& p : game.players)
        if (p.present) gameAnnounce(p.id, text, out);
}

void gameAnnounceOthers(const Game& game, uint32_t except, const std::string& text, std::vector<GameSend>& out) {
    for (const GamePlayer& p : game.players)
        if (p.present && p.id != except) gameAnnounce(p.id, text, out);
}

bool gamePay(GamePlayer& p, int cost, const std::string& what, std::vector<GameSend>& out) {
    if (p.points >= cost) {
        p.points -= cost;
        return true;
    }
    gameSay(p.id, what + " coûte " + std::to_string(cost) + " points. Vous en avez " + std::to_string(p.points) + ".",
            out);
    return false;
}

int gameRandom(Game& game, int low, int high) { return std::uniform_int_distribution<int>(low, high)(game.rng); }

bool gameCheckOver(Game& game, uint64_t now, std::vector<GameSend>& out) {
    if (game.phase == Phase::OVER || game.phase == Phase::FINISHED) return true;
    for (const GamePlayer& p : game.players)
        if (p.present && (p.life == Life::STANDING || p.selfReviving)) return false;
    game.phase = Phase::OVER;
    if (game.box.state == BoxState::OFFERED) gameSendAll(game, MSG_BOX_DESPAWN, out);
    game.box.state = BoxState::IDLE;
    std::string stats = "Partie terminée au round " + std::to_string(game.round) + ".";
    for (const GamePlayer& p : game.players)
        stats += " " + p.pseudo + " : " + zombiesText(p.kills, " tué", " tués") + ", " + std::to_string(p.earned) + " points.";
    // "Vous etes mort !", then "Partie terminee.", then the figures: each heard whole.
    const uint64_t signalAt = now + SPOKEN_LINE_GAP_MS;
    game.lastWords = {{signalAt, MSG_GAME_OVER_SIGNAL}, {signalAt + SPOKEN_LINE_GAP_MS, Message(MSG_STATS).field(stats)}};
    game.phaseUntil = signalAt + GAME_OVER_LOBBY_MS;
    return true;
}

bool gameConfirmReplace(GamePlayer& p, int weapon, uint64_t now, std::vector<GameSend>& out) {
    const int held = p.slots[2].weapon;
    Confirmation& c = p.confirm;
    if (held < 0 || held == weapon) {
        c.weapon = -1;
        return true;
    }
    if (c.weapon == weapon && now <= c.askedAt + CONFIRM_WINDOW_MS) {
        const bool stillHeld = now < c.lastPressAt + CONFIRM_PAUSE_MS;
        c.lastPressAt = now;
        if (stillHeld) return false;
        c.weapon = -1;
        return true;
    }
    c = Confirmation{weapon, now, now};
    gameSay(p.id, "Prendre " + theWeapon(weapon) + " à la place de votre " + WEAPONS[held].spoken +
                      " ? Appuyez de nouveau sur Entrée pour confirmer.", out);
    return false;
}

std::unique_ptr<Game> gameCreate(const std::vector<GameMember>& members, uint64_t nowMs, uint32_t seed,
                                 std::vector<GameSend>& out) {
    std::unique_ptr<Game> game(new Game);
    game->rng.seed(seed);
    for (const GameMember& m : members) {
        GamePlayer p;
        p.id = m.player;
        p.pseudo = m.pseudo;
        // Every stamp starts at the game's creation, never at the clock's origin.
        p.nextShotAt = p.downAt = p.potionArmedAt = p.moveTimes[0] = p.moveTimes[1] = nowMs;
        p.bittenAt = p.regenAt = p.remindAt = nowMs;
        gameArm(p.slots[0], COUTEAU);
        gameArm(p.slots[1], REVOLVER);
        game->players.push_back(std::move(p));
    }
    gameBoxReset(*game);
    game->box.until = game->nextSpawnAt = game->doublePointsUntil = game->instantKillUntil = nowMs;
    game->phaseUntil = nowMs + FIRST_ROUND_DELAY_MS;
    if (game->players.empty()) game->phase = Phase::FINISHED;
    gameSendAll(*game, MSG_START_MAISON, out);
    // The client places every sound from its own tile: the entrance, not its last lobby tile.
    gameSendAll(*game, Message(MSG_POS).tile(0, 0), out);
    return game;
}

void gameHandle(Game& game, uint32_t player, const std::string& message, uint64_t nowMs, std::vector<GameSend>& out) {
    if (game.phase == Phase::FINISHED) return;
    GamePlayer* p = findPresent(game, player);
    if (!p) return;
    for (const Route& route : ROUTES) {
        if (!matchesKeyword(message, route.keyword)) continue;
        if (game.phase == Phase::OVER && !route.query) return;
        FieldCursor fields = fieldsAfter(message, route.keyword, LineBreak::KEPT);
        return route.handler(game, *p, fields, nowMs, out);
    }
}

void gameTick(Game& game, uint64_t nowMs, std::vector<GameSend>& out) {
    if (game.phase == Phase::FINISHED) return;
    if (game.phase == Phase::OVER) {
        for (; !game.lastWords.empty() && nowMs >= game.lastWords.front().first; game.lastWords.pop_front())
            gameSendAll(game, game.lastWords.front().second, out);
        if (nowMs < game.phaseUntil) return;
        gameSendAll(game, MSG_GOTO_LOBBY, out);
        game.phase = Phase::FINISHED;
        return;
    }
    gameLifeTick(game, nowMs, out);
    gameCombatTick(game, nowMs, out);
    gameBoxTick(game, nowMs, out);
    gameZombiesTick(game, nowMs, out);
}

void gameRemovePlayer(Game& game, uint32_t player, uint64_t nowMs, std::vector<GameSend>& out) {
    GamePlayer* p = findPresent(game, player);
    if (!p) return;
    p->present = false;
    if (game.phase == Phase::FINISHED) return; // already back in the lobby
    p->roundReached = game.round;
    game.pathDirty = true;
    despawnBoxFor(game, p->id, out);
    gameSendTo(p->id, MSG_GOTO_LOBBY, out);
    gameAnnounceOthers(game, p->id, p->pseudo + " a quitté la partie.", out);
    bool anyone = false;
    for (const GamePlayer& q : game.players) anyone = anyone || q.present;
    if (!anyone) game.phase = Phase::FINISHED;
    else gameCheckOver(game, nowMs, out);
}

bool gameFinished(const Game& game) { return game.phase == Phase::FINISHED; }

std::vector<GameResult> gameResults(const Game& game) {
    std::vector<GameResult> results;
    for (const GamePlayer& p : game.players)
        results.push_back(GameResult{p.pseudo, p.earned, p.kills, p.present ? game.round : p.roundReached});
    return results;
}
