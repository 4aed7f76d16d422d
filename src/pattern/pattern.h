// CPattern: the program's small regular-expression engine. A pattern compiles
// to a linear program of nodes, searched by a backtracking interpreter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum EPatternOp : unsigned char {
    OP_END = 0,
    OP_LINE_START = 1,
    OP_LINE_END = 2,
    OP_ANY = 3,
    OP_ANY_OF = 4,
    OP_NONE_OF = 5,
    OP_ALT = 6,
    OP_JUMP_BACK = 7,
    OP_LITERAL = 8,
    OP_EMPTY = 9,
    OP_STAR = 10,
    OP_PLUS = 11,
    OP_GROUP_OPEN = 20,  // plus the group number 1..9
    OP_GROUP_CLOSE = 30, // plus the group number 1..9
};

class CPattern {
public:
    CPattern() = default;
    CPattern(const CPattern&) = delete;
    CPattern& operator=(const CPattern&) = delete;
    ~CPattern();

    // This object on success, null on failure.
    CPattern* Compile(const char* pattern);
    // Offset of the first match in subject, or -1.
    int32_t Find(const char* subject);
    int32_t GetMatchLength() const;

    // Read-only views for tests: the compiled program and the search hints.
    const unsigned char* GetProgram() const { return m_pProgram; }
    int32_t GetProgramSize() const { return m_nProgramSize; }
    unsigned char GetFirstByte() const { return m_cFirstByte; }
    bool IsAnchored() const { return m_bAnchored; }
    const unsigned char* GetRequiredLiteral() const { return m_pRequiredLiteral; }
    int32_t GetRequiredLiteralLength() const { return m_nRequiredLiteralLength; }
    // Where the last successful Find placed the whole match (0) or group n
    // (1 to 9) in the subject; null when unset.
    const char* GetMatchStart(int n) const {
        return n >= 0 && n < 10 ? m_apMatchStart[n] : nullptr;
    }
    const char* GetMatchEnd(int n) const { return n >= 0 && n < 10 ? m_apMatchEnd[n] : nullptr; }

private:
    // Implementation details are free; the fields below are the engine's state.
    bool m_bEmitting = false;
    bool m_bCompiled = false;
    const char* m_apMatchStart[10] = {};
    const char* m_apMatchEnd[10] = {};
    unsigned char m_cFirstByte = 0;
    bool m_bAnchored = false;
    const unsigned char* m_pRequiredLiteral = nullptr;
    int32_t m_nRequiredLiteralLength = 0;
    unsigned char* m_pProgram = nullptr;
    const char* m_pParse = nullptr;
    int32_t m_nNextGroup = 1;
    unsigned char* m_pEmit = nullptr;
    unsigned char m_sizingNode[3] = {OP_EMPTY, 0, 0};
    int32_t m_nProgramSize = 0;
    const char* m_pInput = nullptr;
    const char* m_pSubjectStart = nullptr;

    // Compilation helpers.
    unsigned char* ParseChoice(bool group, int& flags);
    unsigned char* ParseAlternative(int& flags);
    unsigned char* ParseItem(int& flags);
    unsigned char* ParseAtom(int& flags);
    unsigned char* ParseSet();
    unsigned char* EmitNode(unsigned char op);
    void EmitByte(unsigned char c);
    void InsertNode(unsigned char op, unsigned char* at);
    void LinkTail(unsigned char* node, unsigned char* target);
    void LinkOperandTail(unsigned char* node, unsigned char* target);
    bool GrowSize(int32_t bytes);
    void ComputeHints(bool startsWithRepetition);
    void ReleaseProgram();

    // Matching helpers.
    int32_t NextNode(int32_t node) const;
    // The operand string of a literal or set node.
    const char* Operand(int32_t node) const;
    bool Attempt(const char* start);
    bool Run();
    // Goes forward from node scan; true when the pattern's end is reached.
    bool Advance(int32_t scan);
    // Resumes the latest backtracking point with something left to try, setting
    // scan and the input position; false when none is left.
    bool Backtrack(int32_t& scan);
    // False, and the search aborted, once the frame limit is reached.
    bool PushFrame(const char* at, int32_t node, int32_t count);
    // How many bytes from start the single-byte item of repetition node matches.
    size_t RepeatableCount(int32_t node, const char* start) const;
    void RecordGroups();
    int32_t NextRepeatCount(int32_t node, const char* start, int32_t below) const;
    bool HasFailed(int32_t node, const char* at) const;
    void NoteFailure(int32_t node, const char* at);
    void StartRemembering();

    // A point the interpreter can come back to: a choice (the OP_ALT being
    // tried), a repetition (how many bytes it currently takes) or a group
    // boundary (recorded once the whole match succeeds).
    struct CFrame {
        const char* pAt;
        int32_t nNode;
        int32_t nCount;
    };

    bool m_bTooBig = false;
    bool m_bAborted = false;
    bool m_bRemembering = false;
    bool m_bMemoRefused = false;
    int32_t m_nNodeCount = 0;
    int64_t m_nRetries = 0;
    const char* m_pFurthest = nullptr;
    int64_t m_nSubjectLength = 0;
    std::vector<CFrame> m_frames;
    std::vector<int32_t> m_nodeIndex;
    std::vector<uint64_t> m_failed;
};
