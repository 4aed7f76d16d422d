// Fuzzes the pattern engine: the input is cut into a pattern and a subject at its
// first NUL byte, or half-way when there is none. Besides not crashing:
// - a compiled program must be a well-formed chain of nodes whose links land on
//   nodes inside the program;
// - a match must lie inside the subject, and each recorded group inside the match;
// - the same pattern wrapped in a group, which has no search hints at all, must
//   find the same match with the same groups one number up, so the hints never
//   change a result;
// - without a start anchor, searching again from the match start finds the same
//   match at offset 0.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "pattern/pattern.h"

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

bool IsNodeKind(unsigned char op) {
    return op <= OP_PLUS || (op > OP_GROUP_OPEN && op < OP_GROUP_OPEN + 10) ||
           (op > OP_GROUP_CLOSE && op < OP_GROUP_CLOSE + 10);
}

// Walks the program node by node; returns whether it holds a start anchor.
bool CheckProgram(const CPattern& pattern) {
    const unsigned char* program = pattern.GetProgram();
    const int32_t size = pattern.GetProgramSize();
    Check(program != nullptr && size >= 9 && size <= 32767);
    Check(program[0] == OP_ALT);
    std::string isNode(static_cast<size_t>(size), '\0');
    bool anchor = false;
    int32_t node = 0;
    int32_t last = 0;
    while (node < size) {
        Check(node + 3 <= size);
        const unsigned char op = program[node];
        Check(IsNodeKind(op));
        isNode[static_cast<size_t>(node)] = 1;
        anchor = anchor || op == OP_LINE_START;
        last = node;
        node += 3;
        if (op == OP_LITERAL || op == OP_ANY_OF || op == OP_NONE_OF) {
            const void* nul = std::memchr(program + node, 0, static_cast<size_t>(size - node));
            Check(nul != nullptr);
            const int32_t length =
                static_cast<int32_t>(static_cast<const unsigned char*>(nul) - (program + node));
            Check(op != OP_LITERAL || length > 0);
            node += length + 1;
        }
    }
    Check(node == size && program[last] == OP_END);
    for (node = 0; node < size; ++node) {
        if (!isNode[static_cast<size_t>(node)])
            continue;
        const auto distance = static_cast<int16_t>(
            static_cast<uint16_t>(program[node + 1] | (program[node + 2] << 8)));
        if (distance == 0)
            continue;
        Check(distance > 0);
        const int32_t target = program[node] == OP_JUMP_BACK ? node - distance : node + distance;
        Check(target >= 0 && target < size && isNode[static_cast<size_t>(target)]);
    }
    if (pattern.GetRequiredLiteral()) {
        const unsigned char* literal = pattern.GetRequiredLiteral();
        Check(literal > program && literal < program + size);
        Check(static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(literal))) ==
              pattern.GetRequiredLiteralLength());
    }
    return anchor;
}

void CheckMatch(const CPattern& pattern, const char* subject, int32_t offset) {
    const auto length = static_cast<int32_t>(std::strlen(subject));
    Check(offset >= -1 && offset <= length);
    if (offset < 0)
        return;
    Check(pattern.GetMatchStart(0) == subject + offset);
    Check(pattern.GetMatchLength() >= 0 && offset + pattern.GetMatchLength() <= length);
    for (int n = 1; n < 10; ++n) {
        const char* start = pattern.GetMatchStart(n);
        const char* end = pattern.GetMatchEnd(n);
        Check((start == nullptr) == (end == nullptr));
        if (start) {
            Check(start >= pattern.GetMatchStart(0) && start <= end);
            Check(end <= pattern.GetMatchEnd(0));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(data, 0, size);
    const size_t cut =
        nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size / 2;
    const std::string pattern(bytes, cut);
    std::string subject(bytes + cut + (nul ? 1 : 0), size - cut - (nul ? 1 : 0));
    subject.resize(std::strlen(subject.c_str())); // the subject is a C text

    CPattern compiled;
    if (!compiled.Compile(pattern.c_str())) {
        Check(compiled.Find(subject.c_str()) == -1);
        return 0;
    }
    const bool anchored = CheckProgram(compiled);
    const int32_t offset = compiled.Find(subject.c_str());
    CheckMatch(compiled, subject.c_str(), offset);

    CPattern wrapped;
    if (wrapped.Compile(("(" + pattern + ")").c_str())) {
        Check(wrapped.GetFirstByte() == 0 && !wrapped.IsAnchored() &&
              wrapped.GetRequiredLiteral() == nullptr);
        Check(wrapped.Find(subject.c_str()) == offset);
        if (offset >= 0) {
            Check(wrapped.GetMatchLength() == compiled.GetMatchLength());
            for (int n = 1; n < 9; ++n) {
                Check(wrapped.GetMatchStart(n + 1) == compiled.GetMatchStart(n));
                Check(wrapped.GetMatchEnd(n + 1) == compiled.GetMatchEnd(n));
            }
        }
    }

    if (offset > 0 && offset < static_cast<int32_t>(subject.size()) && !anchored) {
        const int32_t length = compiled.GetMatchLength();
        Check(compiled.Find(subject.c_str() + offset) == 0);
        Check(compiled.GetMatchLength() == length);
    }
    return 0;
}
