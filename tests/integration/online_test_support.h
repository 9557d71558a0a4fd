#pragma once
// The whole client against a stand-in game server: typed text and the
// server's replies scripted on the fake clock.
#include "client_test_support.h"
#include "enet_test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <string>
#include <thread>

class Online : public ClientTest {
protected:
    // Skips the intro, opens the server list and picks "Serveur Principal" at 700.
    static void chooseMainServer() {
        for (uint32_t at : {100u, 400u, 700u}) press(VK_RETURN, at);
    }
    // Typed text arrives as window events at `at`.
    static void typeAt(uint32_t at, const std::string& text) {
        fake::at(at, [text] { fake::pushText(text); });
    }
    // At `at`, waits (real time) for the server to have received `count`
    // packets, then lets the replies travel before the client's next frame.
    static void awaitPackets(EnetTestServer& server, uint32_t at, size_t count,
                             std::initializer_list<std::string> replies = {}) {
        fake::at(at, [&server, count, sent = std::vector<std::string>(replies)] {
            server.messages(count);
            for (const std::string& reply : sent) server.send(reply);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        });
    }
    // Each text was spoken, in this order (others may come between).
    static void expectHeardInOrder(std::initializer_list<std::string> texts) {
        auto at = fake::spoken().begin();
        for (const std::string& text : texts) {
            at = std::find(at, fake::spoken().end(), text);
            ASSERT_NE(at, fake::spoken().end()) << "not heard in order: " << text;
        }
    }
};
