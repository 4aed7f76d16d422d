// The process-wide additive lagged random source used by the jumbled order and
// by the choice of sound cue.
#pragma once

#include <cstdint>

void SeedRandom();
// A number from 0 to n - 1, or 0 when n is 0.
int32_t RandomBelow(int32_t n);

// Test and tool hooks: set the three lags (each taken modulo 22) and clear the
// needs-seeding flag; read the lags and one table entry.
void SetRandomLags(int32_t first, int32_t second, int32_t third);
void GetRandomLags(int32_t& first, int32_t& second, int32_t& third);
int32_t GetRandomTableEntry(int32_t index);
// Puts the table and the lags back to their state at program start.
void ResetRandomSourceForTesting();
