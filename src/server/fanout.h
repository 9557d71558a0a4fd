#pragma once
// Who hears whose steps in the lobby. The client plays at most 8 other
// players' sounds at once, the nearest first, and a step carries across the
// whole 21-tile lobby: sending every step to everyone costs 4N² messages a
// second and tells a player nothing more. So each player hears the steps of
// the FANOUT_NEAREST players nearest to him only, chosen afresh as anyone
// moves; joins, leaves, chat and the player list still go to everyone.
//
// Moves are gathered until fanoutFlush (once per tick): a mover is sent at
// his latest tile, once per tick to each player who has him among his
// nearest. A player who comes into another's nearest is sent where he stands
// even if he did not move, so nobody near is left unheard; one who drops out
// causes nothing (the client keeps no one's position beyond the step sound).
//
// Cost: the lobby is a grid of tiles holding who stands there. A tick
// recomputes only the sets a move may change: the mover's own, those of
// players he moved out of reach of, and those he came within reach of; each
// recomputation walks the tiles outward from the player until it has its
// nearest, a few dozen tiles when the lobby is full.
#include "server/server.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Twice the client's limit of players heard at once: the 8 it plays are the
// nearest of those who step at that moment, not always of all.
constexpr size_t FANOUT_NEAREST = 16;

// A player comes into the lobby at a tile (or, already there, stands on it).
void fanoutEnter(uint32_t player, const std::string& pseudo, int x, int y);
// His new tile; those who hear him are sent it at the next flush.
void fanoutMove(uint32_t player, int x, int y);
// He leaves the lobby: into a game, or gone.
void fanoutLeave(uint32_t player);
// Once per tick: the sets that may have changed are chosen again, newcomers
// to a set are sent where they stand, and each mover's latest tile goes to
// those who have him in theirs.
void fanoutFlush(Outbox& out);
// Run lifetime: nobody in the lobby.
void fanoutReset();
