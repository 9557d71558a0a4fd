// Reading the fields of server messages, as the game-world handlers use them.
// Texts, names and unsigned numbers are also read by the handlers of incoming_test.
#include "protocol/fields.h"

#include <gtest/gtest.h>

namespace {

// Every signed number of `text`, one separator apart: its value, or "!" when
// refused with 0. A refusal that leaves digits behind shows as extra numbers.
std::string ints(std::string_view text) {
    FieldCursor f = fieldsAfter(text, 0);
    std::string out;
    do {
        int32_t v = 5;
        const bool ok = readInt(f, v);
        out += (out.empty() ? "" : " ") + (ok ? std::to_string(v) : v == 0 ? "!" : "?");
        skipSeparator(f);
    } while (f.pos < f.text.size());
    return out;
}

} // namespace

TEST(Fields, SignedNumbersKeepTheNextFieldInPlace) {
    EXPECT_EQ(ints("17,-3;+250"), "17 -3 250");
    EXPECT_EQ(ints("2147483647,-2147483648"), "2147483647 -2147483648");
    EXPECT_EQ(ints("99999999999999999999999,7,2147483648,-2147483649"), "! 7 ! !");
    EXPECT_EQ(ints("-,x"), "! ! !") << "a lone sign is not consumed";
}

TEST(Fields, NamesNumbersAndTheEndReadInOrder) {
    FieldCursor f = fieldsAfter("Z_HIT:17,AK47:-3", 6);
    int32_t v = 0;
    EXPECT_TRUE(readInt(f, v));
    skipSeparator(f);
    EXPECT_EQ(readName(f), "AK47");
    EXPECT_TRUE(readInt(f, v));
    EXPECT_EQ(v, -3);
    EXPECT_EQ(readRest(f), "");

    // A name without ':' runs to the end; reading past the end is harmless.
    f = fieldsAfter("X:seul", 2);
    EXPECT_EQ(readName(f), "seul");
    EXPECT_EQ(readName(f), "");
    f = fieldsAfter("P:", 10);
    skipSeparator(f);
    EXPECT_FALSE(readInt(f, v));
    EXPECT_EQ(readName(f), "");
    EXPECT_EQ(readRest(f), "");
}
