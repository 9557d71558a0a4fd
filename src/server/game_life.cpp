// A player's health: bites, health coming back, going down, being revived by
// a team mate or a potion, and being out until the next round. Team mates
// hear who is down, where, and what became of him; the fallen player hears
// what he may still hope for.
#include "server/game_state.h"

namespace {

// Whole seconds from now to `until`, rounded up.
std::string secondsTo(uint64_t now, uint64_t until) {
    return std::to_string(now >= until ? 0 : (until - now + 999) / 1000);
}

// Up again or out: a hope still waiting to be said would be wrong.
void takeBackHope(GamePlayer& p, std::vector<GameSend>& out) {
    if (p.hope.empty()) return;
    out.push_back(GameSend{p.id, Message(MSG_SAY).field(p.hope).text(), false, true});
    p.hope.clear();
}

void bleedOut(Game& game, GamePlayer& p, std::vector<GameSend>& out) {
    takeBackHope(p, out);
    p.life = Life::OUT;
    gameSendTo(p.id, MSG_YOU_DIED, out);
    gameAnnounce(p.id, "Vous êtes hors jeu jusqu'au prochain round.", out);
    gameAnnounceOthers(game, p.id, p.pseudo + " est hors jeu jusqu'au prochain round.", out);
}

} // namespace

bool gameIsStanding(const GamePlayer& p) { return p.present && p.life == Life::STANDING; }

bool gameIsPrey(const GamePlayer& p, uint64_t now) { return gameIsStanding(p) && now >= p.graceUntil; }

void gameStandUp(Game& game, GamePlayer& p, int health, uint64_t now, std::vector<GameSend>& out) {
    p.life = Life::STANDING;
    p.health = health;
    p.selfReviving = false;
    p.bittenAt = now; // health comes back as after a bite
    p.graceUntil = now + REVIVE_GRACE_MS;
    game.pathDirty = true;
    takeBackHope(p, out);
    gameSendTo(p.id, MSG_REVIVED, out);
}

void gameBite(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    p.health = std::max(0, p.health - BITE_DAMAGE);
    p.bittenAt = now;
    gameSendAll(game, Message(MSG_PLAYER_HIT).field(p.pseudo).number(BITE_DAMAGE), out);
    if (p.health == 0) gamePlayerDown(game, p, now, out);
}

void gamePlayerDown(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    p.health = 0;
    p.life = Life::DOWN;
    p.downAt = now;
    p.selfReviving = p.potionArmed;
    p.potionArmed = false;
    game.pathDirty = true;
    gameSendAll(game, Message(MSG_PLAYER_DOWN).field(p.pseudo).tile(p.pos.x, p.pos.y), out);
    if (gameCheckOver(game, now, out)) return;
    // His client has just said "Vous etes mort !": what he may still hope for comes after it.
    p.hope = gameLifeText(p, now);
    gameAnnounce(p.id, p.hope, out);
    const std::string chance = p.selfReviving
                                 ? ", sa potion agit dans " + std::to_string(POTION_REVIVE_MS / 1000) + " secondes."
                                 : ". Réanimation possible pendant " + std::to_string(DOWN_TIMEOUT_MS / 1000) + " secondes.";
    gameAnnounceOthers(game, p.id, p.pseudo + " est à terre en " + tileSpoken(p.pos) + chance, out);
}

void gameRevive(Game& game, GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    if (p.life != Life::STANDING) return;
    for (GamePlayer& other : game.players) {
        if (!other.present || other.life != Life::DOWN || !houseNextTo(p.pos, other.pos)) continue;
        gameStandUp(game, other, REVIVE_HEALTH, now, out);
        gameSay(p.id, "Vous avez réanimé " + other.pseudo + ".", out);
        for (const GamePlayer& q : game.players)
            if (q.present && q.id != other.id && q.id != p.id)
                gameAnnounce(q.id, p.pseudo + " a réanimé " + other.pseudo + ".", out);
        return;
    }
    gameSay(p.id, "Personne à réanimer à côté de vous.", out);
}

std::string gameLifeText(const GamePlayer& p, uint64_t now) {
    if (p.life == Life::OUT) return "Vous êtes hors jeu jusqu'au prochain round.";
    if (p.life == Life::STANDING) return "Santé : " + std::to_string(p.health) + " sur 100.";
    if (p.selfReviving)
        return "Vous êtes à terre : votre potion vous relève dans " + secondsTo(now, p.downAt + POTION_REVIVE_MS) +
               " secondes.";
    return "Vous êtes à terre : un coéquipier a encore " + secondsTo(now, p.downAt + DOWN_TIMEOUT_MS) +
           " secondes pour vous réanimer.";
}

void gameRemindDown(GamePlayer& p, uint64_t now, std::vector<GameSend>& out) {
    if (now < p.remindAt) return;
    p.remindAt = now + DOWN_REMINDER_GAP_MS;
    gameSay(p.id, gameLifeText(p, now), out);
}

void gameLifeTick(Game& game, uint64_t now, std::vector<GameSend>& out) {
    for (GamePlayer& p : game.players) {
        if (!p.present) continue;
        if (p.potionArming && now >= p.potionArmedAt) {
            p.potionArming = false;
            p.potionArmed = true;
            gameSendTo(p.id, MSG_SECOND_CHANCE_READY, out);
        }
        if (p.graceUntil != 0 && now >= p.graceUntil) {
            p.graceUntil = 0;
            game.pathDirty = true; // hunted again
        }
        if (p.life == Life::STANDING && p.health < START_HEALTH && now >= p.bittenAt + REGEN_DELAY_MS &&
            now >= p.regenAt) {
            p.health = std::min(START_HEALTH, p.health + REGEN_STEP);
            p.regenAt = now + REGEN_EVERY_MS;
        }
        if (p.life != Life::DOWN) continue;
        if (p.selfReviving && now >= p.downAt + POTION_REVIVE_MS) {
            gameStandUp(game, p, START_HEALTH, now, out);
            gameAnnounceOthers(game, p.id, p.pseudo + " se relève grâce à sa potion.", out);
        } else if (!p.selfReviving && now >= p.downAt + DOWN_TIMEOUT_MS) {
            bleedOut(game, p, out);
        }
    }
}
