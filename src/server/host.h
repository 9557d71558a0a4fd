#pragma once
// The ENet side of the server: one host per port, one session per peer, one
// text message per reliable packet on channel 0 with a NUL after the text.
// A thin layer: every rule is in server.h.
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>

// Opens the main port and, when `openTest`, the test port, each for `peers`
// connections at once. False when one cannot be bound.
bool hostOpen(uint16_t port, uint16_t testPort, bool openTest, size_t peers);
// The port actually bound (the same as asked, unless 0 was asked); 0 when closed.
uint16_t hostPort(bool test);
// Services both ports and the server's clock until `stop` becomes non-zero.
// Each pass handles a bounded share of the network's events, then ticks the
// server, sends and looks at `stop`: a flood never holds the games or the end.
void hostRun(const volatile std::sig_atomic_t& stop);
// Ends every connection and closes the ports.
void hostClose();
// The monotonic clock, in milliseconds; 64 bits never wrap.
uint64_t hostClockMs();
// One time-stamped line on standard output.
void hostLog(const std::string& line);
