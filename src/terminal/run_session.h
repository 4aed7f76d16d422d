// The terminal quiz: a terminal window drives the quiz window's own logic, so
// the flow, the judging, the feedback texts and the score are those of the
// desktop program.
#pragma once

#include <csignal>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "quiz/random_source.h"
#include "terminal/terminal_style.h"
#include "text/item_list.h"

class CAudioPlayer;
class CLineEditor;

struct CRunOptions {
    std::string quizPath;
    // Replaces the ignore list the question set read at start; null keeps it.
    const CTextList* ignoreWords = nullptr;
    bool jumbled = false;
    bool noSound = false;
    // Sets the random source's three lags: N mod 22, (N div 22) mod 22 and
    // (N div 484) mod 22.
    std::optional<uint64_t> seed;
    // Writes each line read after its prompt, so that a transcript of piped
    // input reads like a session at the terminal.
    bool echoInput = false;
    // Set by a signal handler (Ctrl+C, a closed terminal): the session reads no
    // more lines and ends the quiz as the end of the input does.
    const volatile std::sig_atomic_t* interrupted = nullptr;

    // Someone reads the session on a terminal: each question is headed by how
    // far the quiz has come, the score is followed by the questions answered
    // wrong, and lines typed where nothing is judged are answered with a note.
    // Without it the session is written as a plain transcript.
    bool terminal = false;
    // The terminal's width in columns, asked before each print so that a
    // resized window is followed. Texts are wrapped at it and the line above a
    // page spans it; none, or 0 or less, keeps lines as they are and the line
    // 40 dashes. Only asked on a terminal.
    std::function<int()> width;
    // Colour and weight; colour off writes plain text.
    CTerminalStyle style = CTerminalStyle(false);
    // Reads the lines on a terminal with editing, a history and the accent
    // key instead of from the input stream; null reads the stream.
    CLineEditor* lineEditor = nullptr;
};

// Plays the quiz at options.quizPath with lines read from in, the session
// written to out and failures to err. programDirectory holds the sound cues.
// The page files go into pageDirectory when one is given (the session's own
// folder), else where the desktop program would put them. Returns the exit
// code: 0 once the quiz was played, 1 when the quiz file does not load.
int PlayQuiz(const CRunOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
             CAudioPlayer* player, const std::string& programDirectory,
             const std::optional<std::string>& pageDirectory);
