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

// Nobody stands and no potion will lift anyone: the game is over.
void checkGameOver(Game& game, uint64_t now, std::vector<GameSend>& out) {
    if (game.phase == Phase::OVER || game.phase == Phase::FINISHED) return;
    for (const GamePlayer& p : game.players)
        if (p.present && (p.life == Life::STANDING || p.selfReviving)) return;
    game.phase = Phase::OVER;
    game.phaseUntil = now + GAME_OVER_LOBBY_MS;
    std::string stats = "Partie terminée au round " + std::to_string(game.round) + ".";
    for (const GamePlayer& p : game.players)
        stats += " " + p.pseudo + " : " + zombiesText(p.kills, " tué", " tués") + ", " + std::to_string(p.earned) + " points.";
    gameSendAll(game, MSG_GAME_OVER_SIGNAL, out);
    gameSendAll(game, Message(MSG_STATS).field(stats), out);
}

void handleMove(Game& game, GamePlayer& p, FieldCursor& fields, uint64_t now, std::vector<GameSend>& out) {
    const std::string way = readRest(fields);
    if (way.size() != 1 || p.life != Life::STANDING) return;
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

void handleRevive(Game& game, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    if (p.life != Life::STANDING) return;
    for (GamePlayer& other : game.players) {
        if (!other.present || other.life != Life::DOWN || !houseNextTo(p.pos, other.pos)) continue;
        gameStandUp(game, other, REVIVE_HEALTH, out);
        for (const GamePlayer& q : game.players)
            if (q.present && q.id != other.id)
                gameSay(q.id, q.id == p.id ? "Vous avez réanimé " + other.pseudo + "."
                                           : p.pseudo + " a réanimé " + other.pseudo + ".", out);
        return;
    }
    gameSay(p.id, "Personne à réanimer à côté de vous.", out);
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

void handleHealth(Game&, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    std::string text = p.life == Life::DOWN ? "Vous êtes à terre."
                       : p.life == Life::OUT ? "Vous êtes hors jeu jusqu'au prochain round."
                                             : "Santé : " + std::to_string(p.health) + " sur 100.";
    gameSendTo(p.id, Message(MSG_HEALTH_MSG).field(text), out);
}

void handleRound(Game& game, GamePlayer& p, FieldCursor&, uint64_t, std::vector<GameSend>& out) {
    std::string round = "Round " + std::to_string(game.round);
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
};

const Route ROUTES[] = {
    {MSG_MOVE, handleMove},         {MSG_SHOOT, handleShoot},         {MSG_ACTION, handleAction},
    {MSG_RELOAD, handleReload},     {MSG_SWITCH, handleSwitch},       {MSG_CHECK_AMMO, handleAmmo},
    {MSG_CHECK_HEALTH, handleHealth}, {MSG_REVIVE, handleRevive},     {MSG_REQ_ROUND, handleRound},
    {MSG_REQ_KILLS, handleKills},   {MSG_REQ_POINTS, handlePoints},   {MSG_REQ_BOX, handleBox},
    {MSG_GET_MEMBER, handleMember},
};

void tickPlayers(Game& game, uint64_t now, std::vector<GameSend>& out) {
    for (GamePlayer& p : game.players) {
        if (!p.present) continue;
        if (p.potionArming && now >= p.potionArmedAt) {
            p.potionArming = false;
            p.potionArmed = true;
            gameSendTo(p.id, MSG_SECOND_CHANCE_READY, out);
        }
        if (p.life != Life::DOWN) continue;
        if (p.selfReviving && now >= p.downAt + POTION_REVIVE_MS) {
            gameStandUp(game, p, START_HEALTH, out);
            gameSendOthers(game, p.id, Message(MSG_SAY).field(p.pseudo + " se relève grâce à sa potion."), out);
        } else if (!p.selfReviving && now >= p.downAt + DOWN_TIMEOUT_MS) {
            p.life = Life::OUT;
            gameSendTo(p.id, MSG_YOU_DIED, out);
            gameSendOthers(game, p.id, Message(MSG_SAY).field(p.pseudo + " est hors jeu jusqu'au prochain round."),
                           out);
        }
    }
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

bool gameIsStanding(const GamePlayer& p) { return p.present && p.life == Life::STANDING; }

void gameStandUp(Game& game, GamePlayer& p, int health, std::vector<GameSend>& out) {
    p.life = Life::STANDING;
    p.health = health;
    p.selfReviving = false;
    game.pathDirty = true;
    gameSendTo(p.id, MSG_REVIVED, out);
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

void gamePlayerDown(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    p.health = 0;
    p.life = Life::DOWN;
    p.downAt = now;
    p.selfReviving = p.potionArmed;
    p.potionArmed = false;
    game.pathDirty = true;
    gameSendAll(game, Message(MSG_PLAYER_DOWN).field(p.pseudo).tile(p.pos.x, p.pos.y), out);
    checkGameOver(game, now, out);
}

std::unique_ptr<Game> gameCreate(const std::vector<GameMember>& members, uint64_t nowMs, uint32_t seed,
                                 std::vector<GameSend>& out) {
    std::unique_ptr<Game> game(new Game);
    game->rng.seed(seed);
    for (const GameMember& m : members) {
        GamePlayer p;
        p.id = m.player;
        p.pseudo = m.pseudo;
        // Every "not before" stamp starts at the game's creation, never at the clock's origin.
        p.nextShotAt = p.downAt = p.potionArmedAt = p.moveTimes[0] = p.moveTimes[1] = nowMs;
        gameArm(p.slots[0], COUTEAU);
        gameArm(p.slots[1], REVOLVER);
        game->players.push_back(std::move(p));
    }
    gameBoxReset(*game);
    game->box.until = game->nextSpawnAt = game->doublePointsUntil = game->instantKillUntil = nowMs;
    game->phaseUntil = nowMs + FIRST_ROUND_DELAY_MS;
    if (game->players.empty()) game->phase = Phase::FINISHED;
    gameSendAll(*game, MSG_START_MAISON, out);
    return game;
}

void gameHandle(Game& game, uint32_t player, const std::string& message, uint64_t nowMs, std::vector<GameSend>& out) {
    if (game.phase == Phase::OVER || game.phase == Phase::FINISHED) return;
    GamePlayer* p = findPresent(game, player);
    if (!p) return;
    for (const Route& route : ROUTES) {
        if (!matchesKeyword(message, route.keyword)) continue;
        FieldCursor fields = fieldsAfter(message, route.keyword, LineBreak::KEPT);
        return route.handler(game, *p, fields, nowMs, out);
    }
}

void gameTick(Game& game, uint64_t nowMs, std::vector<GameSend>& out) {
    if (game.phase == Phase::FINISHED) return;
    if (game.phase == Phase::OVER) {
        if (nowMs < game.phaseUntil) return;
        gameSendAll(game, MSG_GOTO_LOBBY, out);
        game.phase = Phase::FINISHED;
        return;
    }
    tickPlayers(game, nowMs, out);
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
    gameSendTo(p->id, MSG_GOTO_LOBBY, out);
    gameSendAll(game, Message(MSG_SAY).field(p->pseudo + " a quitté la partie."), out);
    bool anyone = false;
    for (const GamePlayer& q : game.players) anyone = anyone || q.present;
    if (!anyone) game.phase = Phase::FINISHED;
    else checkGameOver(game, nowMs, out);
}

bool gameFinished(const Game& game) { return game.phase == Phase::FINISHED; }

std::vector<GameResult> gameResults(const Game& game) {
    std::vector<GameResult> results;
    for (const GamePlayer& p : game.players)
        results.push_back(GameResult{p.pseudo, p.earned, p.kills, p.present ? game.round : p.roundReached});
    return results;
}
