#include "world/rounds.h"

#include "core/speech.h"
#include "audio/playback.h"
#include "world/world_state.h"
#include "world/zombies.h"

std::string killsSentence(const std::string& list) {
    std::string sentence = "Round terminé. Nombre de kill par joueur : ";
    bool first = true;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('|', start);
        if (end == std::string::npos) end = list.size();
        const std::string entry = list.substr(start, end - start);
        start = end + 1;
        const size_t colon = entry.rfind(':');
        if (entry.empty() || colon == std::string::npos) continue;
        if (!first) sentence += ". ";
        sentence += entry.substr(0, colon) + " : " + entry.substr(colon + 1);
        first = false;
    }
    return sentence;
}

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
    say(killsSentence(readRest(f)));
}

void onRoundEnd(FieldCursor&) {
    playSound("round_over", -1, -1);
    say("Round terminé");
}
