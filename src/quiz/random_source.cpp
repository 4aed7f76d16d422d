#include "quiz/random_source.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace {
constexpr int kTableSize = kRandomTableSize;

// The state at program start: Fibonacci numbers 1 .. 28657, largest first, all
// lags 0, not yet seeded.
CRandomState StartState() {
    CRandomState state;
    int32_t a = 1;
    int32_t b = 2;
    for (int i = kTableSize - 1; i >= 0; --i) {
        state.table[i] = a;
        const int32_t next = a + b;
        a = b;
        b = next;
    }
    return state;
}

CRandomState& State() {
    static CRandomState state = StartState();
    return state;
}

int32_t WrapLag(int32_t lag) {
    const int32_t r = lag % kTableSize;
    return r < 0 ? r + kTableSize : r;
}

// Milliseconds since the system started, as the clock the lags are seeded from.
uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
} // namespace

void SeedRandom() {
    CRandomState& s = State();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    s.third = local.tm_sec % kTableSize;
    s.second = static_cast<int32_t>(TickCount() % kTableSize);
    s.first = local.tm_min % kTableSize;
    s.needsSeeding = false;
}

int32_t RandomBelow(int32_t n) {
    if (n == 0)
        return 0;
    CRandomState& s = State();
    if (s.needsSeeding)
        SeedRandom();
    // Signed 32-bit addition with wrap-around, done in unsigned arithmetic.
    const uint32_t sum = static_cast<uint32_t>(s.table[s.first]) +
                         static_cast<uint32_t>(s.table[s.second]) +
                         static_cast<uint32_t>(s.table[s.third]);
    const auto v = static_cast<int32_t>(sum);
    s.table[s.third] = v;
    s.first = s.first == 0 ? kTableSize - 1 : s.first - 1;
    s.second = s.second == 0 ? kTableSize - 1 : s.second - 1;
    s.third = s.third == 0 ? kTableSize - 1 : s.third - 1;
    const int64_t r = static_cast<int64_t>(v) % static_cast<int64_t>(n);
    return static_cast<int32_t>(r < 0 ? -r : r);
}

void SetRandomLags(int32_t first, int32_t second, int32_t third) {
    CRandomState& s = State();
    s.first = WrapLag(first);
    s.second = WrapLag(second);
    s.third = WrapLag(third);
    s.needsSeeding = false;
}

void GetRandomLags(int32_t& first, int32_t& second, int32_t& third) {
    const CRandomState& s = State();
    first = s.first;
    second = s.second;
    third = s.third;
}

int32_t GetRandomTableEntry(int32_t index) {
    return State().table[WrapLag(index)];
}

CRandomState GetRandomState() {
    return State();
}

void SetRandomState(const CRandomState& state) {
    CRandomState& s = State();
    s = state;
    s.first = WrapLag(state.first);
    s.second = WrapLag(state.second);
    s.third = WrapLag(state.third);
}

void SeedLags(uint64_t seed, int32_t& first, int32_t& second, int32_t& third) {
    first = static_cast<int32_t>(seed % kRandomTableSize);
    second = static_cast<int32_t>((seed / kRandomTableSize) % kRandomTableSize);
    third = static_cast<int32_t>((seed / (kRandomTableSize * kRandomTableSize)) % kRandomTableSize);
}

void SeedRandomFrom(uint64_t seed) {
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    SeedLags(seed, first, second, third);
    SetRandomLags(first, second, third);
}

bool ParseSeed(std::string_view text, uint64_t& seed) {
    if (text.empty() || text.size() > 19)
        return false;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    seed = value;
    return true;
}
