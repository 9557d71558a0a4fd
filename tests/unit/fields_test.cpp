// Signed numbers in server messages; names, tiles and the rest are read through
// the handlers of incoming_test.
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
