#pragma once
// Radio, team and private messages, sent from the text entry and received
// from the server.
#include "input/text_input.h"
#include "protocol/wire.h"

#include <string>

// A submitted chat entry: radio (or a private message written "/mp pseudo
// text" or "@pseudo text") or team.
void sendChat(TextInputMode mode, std::string message);

void onChatRadio(FieldCursor& fields);
void onChatTeam(FieldCursor& fields);
void onChatMpFrom(FieldCursor& fields);
void onChatMpTo(FieldCursor& fields);
