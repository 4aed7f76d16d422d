// The process-wide lagged random source.
#include "quiz/random_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "support/random_start.h"

namespace {

struct SLags {
    int32_t first, second, third;
};

SLags Lags() {
    SLags lags{};
    GetRandomLags(lags.first, lags.second, lags.third);
    return lags;
}

class RandomSource : public ::testing::Test {
protected:
    void SetUp() override { RestartRandomSource(); }
    void TearDown() override { RestartRandomSource(); }
};

} // namespace

TEST_F(RandomSource, TableStartsWithFibonacciNumbersLargestFirst) {
    EXPECT_EQ(GetRandomTableEntry(0), 28657);
    EXPECT_EQ(GetRandomTableEntry(1), 17711);
    EXPECT_EQ(GetRandomTableEntry(2), 10946);
    EXPECT_EQ(GetRandomTableEntry(19), 3);
    EXPECT_EQ(GetRandomTableEntry(20), 2);
    EXPECT_EQ(GetRandomTableEntry(21), 1);
}

TEST_F(RandomSource, BelowZeroChangesNothing) {
    SetRandomLags(5, 6, 7);
    EXPECT_EQ(RandomBelow(0), 0);
    const SLags lags = Lags();
    EXPECT_EQ(lags.first, 5);
    EXPECT_EQ(lags.second, 6);
    EXPECT_EQ(lags.third, 7);
    EXPECT_EQ(GetRandomTableEntry(7), 987); // untouched
}

TEST_F(RandomSource, BelowOneIsZeroAndStillAdvances) {
    SetRandomLags(5, 6, 7);
    EXPECT_EQ(RandomBelow(1), 0);
    const SLags lags = Lags();
    EXPECT_EQ(lags.first, 4);
    EXPECT_EQ(lags.second, 5);
    EXPECT_EQ(lags.third, 6);
    EXPECT_EQ(GetRandomTableEntry(7), 2584 + 1597 + 987);
}

TEST_F(RandomSource, EqualLagsAddTheSameEntryThreeTimes) {
    SetRandomLags(0, 0, 0);
    EXPECT_EQ(RandomBelow(1000), 85971 % 1000);
    EXPECT_EQ(GetRandomTableEntry(0), 3 * 28657);
    const SLags lags = Lags();
    EXPECT_EQ(lags.first, 21);
    EXPECT_EQ(lags.second, 21);
    EXPECT_EQ(lags.third, 21);
    // They stay together: the next draw triples entry 21.
    EXPECT_EQ(RandomBelow(100), 3);
    EXPECT_EQ(GetRandomTableEntry(21), 3);
}

TEST_F(RandomSource, DistinctLagsAddThreeEntriesAndStoreAtTheThird) {
    SetRandomLags(2, 1, 0);
    const int32_t sum = 10946 + 17711 + 28657;
    EXPECT_EQ(RandomBelow(10), sum % 10);
    EXPECT_EQ(GetRandomTableEntry(0), sum);
    EXPECT_EQ(GetRandomTableEntry(1), 17711);
    EXPECT_EQ(GetRandomTableEntry(2), 10946);
    const SLags lags = Lags();
    EXPECT_EQ(lags.first, 1);
    EXPECT_EQ(lags.second, 0);
    EXPECT_EQ(lags.third, 21);
    // Next: entries 1, 0 (just stored) and 21 into entry 21.
    EXPECT_EQ(RandomBelow(1000000), 17711 + sum + 1);
    EXPECT_EQ(GetRandomTableEntry(21), 17711 + sum + 1);
}

TEST_F(RandomSource, LagsAreTakenModuloTheTableSize) {
    SetRandomLags(22, 45, -1);
    const SLags lags = Lags();
    EXPECT_EQ(lags.first, 0);
    EXPECT_EQ(lags.second, 1);
    EXPECT_EQ(lags.third, 21);
}

TEST_F(RandomSource, OverflowingSumsStillGiveResultsInRange) {
    SetRandomLags(3, 11, 17);
    bool sawNegative = false;
    for (int draw = 0; draw < 5000; ++draw) {
        const SLags before = Lags();
        const int64_t wide = int64_t{GetRandomTableEntry(before.first)} +
                             GetRandomTableEntry(before.second) + GetRandomTableEntry(before.third);
        const auto stored = static_cast<int32_t>(static_cast<uint32_t>(wide));
        const int32_t n = 1 + draw % 13;
        const int32_t r = RandomBelow(n);
        ASSERT_EQ(GetRandomTableEntry(before.third), stored) << draw;
        ASSERT_GE(r, 0);
        ASSERT_LT(r, n);
        // The remainder takes the sign of the sum; its absolute value is returned.
        ASSERT_EQ(r, std::abs(stored % n)) << draw;
        sawNegative = sawNegative || stored < 0;
    }
    EXPECT_TRUE(sawNegative);
}

TEST_F(RandomSource, SeedingTakesMinuteAndSecondAndLeavesTheTable) {
    const std::time_t before = std::time(nullptr);
    SeedRandom();
    const std::time_t after = std::time(nullptr);
    const SLags lags = Lags();
    std::tm a{};
    std::tm b{};
    localtime_r(&before, &a);
    localtime_r(&after, &b);
    EXPECT_TRUE(lags.first == a.tm_min % 22 || lags.first == b.tm_min % 22);
    EXPECT_TRUE(lags.third == a.tm_sec % 22 || lags.third == b.tm_sec % 22);
    EXPECT_GE(lags.second, 0);
    EXPECT_LT(lags.second, 22);
    EXPECT_EQ(GetRandomTableEntry(0), 28657);
    EXPECT_EQ(GetRandomTableEntry(21), 1);
}

TEST_F(RandomSource, FirstDrawSeedsAnUnseededSource) {
    // The draw seeds first, then moves each lag down by one.
    const std::time_t before = std::time(nullptr);
    const int32_t r = RandomBelow(5);
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(r, 0);
    EXPECT_LT(r, 5);
    std::tm a{};
    std::tm b{};
    localtime_r(&before, &a);
    localtime_r(&after, &b);
    const SLags lags = Lags();
    EXPECT_TRUE(lags.first == (a.tm_min % 22 + 21) % 22 || lags.first == (b.tm_min % 22 + 21) % 22);
    EXPECT_TRUE(lags.third == (a.tm_sec % 22 + 21) % 22 || lags.third == (b.tm_sec % 22 + 21) % 22);
}

TEST_F(RandomSource, AStatePutBackDrawsTheSameNumbersAgain) {
    SetRandomLags(7, 3, 19);
    for (int draw = 0; draw < 40; ++draw)
        RandomBelow(1000);
    const CRandomState kept = GetRandomState();
    std::vector<int32_t> first;
    for (int draw = 0; draw < 60; ++draw)
        first.push_back(RandomBelow(100000));
    EXPECT_NE(GetRandomTableEntry(kept.third), kept.table[kept.third]);

    SetRandomState(kept);
    std::vector<int32_t> again;
    for (int draw = 0; draw < 60; ++draw)
        again.push_back(RandomBelow(100000));
    EXPECT_EQ(again, first);
}

TEST_F(RandomSource, APutBackStateKeepsItsSeedingFlagAndWrapsItsLags) {
    CRandomState state = GetRandomState();
    state.first = 23;
    state.second = -2;
    state.third = 44;
    state.needsSeeding = false;
    SetRandomState(state);
    SLags lags = Lags();
    EXPECT_EQ(lags.first, 1);
    EXPECT_EQ(lags.second, 20);
    EXPECT_EQ(lags.third, 0);
    // Not seeded again: the draw moves the lags it was given.
    RandomBelow(10);
    lags = Lags();
    EXPECT_EQ(lags.first, 0);
    EXPECT_EQ(lags.second, 19);
    EXPECT_EQ(lags.third, 21);

    // A state that still needs seeding is seeded by its first draw.
    state.needsSeeding = true;
    SetRandomState(state);
    EXPECT_TRUE(GetRandomState().needsSeeding);
    RandomBelow(10);
    EXPECT_FALSE(GetRandomState().needsSeeding);
}
