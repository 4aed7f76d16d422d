// How the judge fuzzers read their input: a typed and an expected text, cut at
// the input's first NUL byte, or half-way when there is none. Both are C texts
// to the judge, so each ends at its own first NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

inline std::pair<std::string, std::string> SplitJudgeInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(data, 0, size);
    const size_t cut =
        nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size / 2;
    const size_t skip = nul ? 1 : 0;
    return {std::string(bytes, cut).c_str(),
            std::string(bytes + cut + skip, size - cut - skip).c_str()};
}
