#pragma once
// One keyboard poll for whatever has the focus; called once per foreground
// frame. The scenes own their keys; this decides who gets them.
void updateInputs();
