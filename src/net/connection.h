#pragma once
// The one connection to the game server over ENet. Every message either way
// is one reliable packet on channel 0: the text followed by a NUL byte.
#include "build_config.h"
#include "protocol/wire.h"

#include <cstdint>
#include <string>

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

// Host name of the game servers, chosen when the build is configured.
constexpr const char* HOSTNAME = ASHEN_SERVER_HOST;
constexpr uint16_t PORT_MAIN = 1234;
constexpr uint16_t PORT_TEST = 1235;

// Both null while not connected; kept after the server drops the connection
// (sends then go nowhere) until disconnectFromServer or the next connect.
extern ENetHost* client;
extern ENetPeer* serverPeer;

// Blocks up to 5 s; true only once the server has accepted the connection.
// An existing connection is closed first; a failed attempt leaves nothing open.
bool connectToServer(const std::string& host, uint16_t port);

// Handles every pending network event without waiting: each received message
// goes to handleIncomingPacket, in arrival order.
void updateNetworkStatus();

// Closes the connection without waiting for the server's acknowledgement.
void disconnectFromServer();

// The state that lives as long as one connection starts afresh: called once
// the server has accepted a new connection, before anything arrives on it.
// Defined by the app, which knows what that state is.
void startConnectionState();

// Where every received packet goes, its bytes as they came, one at a time, in
// arrival order; never throws. Defined by the app, which knows what messages mean.
void handleIncomingPacket(const std::string& bytes);

// Sends one message; nothing happens while not connected.
void sendMessage(const Message& message);
