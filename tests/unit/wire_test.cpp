// The wire both ends share: what one end writes, the other reads back field
// for field; where a keyword ends; where a packet's message ends.
#include "protocol/wire.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// Every signed number of `text`, one separator apart: its value, or "!" when
// refused with 0. A refusal that leaves digits behind shows as extra numbers.
std::string ints(std::string_view text) {
    FieldCursor f{text, 0};
    std::string out;
    do {
        int32_t v = 5;
        const bool ok = readInt(f, v);
        out += (out.empty() ? "" : " ") + (ok ? std::to_string(v) : v == 0 ? "!" : "?");
        if (f.pos < f.text.size()) ++f.pos;
    } while (f.pos < f.text.size());
    return out;
}

} // namespace

TEST(Wire, WhatOneEndWritesTheOtherReadsBack) {
    const Message hit = Message(MSG_Z_HIT).id(-7).field("Couteau").tile(3, -4);
    EXPECT_EQ(hit.text(), "Z_HIT:-7,Couteau:3,-4");
    FieldCursor f = fieldsAfter(hit.text(), MSG_Z_HIT);
    EXPECT_EQ(readId(f), -7);
    EXPECT_EQ(readField(f), "Couteau");
    const TileField t = readTile(f);
    EXPECT_TRUE(t.valid && t.x == 3 && t.y == -4);

    const Message ranking = Message(MSG_RANKING).field(RANKING_KILLS).list({"1;Léa;87", "", "2;Bob;3"});
    EXPECT_EQ(ranking.text(), "RANKING:KILLS:1;Léa;87||2;Bob;3");
    f = fieldsAfter(ranking.text(), MSG_RANKING);
    EXPECT_EQ(readField(f), "KILLS");
    EXPECT_EQ(readList(f), (std::vector<std::string>{"1;Léa;87", "2;Bob;3"})) << "empty entries are dropped";
    EXPECT_EQ(Message(MSG_TEAM_LIST).list({}).text(), "TEAM_LIST:");

    const Message ping = Message(MSG_PING).number(4294967295u);
    f = fieldsAfter(ping.text(), MSG_PING);
    uint32_t tick = 0;
    EXPECT_TRUE(readUint32(f, tick) && tick == 4294967295u);
    // The last field keeps its ':'; a line break ends the message.
    const Message chat = Message(MSG_CHAT_MP).field("Zoé").field("rdv : porte 2\r\nSAY:x");
    f = fieldsAfter(chat.text(), MSG_CHAT_MP);
    EXPECT_EQ(readField(f), "Zoé");
    EXPECT_EQ(readRest(f), "rdv : porte 2");
    // The server keeps every byte, to refuse what a line break would hide.
    f = fieldsAfter(chat.text(), MSG_CHAT_MP, LineBreak::KEPT);
    EXPECT_EQ(fieldsLeft(f), 4u);
    EXPECT_EQ(readField(f), "Zoé");
    EXPECT_EQ(readRest(f), "rdv : porte 2\r\nSAY:x");
    EXPECT_EQ(Message(MSG_SHOOT).text(), "SHOOT");
}

TEST(Wire, KeywordsEndWhereTheyShouldAndPacketsAtTheirNul) {
    EXPECT_TRUE(matchesKeyword("ROUND_END", MSG_ROUND_END));
    EXPECT_FALSE(matchesKeyword("ROUND_END_KILLS:Léa:3", MSG_ROUND_END));
    EXPECT_FALSE(matchesKeyword("ROUND_END ", MSG_ROUND_END));
    EXPECT_TRUE(matchesKeyword("ROUND_END_KILLS:", MSG_ROUND_END_KILLS));
    EXPECT_FALSE(matchesKeyword("ROUND_END_KILLS", MSG_ROUND_END_KILLS));
    EXPECT_FALSE(matchesKeyword("REGISTER_OK:bienvenue", MSG_REGISTER_OK));
    EXPECT_TRUE(matchesKeyword("REGISTER_OK:bienvenue", MSG_REGISTER_OK, KeywordMatch::PREFIX));

    EXPECT_EQ(packetMessage("SAY:avant\0SAY:apres"s), "SAY:avant");
    EXPECT_EQ(packetMessage("SAY:sans fin"), "SAY:sans fin");
    EXPECT_EQ(packetMessage("\0SAY:x"s), "");
}

TEST(Wire, SignedNumbersKeepTheNextFieldInPlace) {
    EXPECT_EQ(ints("17,-3;+250"), "17 -3 250");
    EXPECT_EQ(ints("2147483647,-2147483648"), "2147483647 -2147483648");
    EXPECT_EQ(ints("99999999999999999999999,7,2147483648,-2147483649"), "! 7 ! !");
    EXPECT_EQ(ints("-,x"), "! ! !") << "a lone sign is not consumed";
}
