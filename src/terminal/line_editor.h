// CLineEditor: typed lines read on a terminal with the editing a shell gives
// (caret and word moves, deleting, a history of this session's lines), on
// libedit. The terminal quiz uses it only when both standard input and
// standard output are a terminal; piped input is read line by line as before.
#pragma once

#include <csignal>
#include <functional>
#include <string>

struct editline;
struct historyW;

class CLineEditor {
public:
    // The accent key's work on the line being typed (UTF-8) and its caret (in
    // characters): true when it changed them.
    using AccentHook = std::function<bool(std::string& line, int& caret)>;

    // Edits lines on the terminal at inFd / outFd. interrupted is the flag a
    // signal handler sets (Ctrl+C, a closed terminal): a read it breaks ends
    // the line and the input. Check IsOpen before use.
    CLineEditor(int inFd, int outFd, const volatile std::sig_atomic_t* interrupted);
    ~CLineEditor();
    CLineEditor(const CLineEditor&) = delete;
    CLineEditor& operator=(const CLineEditor&) = delete;

    // True when standard input and output are both a terminal that can be
    // edited on (not one that says it is "dumb").
    static bool IsUsable(int inFd, int outFd);

    bool IsOpen() const { return m_pEdit != nullptr; }

    // Ctrl+A calls the hook; without one, or when it changes nothing, the
    // key does nothing.
    void SetAccentHook(AccentHook hook) { m_accentHook = std::move(hook); }

    // Shows prompt, lets the learner edit a line and returns it (UTF-8, the
    // line end not kept, at most maxBytes bytes cut at a character boundary).
    // False at the end of the input (Ctrl+D on an empty line), on a signal, or
    // when the terminal went away.
    bool ReadLine(const std::string& prompt, std::string& line, size_t maxBytes);

    // Up and Down bring back the lines added here; nothing is written to disk.
    void AddHistory(const std::string& line);

private:
    static unsigned char OnAccentKey(editline* edit, int key);
    static int ReadCharacter(editline* edit, wchar_t* character);
    static wchar_t* GetPrompt(editline* edit);
    static CLineEditor* From(editline* edit);

    // One byte from the terminal: 1, 0 at its end, -1 on an error or a signal.
    int ReadByte(unsigned char& byte);
    int ReadUtf8Character(wchar_t& character);
    unsigned char ApplyAccent();

    int m_nInFd;
    const volatile std::sig_atomic_t* m_pInterrupted;
    editline* m_pEdit = nullptr;
    historyW* m_pHistory = nullptr;
    AccentHook m_accentHook;
    std::wstring m_wstrPrompt;
    // A byte read ahead while decoding a character that turned out not to be
    // UTF-8; -1 when none.
    int m_nPendingByte = -1;
    // LC_CTYPE as it was before the editor set a UTF-8 one; empty when it
    // was not changed.
    std::string m_strSavedCtype;
    FILE* m_pIn = nullptr;
    FILE* m_pOut = nullptr;
};
