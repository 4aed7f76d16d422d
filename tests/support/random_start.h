// The process-wide random source as the test program found it before any draw:
// tests that draw put it back first, so each one sees the same numbers
// whatever ran before it.
#pragma once

#include "quiz/random_source.h"

// Taken while the program starts, before any test has drawn.
inline const CRandomState kRandomStateAtStart = GetRandomState();

inline void RestartRandomSource() {
    SetRandomState(kRandomStateAtStart);
}
