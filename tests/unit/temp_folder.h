#pragma once
// Runs each test in a scratch folder of its own.
#include "scratch.h"

#include <gtest/gtest.h>

#include <optional>

class TempFolder : public testing::Test {
protected:
    void SetUp() override { folder_.emplace(); }
    void TearDown() override { folder_.reset(); }

private:
    std::optional<ScratchFolder> folder_;
};
