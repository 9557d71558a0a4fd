#pragma once
#include <cstdint>

extern uint32_t introStartTime;
extern bool introPhase1Done;
extern bool introSpeech2Done;
// The intro is over: the main loop polls the keys from now on.
extern bool introPhase2Done;
extern bool introFading;
extern uint32_t hIntro;

void startIntro();
// One step, driven by the wall clock, on every foreground frame until the intro is over.
void updateIntro();
// Ends the intro (once): fades its music out and hands over to the main menu.
void skipIntro();

// Whole run: not started.
void resetIntro();
