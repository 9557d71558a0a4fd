#pragma once
// The game world's small sound events: footsteps, hits, the game-over and
// instant-kill sounds, and the spoken report of the mixer for testing by ear.
#include <string>

// One of the two zombie steps at random, at that tile.
void playZombieStep(int x, int y);
// "death_walker" for a kill, else the weapon's impact (exact names).
void playImpactSound(const std::string& weapon, bool killed, int x, int y);

void stopGameOverSound();
void stopInstantKillSound();
// Follows the effects level while it plays; forgets a playback that ended.
void refreshInstantKillVolume();

// Speaks how many playbacks are live, silenced and on each limited bus.
void speakAudioDebug();
