// The line editor on a pseudo-terminal: keys are written to the terminal's
// other side as a learner types them, once the prompt has appeared.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "terminal/line_editor.h"
#include "terminal/signal_guard.h"

namespace {

constexpr const char kPrompt[] = "type> ";
constexpr size_t kNoLimit = 64 * 1024;

class LineEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TERM", "xterm", 1);
        struct winsize size {};
        size.ws_row = 24;
        size.ws_col = 80;
        ASSERT_EQ(openpty(&m_nMaster, &m_nSlave, nullptr, nullptr, &size), 0);
    }
    void TearDown() override {
        close(m_nMaster);
        close(m_nSlave);
    }

    // Reads what the editor wrote until text appears or stop is set; false
    // after a while without it.
    bool WaitFor(const std::string& text, std::string& seen,
                 const std::atomic<bool>* stop = nullptr) {
        for (int i = 0; i < 500 && seen.find(text) == std::string::npos && !(stop && *stop); ++i) {
            pollfd ready{m_nMaster, POLLIN, 0};
            if (poll(&ready, 1, 10) == 1) {
                char buffer[256];
                const ssize_t got = read(m_nMaster, buffer, sizeof buffer);
                if (got > 0)
                    seen.append(buffer, static_cast<size_t>(got));
            }
        }
        return seen.find(text) != std::string::npos;
    }

    void Write(const std::string& keys) {
        ASSERT_EQ(write(m_nMaster, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // One line read with keys typed after the prompt; during tells the typist
    // what else to do once the keys are in.
    bool Type(CLineEditor& editor, const std::string& keys, std::string& line,
              size_t maxBytes = kNoLimit, const std::function<void()>& during = {}) {
        std::atomic<bool> done{false};
        std::thread typist([&]() {
            std::string seen;
            if (!WaitFor(kPrompt, seen))
                return;
            Write(keys);
            if (during)
                during();
            // Keeps the terminal's output drained until the line is read.
            while (!done)
                WaitFor("\x01never", seen, &done);
        });
        const bool read = editor.ReadLine(kPrompt, line, maxBytes);
        done = true;
        typist.join();
        return read;
    }

    int m_nMaster = -1;
    int m_nSlave = -1;
    volatile std::sig_atomic_t m_nInterrupted = 0;
};

TEST_F(LineEditorTest, TheCaretMovesOverWholeCharacters) {
    CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
    ASSERT_TRUE(editor.IsOpen());
    std::string line;
    // Home, then a letter before the rest.
    ASSERT_TRUE(Type(editor, "ola\x1b[Hh\r", line));
    EXPECT_EQ(line, "hola");
    // Left twice goes back over o and a two-byte letter, not into it.
    ASSERT_TRUE(Type(editor, "n\xc3\xb1o\x1b[D\x1b[Di\r", line));
    EXPECT_EQ(line, "ni\xc3\xb1o");
    // A word back, a word forward, Backspace and Delete.
    ASSERT_TRUE(Type(editor, "buenos dias\x1b[1;5DX\x1b[1;5C\x7f\x1b[3~!\r", line));
    EXPECT_EQ(line, "buenos Xdia!");
    // Bytes that are not UTF-8 are read as a Latin-1 terminal means them.
    ASSERT_TRUE(Type(editor, "\xe9t\xe9\r", line));
    EXPECT_EQ(line, "\xc3\xa9t\xc3\xa9");
}

TEST_F(LineEditorTest, ALongLineIsCutAtACharacterBoundary) {
    CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
    std::string line;
    ASSERT_TRUE(Type(editor, "\xc3\xa9\xc3\xa9\xc3\xa9\r", line, 5));
    EXPECT_EQ(line, "\xc3\xa9\xc3\xa9");
}

TEST_F(LineEditorTest, CtrlAHandsTheLineAndCaretToTheHook) {
    CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
    std::string line;
    // Without a hook Ctrl+A does nothing; it does not go to the line's start.
    ASSERT_TRUE(Type(editor,
                     "bc\x01"
                     "a\r",
                     line));
    EXPECT_EQ(line, "bca");

    std::vector<std::pair<std::string, int>> calls;
    editor.SetAccentHook([&](std::string& text, int& caret) {
        calls.emplace_back(text, caret);
        text = "[" + text + "]";
        caret += 1;
        return true;
    });
    // The caret in characters after a two-byte letter, one key back from the end.
    ASSERT_TRUE(Type(editor, "\xc3\xb1u\x1b[D\x01X\r", line));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, "\xc3\xb1u");
    EXPECT_EQ(calls[0].second, 1);
    // The new line replaced the old one and the caret went where the hook put it.
    EXPECT_EQ(line, "[\xc3\xb1Xu]");

    editor.SetAccentHook([](std::string&, int&) { return false; });
    ASSERT_TRUE(Type(editor, "xy\x01z\r", line));
    EXPECT_EQ(line, "xyz");
}

TEST_F(LineEditorTest, UpBringsBackOnlyTheLinesAdded) {
    CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
    std::string line;
    ASSERT_TRUE(Type(editor, "not kept\r", line));
    editor.AddHistory("uno");
    editor.AddHistory("dos");
    ASSERT_TRUE(Type(editor, "\x1b[A\r", line));
    EXPECT_EQ(line, "dos");
    ASSERT_TRUE(Type(editor, "\x1b[A\x1b[A\r", line));
    EXPECT_EQ(line, "uno");
    ASSERT_TRUE(Type(editor, "\x1b[A\x1b[A\x1b[A\r", line));
    EXPECT_EQ(line, "uno");
}

TEST_F(LineEditorTest, CtrlDOnAnEmptyLineEndsTheInput) {
    CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
    std::string line;
    EXPECT_FALSE(Type(editor, "\x04", line));
    // On a line with text it deletes instead.
    ASSERT_TRUE(Type(editor, "ab\x1b[D\x04\r", line));
    EXPECT_EQ(line, "a");
}

TEST_F(LineEditorTest, ASignalEndsAWaitingRead) {
    CSignalGuard guard;
    CLineEditor editor(m_nSlave, m_nSlave, CSignalGuard::Interrupted());
    const pthread_t reader = pthread_self();
    std::atomic<bool> returned{false};
    bool unblocked = false;
    std::string line;
    // The signal comes while the editor waits for the next key. A read that
    // swallowed it would wait on; the typist ends it after a long while.
    std::thread typist([&]() {
        std::string seen;
        if (!WaitFor(kPrompt, seen))
            return;
        Write("ab");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        pthread_kill(reader, SIGINT);
        for (int i = 0; i < 300 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned) {
            unblocked = true;
            Write("\r");
        }
    });
    const bool read = editor.ReadLine(kPrompt, line, kNoLimit);
    returned = true;
    typist.join();
    EXPECT_FALSE(read);
    EXPECT_FALSE(unblocked) << "the read went on waiting after the signal";
    EXPECT_EQ(*CSignalGuard::Interrupted(), 1);
    // And the next read does not wait at all.
    EXPECT_FALSE(editor.ReadLine(kPrompt, line, kNoLimit));
}

TEST_F(LineEditorTest, OnlyTheCharacterTypeLocaleIsSetAndItIsPutBack) {
    ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    setenv("LC_ALL", "C.UTF-8", 1);
    {
        CLineEditor editor(m_nSlave, m_nSlave, &m_nInterrupted);
        EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    }
    unsetenv("LC_ALL");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
}

TEST_F(LineEditorTest, OnlyATerminalOnBothSidesIsEdited) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    EXPECT_TRUE(CLineEditor::IsUsable(m_nSlave, m_nSlave));
    EXPECT_FALSE(CLineEditor::IsUsable(pipeFds[0], m_nSlave));
    EXPECT_FALSE(CLineEditor::IsUsable(m_nSlave, pipeFds[1]));
    setenv("TERM", "dumb", 1);
    EXPECT_FALSE(CLineEditor::IsUsable(m_nSlave, m_nSlave));
    close(pipeFds[0]);
    close(pipeFds[1]);
}

} // namespace
