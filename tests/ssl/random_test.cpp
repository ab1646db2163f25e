// Random bytes from the system generator: every value turns up, runs are
// short, and seeding does not replay the sequence.
#include "ssl/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace kestrel {
namespace {

TEST(RandomTest, GivesEveryByteValueAndNoLongRuns) {
    // With 8192 uniform draws a value is missing with probability about 3e-12.
    std::array<int, 256> counts = {};
    int run = 1;
    int longestRun = 1;
    uint8_t previous = randomByte();
    for (int draw = 0; draw < 8192; ++draw) {
        const uint8_t byte = randomByte();
        ++counts[byte];
        run = byte == previous ? run + 1 : 1;
        longestRun = std::max(longestRun, run);
        previous = byte;
    }
    for (int value = 0; value < 256; ++value) {
        EXPECT_GT(counts[value], 0) << "value " << value;
        // The mean is 32; 100 is far beyond any plausible deviation.
        EXPECT_LT(counts[value], 100) << "value " << value;
    }
    EXPECT_LT(longestRun, 5);
}

TEST(RandomTest, SeedingDoesNotReplayTheSequence) {
    seedRandom();
    std::vector<uint8_t> first(32);
    for (uint8_t& byte : first) {
        byte = randomByte();
    }
    seedRandom();
    std::vector<uint8_t> second(32);
    for (uint8_t& byte : second) {
        byte = randomByte();
    }
    EXPECT_NE(first, second);
}

}  // namespace
}  // namespace kestrel
