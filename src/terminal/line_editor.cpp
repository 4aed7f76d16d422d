#include "terminal/line_editor.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include "text/encoding.h"

namespace {

// Lines kept for Up and Down.
constexpr int kHistoryLines = 200;

// Set when the program goes on after a stop (Ctrl+Z, then fg) while a line
// is read: the shell has put the terminal back into its line mode meanwhile.
volatile std::sig_atomic_t g_nContinued = 0;

extern "C" void OnContinue(int) {
    g_nContinued = 1;
}

bool CtypeIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

std::string WideToUtf8(const wchar_t* begin, const wchar_t* end) {
    std::string text;
    for (const wchar_t* p = begin; p < end; ++p) {
        const auto code = static_cast<char32_t>(*p);
        // A lone surrogate or a value past Unicode is no character.
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            continue;
        AppendUtf8(text, code);
    }
    return text;
}

std::wstring Utf8ToWide(const std::string& text) {
    const std::u32string decoded = DecodeUtf8(text);
    return std::wstring(decoded.begin(), decoded.end());
}

} // namespace

bool CLineEditor::IsUsable(int inFd, int outFd) {
    if (!isatty(inFd) || !isatty(outFd))
        return false;
    // A terminal without cursor movement (an editor's shell buffer) edits its
    // own lines better than we could.
    const char* term = std::getenv("TERM");
    return term && *term && std::strcmp(term, "dumb") != 0;
}

CLineEditor::CLineEditor(int inFd, int outFd, const volatile std::sig_atomic_t* interrupted)
    : m_nInFd(inFd), m_pInterrupted(interrupted) {
    // libedit measures and shows characters through the C library's wide
    // character functions, which need a UTF-8 LC_CTYPE. Only LC_CTYPE is
    // touched: the quiz loader reads decimal numbers and must never see a
    // locale's decimal comma.
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current ? current : "C";
    if (!std::setlocale(LC_CTYPE, "") || !CtypeIsUtf8()) {
        if (!std::setlocale(LC_CTYPE, "C.UTF-8") || !CtypeIsUtf8())
            std::setlocale(LC_CTYPE, saved.c_str());
    }
    const char* now = std::setlocale(LC_CTYPE, nullptr);
    if (!now || saved != now)
        m_strSavedCtype = saved;

    // Streams of their own, so that closing them leaves the descriptors open.
    const int in = dup(inFd);
    const int out = dup(outFd);
    m_pIn = in >= 0 ? fdopen(in, "r") : nullptr;
    m_pOut = out >= 0 ? fdopen(out, "w") : nullptr;
    if (!m_pIn || !m_pOut) {
        if (!m_pIn && in >= 0)
            close(in);
        if (!m_pOut && out >= 0)
            close(out);
        return;
    }
    m_pEdit = el_init("torvi-cli", m_pIn, m_pOut, stderr);
    if (!m_pEdit)
        return;
    m_pHistory = history_winit();
    HistEventW event{};
    if (m_pHistory) {
        history_w(m_pHistory, &event, H_SETSIZE, kHistoryLines);
        // The same answer twice in a row is kept once.
        history_w(m_pHistory, &event, H_SETUNIQUE, 1);
        el_wset(m_pEdit, EL_HIST, history_w, m_pHistory);
    }
    el_wset(m_pEdit, EL_CLIENTDATA, this);
    el_wset(m_pEdit, EL_EDITOR, L"emacs");
    // libedit's own handlers would send the signal on to the whole process
    // group; the session's handlers end the read instead (see ReadByte).
    el_wset(m_pEdit, EL_SIGNAL, 0);
    el_wset(m_pEdit, EL_PROMPT, &CLineEditor::GetPrompt);
    el_wset(m_pEdit, EL_GETCFN, &CLineEditor::ReadCharacter);
    el_wset(m_pEdit, EL_ADDFN, L"torvi-accent", L"Accent the letter before the caret",
            &CLineEditor::OnAccentKey);
    // Ctrl+A is the accent key, as in the quiz window; Home still goes to the
    // start of the line. ~/.editrc is not read, so no key is bound elsewhere.
    el_wset(m_pEdit, EL_BIND, L"^A", L"torvi-accent", nullptr);
    // The keys terminals send for Home, End, Delete and the word moves, in
    // the forms the terminal description may not name.
    struct CBinding {
        const wchar_t* keys;
        const wchar_t* command;
    };
    static constexpr CBinding kBindings[] = {
        {L"\033[H", L"ed-move-to-beg"},       {L"\033OH", L"ed-move-to-beg"},
        {L"\033[1~", L"ed-move-to-beg"},      {L"\033[7~", L"ed-move-to-beg"},
        {L"\033[F", L"ed-move-to-end"},       {L"\033OF", L"ed-move-to-end"},
        {L"\033[4~", L"ed-move-to-end"},      {L"\033[8~", L"ed-move-to-end"},
        {L"\033[3~", L"ed-delete-next-char"}, {L"\033[1;5D", L"ed-prev-word"},
        {L"\033[1;5C", L"em-next-word"},      {L"\033[1;3D", L"ed-prev-word"},
        {L"\033[1;3C", L"em-next-word"},
    };
    for (const CBinding& binding : kBindings)
        el_wset(m_pEdit, EL_BIND, binding.keys, binding.command, nullptr);
}

CLineEditor::~CLineEditor() {
    // el_end puts the terminal's settings back.
    if (m_pEdit)
        el_end(m_pEdit);
    if (m_pHistory)
        history_wend(m_pHistory);
    if (m_pIn)
        std::fclose(m_pIn);
    if (m_pOut)
        std::fclose(m_pOut);
    if (!m_strSavedCtype.empty())
        std::setlocale(LC_CTYPE, m_strSavedCtype.c_str());
}

bool CLineEditor::ReadLine(const std::string& prompt, std::string& line, size_t maxBytes) {
    line.clear();
    if (!m_pEdit || (m_pInterrupted && *m_pInterrupted))
        return false;
    m_wstrPrompt = Utf8ToWide(prompt);
    // The window may have changed size since the last line.
    el_resize(m_pEdit);
    // The terminal leaves its line mode before the prompt appears: keys typed
    // as soon as it shows are then read as keys, not taken by the terminal's
    // own line editing (its erase and end-of-file characters).
    el_wset(m_pEdit, EL_PREP_TERM, 1);
    // The handler breaks the waiting read, so that the terminal is set up again.
    struct sigaction onContinue {};
    onContinue.sa_handler = OnContinue;
    sigemptyset(&onContinue.sa_mask);
    struct sigaction savedContinue {};
    g_nContinued = 0;
    sigaction(SIGCONT, &onContinue, &savedContinue);
    int count = 0;
    const wchar_t* text = el_wgets(m_pEdit, &count);
    sigaction(SIGCONT, &savedContinue, nullptr);
    el_wset(m_pEdit, EL_PREP_TERM, 0);
    if (!text || count <= 0 || (m_pInterrupted && *m_pInterrupted))
        return false;
    const wchar_t* end = text + count;
    while (end > text && (end[-1] == L'\n' || end[-1] == L'\r'))
        --end;
    line = WideToUtf8(text, end);
    CutUtf8(line, maxBytes);
    return true;
}

void CLineEditor::AddHistory(const std::string& line) {
    if (!m_pHistory || line.empty())
        return;
    HistEventW event{};
    history_w(m_pHistory, &event, H_ENTER, Utf8ToWide(line).c_str());
}

CLineEditor* CLineEditor::From(editline* edit) {
    void* data = nullptr;
    el_wget(edit, EL_CLIENTDATA, &data);
    return static_cast<CLineEditor*>(data);
}

wchar_t* CLineEditor::GetPrompt(editline* edit) {
    CLineEditor* self = From(edit);
    return self ? self->m_wstrPrompt.data() : const_cast<wchar_t*>(L"");
}

unsigned char CLineEditor::OnAccentKey(editline* edit, int) {
    CLineEditor* self = From(edit);
    return self ? self->ApplyAccent() : static_cast<unsigned char>(CC_NORM);
}

unsigned char CLineEditor::ApplyAccent() {
    if (!m_accentHook)
        return CC_NORM;
    const LineInfoW* info = el_wline(m_pEdit);
    if (!info)
        return CC_NORM;
    const std::wstring before(info->buffer, info->lastchar);
    int caret = static_cast<int>(info->cursor - info->buffer);
    std::string text = WideToUtf8(info->buffer, info->lastchar);
    if (!m_accentHook(text, caret))
        return CC_NORM;

    const std::wstring after = Utf8ToWide(text);
    if (caret < 0)
        caret = 0;
    if (caret > static_cast<int>(after.size()))
        caret = static_cast<int>(after.size());
    // The whole line is replaced: the caret to its end, everything rubbed
    // out, the new text typed in, the caret put back.
    el_cursor(m_pEdit, static_cast<int>(info->lastchar - info->cursor));
    el_deletestr(m_pEdit, static_cast<int>(before.size()));
    if (!after.empty())
        el_winsertstr(m_pEdit, after.c_str());
    el_cursor(m_pEdit, caret - static_cast<int>(after.size()));
    return CC_REFRESH;
}

int CLineEditor::ReadCharacter(editline* edit, wchar_t* character) {
    CLineEditor* self = From(edit);
    if (!self)
        return -1;
    return self->ReadUtf8Character(*character);
}

int CLineEditor::ReadByte(unsigned char& byte) {
    if (m_nPendingByte >= 0) {
        byte = static_cast<unsigned char>(m_nPendingByte);
        m_nPendingByte = -1;
        return 1;
    }
    for (;;) {
        // A signal breaks a waiting read (its handler does not restart it):
        // the line ends here rather than waiting for another key.
        if (m_pInterrupted && *m_pInterrupted)
            return -1;
        const ssize_t got = read(m_nInFd, &byte, 1);
        if (got == 1)
            return 1;
        if (got == 0)
            return 0;
        if (errno != EINTR && errno != EAGAIN)
            return -1;
        if (g_nContinued) {
            g_nContinued = 0;
            el_wset(m_pEdit, EL_PREP_TERM, 0);
            el_wset(m_pEdit, EL_PREP_TERM, 1);
            el_wset(m_pEdit, EL_REFRESH);
        }
    }
}

int CLineEditor::ReadUtf8Character(wchar_t& character) {
    unsigned char lead = 0;
    const int got = ReadByte(lead);
    if (got != 1)
        return got;
    size_t more = 0;
    char32_t code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        code = lead & 0x07;
    }
    for (size_t i = 0; i < more; ++i) {
        unsigned char next = 0;
        const int nextGot = ReadByte(next);
        if (nextGot != 1)
            return nextGot;
        if ((next & 0xC0) != 0x80) {
            // Not UTF-8 after all: the lead byte stands for itself, as a
            // Latin-1 terminal would mean it, and the byte is read again.
            m_nPendingByte = next;
            character = static_cast<wchar_t>(lead);
            return 1;
        }
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are no characters.
    if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
        code = 0xFFFD;
    character = static_cast<wchar_t>(code);
    return 1;
}
