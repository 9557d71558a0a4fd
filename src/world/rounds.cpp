#include "world/rounds.h"

#include "core/speech.h"
#include "audio/playback.h"
#include "world/world_state.h"
#include "world/zombies.h"

namespace {

// "pseudo : count" for each entry "pseudo:count" that has a ':', ". " between two.
std::string killsSentence(const std::vector<std::string>& entries) {
    std::string sentence = "Round terminé. Nombre de kill par joueur : ";
    bool first = true;
    for (const std::string& entry : entries) {
        const size_t colon = entry.rfind(':');
        if (colon == std::string::npos) continue;
        if (!first) sentence += ". ";
        sentence += entry.substr(0, colon) + " : " + entry.substr(colon + 1);
        first = false;
    }
    return sentence;
}

} // namespace

void onRoundStart(FieldCursor& f) {
    int32_t round = 0;
    if (!readInt(f, round)) return;
    currentRound = round;
    clearZombies();
    playSound("round_start", -1, -1);
    say("Round " + std::to_string(currentRound));
}

void onRoundEndKills(FieldCursor& f) {
    playSound("round_over", -1, -1);
    say(killsSentence(readList(f)));
}

void onRoundEnd(FieldCursor&) {
    playSound("round_over", -1, -1);
    say("Round terminé");
}
