#include "pattern/pattern.h"

#include <cstring>
#include <limits>

namespace {
constexpr const char* kMetaBytes = "^$.[()|?+*\\";

// Links are signed 16-bit distances, so no program may grow past this.
constexpr int32_t kMaxProgramSize = 32767;

// Item properties gathered while parsing.
constexpr int kHasWidth = 1;         // never matches the empty string
constexpr int kSimple = 2;           // matches exactly one byte
constexpr int kStartsWithRepeat = 4; // its first item is a repetition

// The interpreter keeps its backtracking points on the heap rather than on the
// call stack, so long subjects cannot overflow the stack. This many points
// (16 bytes each) is the most one search may hold; a search that needs more
// gives up and reports no match. '(ab)*' needs three points per pass, so
// subjects of several megabytes still match.
constexpr size_t kMaxFrames = size_t{1} << 22;

// Failed (node, position) pairs are remembered once a search has retried more
// often than a straight scan would, which keeps patterns such as '(a|a)*b'
// from taking exponential time. The table holds one bit per node and subject
// position and is not made when it would exceed this many bits.
constexpr int64_t kMaxRememberedBits = int64_t{1} << 28;
constexpr int64_t kRetriesBeforeRemembering = 64;

// Every node starts with its op byte and a 16-bit link to the next node; an
// operand (a literal's bytes, a set's members) follows as a terminated string.
constexpr int32_t kNodeHeader = 3;

bool IsRepeatOperator(char c) {
    return c == '*' || c == '+' || c == '?';
}

int32_t OperandLength(const unsigned char* node) {
    return static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(node + kNodeHeader)));
}

bool IsGroupOpen(unsigned char op) {
    return op > OP_GROUP_OPEN && op < OP_GROUP_OPEN + 10;
}
bool IsGroupClose(unsigned char op) {
    return op > OP_GROUP_CLOSE && op < OP_GROUP_CLOSE + 10;
}
} // namespace

CPattern::~CPattern() {
    delete[] m_pProgram;
}

void CPattern::ReleaseProgram() {
    delete[] m_pProgram;
    m_pProgram = nullptr;
    m_nProgramSize = 0;
    m_cFirstByte = 0;
    m_bAnchored = false;
    m_pRequiredLiteral = nullptr;
    m_nRequiredLiteralLength = 0;
    m_nodeIndex.clear();
}

CPattern* CPattern::Compile(const char* pattern) {
    if (!pattern)
        return nullptr;
    m_bCompiled = true;

    // Sizing pass: every check is made here, nothing is written.
    int flags = 0;
    m_bEmitting = false;
    m_bTooBig = false;
    m_pParse = pattern;
    m_nNextGroup = 1;
    m_nProgramSize = 0;
    m_nNodeCount = 0;
    m_pEmit = m_sizingNode;
    const int32_t size = ParseChoice(false, flags) && !m_bTooBig ? m_nProgramSize : -1;
    ReleaseProgram();
    if (size < 0)
        return nullptr;

    // Emitting pass over the same text into storage of exactly that size.
    m_nProgramSize = size;
    m_pProgram = new unsigned char[static_cast<size_t>(size)]();
    m_bEmitting = true;
    m_pParse = pattern;
    m_nNextGroup = 1;
    m_pEmit = m_pProgram;
    if (!ParseChoice(false, flags) || m_bTooBig || m_pEmit != m_pProgram + size) {
        ReleaseProgram();
        return nullptr;
    }
    m_bEmitting = false;
    ComputeHints((flags & kStartsWithRepeat) != 0);
    return this;
}

void CPattern::ComputeHints(bool startsWithRepetition) {
    m_cFirstByte = 0;
    m_bAnchored = false;
    m_pRequiredLiteral = nullptr;
    m_nRequiredLiteralLength = 0;
    const int32_t afterChoice = NextNode(0);
    // More than one top-level alternative gives no hint.
    if (afterChoice < 0 || m_pProgram[afterChoice] != OP_END)
        return;
    const int32_t first = kNodeHeader; // past the top-level choice
    if (m_pProgram[first] == OP_LITERAL)
        m_cFirstByte = m_pProgram[first + kNodeHeader];
    else if (m_pProgram[first] == OP_LINE_START)
        m_bAnchored = true;
    if (!startsWithRepetition)
        return;
    // The chain of the only alternative holds the nodes every match passes
    // through; a literal on it must occur in every matching subject.
    int32_t steps = m_nProgramSize / kNodeHeader;
    for (int32_t node = first; node >= 0 && steps-- > 0; node = NextNode(node)) {
        if (m_pProgram[node] == OP_LITERAL) {
            const int32_t length = OperandLength(m_pProgram + node);
            if (length >= m_nRequiredLiteralLength) {
                m_pRequiredLiteral = m_pProgram + node + kNodeHeader;
                m_nRequiredLiteralLength = length;
            }
        }
        if (m_pProgram[node] == OP_END)
            break;
    }
}

// ---- Parsing --------------------------------------------------------------

unsigned char* CPattern::ParseChoice(bool group, int& flags) {
    flags = kHasWidth;
    unsigned char* first = nullptr;
    int32_t number = 0;
    if (group) {
        if (m_nNextGroup > 9)
            return nullptr;
        number = m_nNextGroup++;
        first = EmitNode(static_cast<unsigned char>(OP_GROUP_OPEN + number));
    }
    for (;;) {
        int branchFlags = 0;
        unsigned char* branch = ParseAlternative(branchFlags);
        if (!branch)
            return nullptr;
        if (first)
            LinkTail(first, branch);
        else
            first = branch;
        if (!(branchFlags & kHasWidth))
            flags &= ~kHasWidth;
        flags |= branchFlags & kStartsWithRepeat;
        if (*m_pParse != '|')
            break;
        ++m_pParse;
    }
    unsigned char* closing = EmitNode(group ? static_cast<unsigned char>(OP_GROUP_CLOSE + number)
                                            : static_cast<unsigned char>(OP_END));
    if (m_bTooBig)
        return nullptr;
    LinkTail(first, closing);
    if (m_bEmitting) {
        // The tail of every alternative leads to the closing node too.
        for (int32_t node = static_cast<int32_t>(first - m_pProgram); node >= 0;
             node = NextNode(node))
            LinkOperandTail(m_pProgram + node, closing);
    }
    if (group) {
        if (*m_pParse != ')')
            return nullptr;
        ++m_pParse;
    } else if (*m_pParse != '\0') {
        return nullptr; // a ")" without its "("
    }
    return first;
}

unsigned char* CPattern::ParseAlternative(int& flags) {
    flags = 0;
    unsigned char* alt = EmitNode(OP_ALT);
    unsigned char* chain = nullptr;
    while (*m_pParse != '\0' && *m_pParse != '|' && *m_pParse != ')') {
        int itemFlags = 0;
        unsigned char* item = ParseItem(itemFlags);
        if (!item || m_bTooBig)
            return nullptr;
        flags |= itemFlags & kHasWidth;
        if (!chain)
            flags |= itemFlags & kStartsWithRepeat;
        else
            LinkTail(chain, item);
        chain = item;
    }
    if (!chain)
        EmitNode(OP_EMPTY);
    return m_bTooBig ? nullptr : alt;
}

unsigned char* CPattern::ParseItem(int& flags) {
    int atomFlags = 0;
    unsigned char* item = ParseAtom(atomFlags);
    if (!item || m_bTooBig)
        return nullptr;
    const char op = *m_pParse;
    if (!IsRepeatOperator(op)) {
        flags = atomFlags;
        return item;
    }
    if (!(atomFlags & kHasWidth) && op != '?')
        return nullptr; // a loop over something that can match nothing
    flags = op == '*' ? kStartsWithRepeat : op == '+' ? (kHasWidth | kStartsWithRepeat) : 0;

    if (op == '*' && (atomFlags & kSimple)) {
        InsertNode(OP_STAR, item);
    } else if (op == '*') {
        // x* is laid out as (x, back to the choice) or nothing.
        InsertNode(OP_ALT, item);
        LinkOperandTail(item, EmitNode(OP_JUMP_BACK));
        LinkOperandTail(item, item);
        LinkTail(item, EmitNode(OP_ALT));
        LinkTail(item, EmitNode(OP_EMPTY));
    } else if (op == '+' && (atomFlags & kSimple)) {
        InsertNode(OP_PLUS, item);
    } else if (op == '+') {
        // x+ is laid out as x, then (back to x) or nothing.
        unsigned char* choice = EmitNode(OP_ALT);
        LinkTail(item, choice);
        LinkTail(EmitNode(OP_JUMP_BACK), item);
        LinkTail(choice, EmitNode(OP_ALT));
        LinkTail(item, EmitNode(OP_EMPTY));
    } else {
        // x? is laid out as x or nothing, both going on to the same empty node.
        InsertNode(OP_ALT, item);
        LinkTail(item, EmitNode(OP_ALT));
        unsigned char* after = EmitNode(OP_EMPTY);
        LinkTail(item, after);
        LinkOperandTail(item, after);
    }
    ++m_pParse;
    if (IsRepeatOperator(*m_pParse))
        return nullptr;
    return m_bTooBig ? nullptr : item;
}

unsigned char* CPattern::ParseAtom(int& flags) {
    flags = 0;
    const char c = *m_pParse;
    switch (c) {
    case '\0':
    case '|':
    case ')':
    case '*':
    case '+':
    case '?':
        return nullptr; // nothing to repeat, or nothing at all
    case '^':
        ++m_pParse;
        return EmitNode(OP_LINE_START);
    case '$':
        ++m_pParse;
        return EmitNode(OP_LINE_END);
    case '.':
        ++m_pParse;
        flags = kHasWidth | kSimple;
        return EmitNode(OP_ANY);
    case '[':
        ++m_pParse;
        flags = kHasWidth | kSimple;
        return ParseSet();
    case '(': {
        ++m_pParse;
        int groupFlags = 0;
        unsigned char* group = ParseChoice(true, groupFlags);
        flags = groupFlags & (kHasWidth | kStartsWithRepeat);
        return group;
    }
    case '\\': {
        if (m_pParse[1] == '\0')
            return nullptr;
        unsigned char* node = EmitNode(OP_LITERAL);
        EmitByte(static_cast<unsigned char>(m_pParse[1]));
        EmitByte(0);
        m_pParse += 2;
        flags = kHasWidth | kSimple;
        return node;
    }
    default:
        break;
    }
    // A run of ordinary bytes; before a repetition operator its last byte is
    // left to form an item of its own.
    size_t length = std::strcspn(m_pParse, kMetaBytes);
    if (length > 1 && IsRepeatOperator(m_pParse[length]))
        --length;
    flags = kHasWidth | (length == 1 ? kSimple : 0);
    unsigned char* node = EmitNode(OP_LITERAL);
    for (size_t i = 0; i < length && !m_bTooBig; ++i)
        EmitByte(static_cast<unsigned char>(m_pParse[i]));
    EmitByte(0);
    m_pParse += length;
    return node;
}

unsigned char* CPattern::ParseSet() {
    unsigned char* node;
    if (*m_pParse == '^') {
        node = EmitNode(OP_NONE_OF);
        ++m_pParse;
    } else {
        node = EmitNode(OP_ANY_OF);
    }
    // A "]" or "-" first in the set is a member.
    if (*m_pParse == ']' || *m_pParse == '-')
        EmitByte(static_cast<unsigned char>(*m_pParse++));
    while (*m_pParse != '\0' && *m_pParse != ']' && !m_bTooBig) {
        if (*m_pParse != '-') {
            EmitByte(static_cast<unsigned char>(*m_pParse++));
            continue;
        }
        ++m_pParse;
        if (*m_pParse == ']' || *m_pParse == '\0') {
            EmitByte('-'); // a "-" just before the closing "]"
            continue;
        }
        // The first bound is the member written just before the hyphen and is
        // already in the set. Bounds compare as signed bytes; a range that
        // crosses from the ASCII half into the upper half (either way) is
        // refused as well, so a range never reaches the NUL byte.
        const auto low = static_cast<signed char>(m_pParse[-2]);
        const auto high = static_cast<signed char>(m_pParse[0]);
        if (low > high || (low < 0) != (high < 0))
            return nullptr;
        for (int b = low + 1; b <= high && !m_bTooBig; ++b)
            EmitByte(static_cast<unsigned char>(b));
        ++m_pParse;
    }
    EmitByte(0);
    if (*m_pParse != ']')
        return nullptr;
    ++m_pParse;
    return node;
}

// ---- Emitting -------------------------------------------------------------

bool CPattern::GrowSize(int32_t bytes) {
    if (m_bTooBig || m_nProgramSize > kMaxProgramSize - bytes) {
        m_bTooBig = true;
        return false;
    }
    m_nProgramSize += bytes;
    return true;
}

unsigned char* CPattern::EmitNode(unsigned char op) {
    if (!m_bEmitting) {
        ++m_nNodeCount;
        GrowSize(kNodeHeader);
        return m_sizingNode;
    }
    unsigned char* node = m_pEmit;
    if (m_bTooBig || node + kNodeHeader > m_pProgram + m_nProgramSize) {
        m_bTooBig = true; // cannot happen after a sizing pass over the same text
        return m_sizingNode;
    }
    node[0] = op;
    node[1] = 0;
    node[2] = 0;
    m_pEmit += kNodeHeader;
    return node;
}

void CPattern::EmitByte(unsigned char c) {
    if (!m_bEmitting) {
        GrowSize(1);
        return;
    }
    if (m_bTooBig || m_pEmit >= m_pProgram + m_nProgramSize) {
        m_bTooBig = true;
        return;
    }
    *m_pEmit++ = c;
}

void CPattern::InsertNode(unsigned char op, unsigned char* at) {
    if (!m_bEmitting) {
        ++m_nNodeCount;
        GrowSize(kNodeHeader);
        return;
    }
    if (m_bTooBig || at == m_sizingNode || m_pEmit + kNodeHeader > m_pProgram + m_nProgramSize) {
        m_bTooBig = true;
        return;
    }
    std::memmove(at + kNodeHeader, at, static_cast<size_t>(m_pEmit - at));
    m_pEmit += kNodeHeader;
    at[0] = op;
    at[1] = 0;
    at[2] = 0;
}

void CPattern::LinkTail(unsigned char* node, unsigned char* target) {
    if (!m_bEmitting || m_bTooBig || node == m_sizingNode || target == m_sizingNode)
        return;
    int32_t scan = static_cast<int32_t>(node - m_pProgram);
    for (int32_t next = NextNode(scan); next >= 0; next = NextNode(scan))
        scan = next;
    const int32_t to = static_cast<int32_t>(target - m_pProgram);
    const int32_t distance = m_pProgram[scan] == OP_JUMP_BACK ? scan - to : to - scan;
    m_pProgram[scan + 1] = static_cast<unsigned char>(distance & 0xFF);
    m_pProgram[scan + 2] = static_cast<unsigned char>((distance >> 8) & 0xFF);
}

void CPattern::LinkOperandTail(unsigned char* node, unsigned char* target) {
    if (!m_bEmitting || m_bTooBig || node == m_sizingNode || node[0] != OP_ALT)
        return;
    LinkTail(node + kNodeHeader, target);
}

// ---- Matching -------------------------------------------------------------

int32_t CPattern::NextNode(int32_t node) const {
    const auto distance = static_cast<int16_t>(
        static_cast<uint16_t>(m_pProgram[node + 1] | (m_pProgram[node + 2] << 8)));
    if (distance == 0)
        return -1;
    const int32_t next = m_pProgram[node] == OP_JUMP_BACK ? node - distance : node + distance;
    return next >= 0 && next + kNodeHeader <= m_nProgramSize ? next : -1;
}

[[gnu::always_inline]] inline const char* CPattern::Operand(int32_t node) const {
    return reinterpret_cast<const char*>(m_pProgram + node + kNodeHeader);
}

int32_t CPattern::Find(const char* subject) {
    for (int i = 0; i < 10; ++i) {
        m_apMatchStart[i] = nullptr;
        m_apMatchEnd[i] = nullptr;
    }
    if (!subject || *subject == '\0' || !m_bCompiled || !m_pProgram)
        return -1;
    if (m_pRequiredLiteral &&
        !std::strstr(subject, reinterpret_cast<const char*>(m_pRequiredLiteral)))
        return -1;

    m_pSubjectStart = subject;
    m_pFurthest = subject;
    m_bAborted = false;
    m_bRemembering = false;
    m_bMemoRefused = false;
    m_nRetries = 0;
    m_frames.clear();
    m_failed.clear();

    if (m_bAnchored)
        return Attempt(subject) ? 0 : -1;
    if (m_cFirstByte != 0) {
        for (const char* s = subject; (s = std::strchr(s, static_cast<char>(m_cFirstByte))); ++s) {
            if (Attempt(s))
                return static_cast<int32_t>(s - subject);
            if (m_bAborted)
                return -1;
        }
        return -1;
    }
    const char* s = subject;
    do {
        if (Attempt(s))
            return static_cast<int32_t>(s - subject);
        if (m_bAborted)
            return -1;
    } while (*s++ != '\0');
    return -1;
}

int32_t CPattern::GetMatchLength() const {
    if (!m_apMatchStart[0] || !m_apMatchEnd[0])
        return 0;
    return static_cast<int32_t>(m_apMatchEnd[0] - m_apMatchStart[0]);
}

bool CPattern::Attempt(const char* start) {
    for (int i = 0; i < 10; ++i) {
        m_apMatchStart[i] = nullptr;
        m_apMatchEnd[i] = nullptr;
    }
    m_pInput = start;
    if (!Run())
        return false;
    m_apMatchStart[0] = start;
    m_apMatchEnd[0] = m_pInput;
    return true;
}

void CPattern::StartRemembering() {
    if (m_nodeIndex.empty()) {
        // Number the nodes; the program is one straight sequence of them.
        m_nodeIndex.assign(static_cast<size_t>(m_nProgramSize), -1);
        int32_t count = 0;
        for (int32_t node = 0; node + kNodeHeader <= m_nProgramSize;) {
            m_nodeIndex[static_cast<size_t>(node)] = count++;
            const unsigned char op = m_pProgram[node];
            if (op == OP_LITERAL || op == OP_ANY_OF || op == OP_NONE_OF)
                node += OperandLength(m_pProgram + node) + 1;
            node += kNodeHeader;
        }
    }
    m_nSubjectLength = static_cast<int64_t>(std::strlen(m_pSubjectStart));
    const int64_t bits = static_cast<int64_t>(m_nNodeCount) * (m_nSubjectLength + 1);
    if (bits > kMaxRememberedBits) {
        m_bMemoRefused = true;
        return;
    }
    m_failed.assign(static_cast<size_t>((bits + 63) / 64), 0);
    m_bRemembering = true;
}

bool CPattern::HasFailed(int32_t node, const char* at) const {
    if (!m_bRemembering || node < 0)
        return false;
    const int32_t index = m_nodeIndex[static_cast<size_t>(node)];
    if (index < 0)
        return false;
    const int64_t bit = index * (m_nSubjectLength + 1) + (at - m_pSubjectStart);
    return (m_failed[static_cast<size_t>(bit >> 6)] >> (bit & 63)) & 1;
}

[[gnu::always_inline]] inline void CPattern::NoteFailure(int32_t node, const char* at) {
    if (!m_bRemembering || node < 0)
        return;
    const int32_t index = m_nodeIndex[static_cast<size_t>(node)];
    if (index < 0)
        return;
    const int64_t bit = index * (m_nSubjectLength + 1) + (at - m_pSubjectStart);
    m_failed[static_cast<size_t>(bit >> 6)] |= uint64_t{1} << (bit & 63);
}

// The largest repetition count below 'below' (and at least the minimum) worth
// trying: the byte after it must be the one the next literal starts with, and
// the rest of the pattern must not already have failed from there. -1 if none.
int32_t CPattern::NextRepeatCount(int32_t node, const char* start, int32_t below) const {
    const int32_t minimum = m_pProgram[node] == OP_PLUS ? 1 : 0;
    const int32_t next = NextNode(node);
    if (next < 0)
        return -1;
    const char expected = m_pProgram[next] == OP_LITERAL ? *Operand(next) : '\0';
    for (int32_t k = below - 1; k >= minimum; --k) {
        if (expected != '\0' && start[k] != expected)
            continue;
        if (HasFailed(next, start + k))
            continue;
        return k;
    }
    return -1;
}

// The interpreter's inner loop is split into the pieces below only for reading;
// they are inlined into Run.
[[gnu::always_inline]] inline bool CPattern::PushFrame(const char* at, int32_t node,
                                                       int32_t count) {
    if (m_frames.size() >= kMaxFrames) {
        m_bAborted = true;
        return false;
    }
    m_frames.push_back({at, node, count});
    return true;
}

[[gnu::always_inline]] inline size_t CPattern::RepeatableCount(int32_t node,
                                                               const char* start) const {
    // The repeated item is a single-byte node right after the repetition's header.
    const unsigned char* item = m_pProgram + node + kNodeHeader;
    const char* operand = reinterpret_cast<const char*>(item + kNodeHeader);
    size_t count = 0;
    switch (item[0]) {
    case OP_ANY:
        count = std::strlen(start);
        break;
    case OP_LITERAL:
        while (start[count] == operand[0])
            ++count;
        break;
    case OP_ANY_OF:
        count = std::strspn(start, operand);
        break;
    case OP_NONE_OF:
        count = std::strcspn(start, operand);
        break;
    default:
        break;
    }
    constexpr auto kMostCounted = static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1);
    return count < kMostCounted ? count : kMostCounted;
}

[[gnu::always_inline]] inline bool CPattern::Advance(int32_t scan) {
    const unsigned char* program = m_pProgram;
    for (;;) {
        const unsigned char op = program[scan];
        int32_t next = NextNode(scan);
        bool ok = true;
        switch (op) {
        case OP_END:
            return true;
        case OP_LINE_START:
            ok = m_pInput == m_pSubjectStart;
            break;
        case OP_LINE_END:
            ok = *m_pInput == '\0';
            break;
        case OP_ANY:
            ok = *m_pInput != '\0';
            m_pInput += ok ? 1 : 0;
            break;
        case OP_ANY_OF:
        case OP_NONE_OF: {
            const char c = *m_pInput;
            const bool member = c != '\0' && std::strchr(Operand(scan), c);
            ok = c != '\0' && member == (op == OP_ANY_OF);
            m_pInput += ok ? 1 : 0;
            break;
        }
        case OP_LITERAL: {
            const char* literal = Operand(scan);
            if (*literal != *m_pInput) {
                ok = false;
                break;
            }
            const size_t length = std::strlen(literal);
            ok = length == 1 || std::strncmp(literal, m_pInput, length) == 0;
            m_pInput += ok ? length : 0;
            break;
        }
        case OP_EMPTY:
        case OP_JUMP_BACK:
            break;
        case OP_ALT:
            // The first alternative starts right after the choice's header.
            if (next >= 0 && program[next] == OP_ALT) {
                ok = PushFrame(m_pInput, scan, 0) && !HasFailed(scan + kNodeHeader, m_pInput);
            } // else a choice of one: no way back needed
            next = scan + kNodeHeader;
            break;
        case OP_STAR:
        case OP_PLUS: {
            const char* start = m_pInput;
            const auto longest = static_cast<int32_t>(RepeatableCount(scan, start));
            const int32_t k = NextRepeatCount(scan, start, longest + 1);
            ok = k >= 0 && PushFrame(start, scan, k);
            if (ok)
                m_pInput = start + k;
            break;
        }
        default:
            ok = (IsGroupOpen(op) || IsGroupClose(op)) && PushFrame(m_pInput, scan, 0);
            break;
        }
        if (!ok || next < 0)
            return false; // a failed node, or a broken chain, fails the attempt
        scan = next;
    }
}

[[gnu::always_inline]] inline bool CPattern::Backtrack(int32_t& scan) {
    const unsigned char* program = m_pProgram;
    while (!m_frames.empty()) {
        CFrame& frame = m_frames.back();
        const unsigned char op = program[frame.nNode];
        if (op == OP_ALT) {
            NoteFailure(frame.nNode + kNodeHeader, frame.pAt);
            const int32_t alternative = NextNode(frame.nNode);
            if (alternative < 0 || program[alternative] != OP_ALT) {
                m_frames.pop_back();
                continue;
            }
            frame.nNode = alternative;
            if (HasFailed(alternative + kNodeHeader, frame.pAt))
                continue;
            m_pInput = frame.pAt;
            scan = alternative + kNodeHeader;
            return true;
        }
        if (op == OP_STAR || op == OP_PLUS) {
            NoteFailure(NextNode(frame.nNode), frame.pAt + frame.nCount);
            const int32_t k = NextRepeatCount(frame.nNode, frame.pAt, frame.nCount);
            if (k < 0) {
                m_frames.pop_back();
                continue;
            }
            frame.nCount = k;
            m_pInput = frame.pAt + k;
            scan = NextNode(frame.nNode);
            return true;
        }
        m_frames.pop_back(); // a group boundary has nothing else to try
    }
    return false;
}

void CPattern::RecordGroups() {
    // Group positions are recorded innermost first, so a group inside a loop
    // keeps the positions of its last pass.
    for (size_t i = m_frames.size(); i-- > 0;) {
        const CFrame& frame = m_frames[i];
        const unsigned char op = m_pProgram[frame.nNode];
        if (IsGroupOpen(op) && !m_apMatchStart[op - OP_GROUP_OPEN])
            m_apMatchStart[op - OP_GROUP_OPEN] = frame.pAt;
        else if (IsGroupClose(op) && !m_apMatchEnd[op - OP_GROUP_CLOSE])
            m_apMatchEnd[op - OP_GROUP_CLOSE] = frame.pAt;
    }
}

bool CPattern::Run() {
    int32_t scan = 0;
    for (;;) {
        // Go forward through the nodes until the pattern ends or a node fails.
        if (Advance(scan)) {
            RecordGroups();
            m_frames.clear();
            return true;
        }
        if (m_bAborted) {
            m_frames.clear();
            return false;
        }

        // Go back to the latest point that still has something left to try.
        if (m_pInput > m_pFurthest)
            m_pFurthest = m_pInput;
        if (!Backtrack(scan))
            return false;

        // A straight search comes back to each node at each position at most
        // once; one that has retried more often than that is repeating work,
        // and from then on remembers where the rest of the pattern failed.
        ++m_nRetries;
        if (!m_bRemembering && !m_bMemoRefused &&
            m_nRetries > kRetriesBeforeRemembering + static_cast<int64_t>(m_nNodeCount) *
                                                         (m_pFurthest - m_pSubjectStart + 1))
            StartRemembering();
    }
}
