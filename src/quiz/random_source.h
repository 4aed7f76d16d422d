// The process-wide additive lagged random source used by the jumbled order and
// by the choice of sound cue.
#pragma once

#include <cstdint>
#include <string_view>

void SeedRandom();
// A number from 0 to n - 1, or 0 when n is 0.
int32_t RandomBelow(int32_t n);

// Set the three lags (each taken modulo 22) and clear the needs-seeding flag;
// read the lags and one table entry.
void SetRandomLags(int32_t first, int32_t second, int32_t third);
// The three lags a seed number gives: N mod 22, (N div 22) mod 22 and
// (N div 484) mod 22. One number then names one repeatable jumbled order.
void SeedLags(uint64_t seed, int32_t& first, int32_t& second, int32_t& third);
// Sets the lags that seed names, so the order that follows is the one it names.
void SeedRandomFrom(uint64_t seed);
// A seed as a person writes it: decimal digits only, at most 19 of them.
bool ParseSeed(std::string_view text, uint64_t& seed);
void GetRandomLags(int32_t& first, int32_t& second, int32_t& third);
int32_t GetRandomTableEntry(int32_t index);

inline constexpr int kRandomTableSize = 22;

// Everything the source's next numbers depend on. A state taken and put back
// later makes the source draw the same numbers again from there.
struct CRandomState {
    int32_t table[kRandomTableSize] = {};
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    bool needsSeeding = true;
};
CRandomState GetRandomState();
// Lags outside the table are taken modulo its size, as SetRandomLags takes them.
void SetRandomState(const CRandomState& state);
