// Reading the fields of server messages, as the game-world handlers use them.
#include "net/fields.h"

#include <gtest/gtest.h>

TEST(Fields, PositionsNamesAndRestReadInOrder) {
    // "Z_HIT:" id sep weapon ":" x sep y
    std::string message = "Z_HIT:17,AK47:-3;250";
    FieldCursor f = fieldsAfter(message, 6);
    int32_t id, x, y;
    EXPECT_TRUE(readInt(f, id));
    skipSeparator(f);
    EXPECT_EQ(readName(f), "AK47");
    EXPECT_TRUE(readInt(f, x));
    skipSeparator(f);
    EXPECT_TRUE(readInt(f, y));
    EXPECT_EQ(id, 17);
    EXPECT_EQ(x, -3);
    EXPECT_EQ(y, 250);
    EXPECT_EQ(readRest(f), "");

    // A name without ':' runs to the end; the rest keeps its ':'; a line break ends the fields.
    message = "CHAT_TEAM_FROM:Léa:rdv : porte 2\r\nSAY:x";
    f = fieldsAfter(message, 15);
    EXPECT_EQ(readName(f), "Léa");
    EXPECT_EQ(readRest(f), "rdv : porte 2");
    message = "X:seul";
    f = fieldsAfter(message, 2);
    EXPECT_EQ(readName(f), "seul");
    EXPECT_EQ(readName(f), "");
    EXPECT_EQ(readRest(f), "");
}

TEST(Fields, BadNumbersReadAsZeroAndKeepTheNextFieldInPlace) {
    int32_t v = 5;
    std::string message = "P:99999999999999999999999,7";
    FieldCursor f = fieldsAfter(message, 2);
    EXPECT_FALSE(readInt(f, v));
    EXPECT_EQ(v, 0);
    skipSeparator(f);
    EXPECT_TRUE(readInt(f, v));
    EXPECT_EQ(v, 7);

    message = "P:2147483647,-2147483648,2147483648,-2147483649";
    f = fieldsAfter(message, 2);
    EXPECT_TRUE(readInt(f, v));
    EXPECT_EQ(v, INT32_MAX);
    skipSeparator(f);
    EXPECT_TRUE(readInt(f, v));
    EXPECT_EQ(v, INT32_MIN);
    skipSeparator(f);
    EXPECT_FALSE(readInt(f, v));
    skipSeparator(f);
    EXPECT_FALSE(readInt(f, v));
    EXPECT_EQ(readRest(f), "");

    message = "P:-,x";
    f = fieldsAfter(message, 2);
    EXPECT_FALSE(readInt(f, v));
    EXPECT_EQ(readRest(f), "-,x") << "a lone sign is not consumed";

    uint32_t u = 1;
    message = "P:4294967295 4294967296 -1";
    f = fieldsAfter(message, 2);
    EXPECT_TRUE(readUint32(f, u));
    EXPECT_EQ(u, 4294967295u);
    skipSeparator(f);
    EXPECT_FALSE(readUint32(f, u));
    EXPECT_EQ(u, 0u);
    skipSeparator(f);
    EXPECT_FALSE(readUint32(f, u));

    // Nothing left: every read is harmless.
    message = "P:";
    f = fieldsAfter(message, 10);
    skipSeparator(f);
    EXPECT_FALSE(readInt(f, v));
    EXPECT_EQ(readName(f), "");
    EXPECT_EQ(readRest(f), "");
}
