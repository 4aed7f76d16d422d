// torvi-cli run as it looks on a terminal, played in-process with string
// streams: the progress above each question, the width the texts are laid out
// at, colour, the questions answered wrong after the score, the note on lines
// that are not judged, and the last cue heard to its end.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_test_support.h"
#include "sound/audio_player.h"
#include "support/random_start.h"
#include "support/temp_dir.h"
#include "terminal/run_session.h"
#include "terminal/terminal_style.h"
#include "terminal/text_layout.h"

namespace {

using run_test::kFinished;
using run_test::kWrong;
using run_test::Lines;
using run_test::Quiz;

const std::string kDot = "\xC2\xB7";
const std::string kNotJudged = "(not judged: no answer box is open)";

// A rule of the given width with the progress set into it.
std::string Heading(int asked, int total, int right, int width) {
    const std::string label = "Question " + std::to_string(asked) + " of " + std::to_string(total) +
                              " " + kDot + " " + std::to_string(right) + " right";
    // The middle dot takes one column in two bytes.
    return "--- " + label + " " + std::string(width - 5 - (label.size() - 1), '-');
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The lines that head a page: those that start with a dash.
std::vector<std::string> Rules(const std::string& transcript) {
    std::vector<std::string> rules;
    for (const std::string& line : SplitLines(transcript)) {
        if (line.starts_with("---"))
            rules.push_back(line);
    }
    return rules;
}

std::string WithoutEscapes(const std::string& text) {
    return std::regex_replace(text, std::regex("\x1b\\[[0-9;]*m"), "");
}

class TerminalSession : public ::testing::Test {
protected:
    TerminalSession() {
        RestartRandomSource();
        for (const char* word : {"the", "of"})
            m_ignoreWords.Add(new CTextBuffer(word));
    }

    // Played as on a terminal m_nWidth columns wide, the typed lines echoed so
    // that the transcript reads as the screen does.
    std::string Play(const std::string& quiz, const std::string& input, CRunOptions options = {},
                     CAudioPlayer* player = nullptr) {
        std::istringstream in(input);
        return Play(quiz, in, std::move(options), player);
    }

    std::string Play(const std::string& quiz, std::istream& in, CRunOptions options,
                     CAudioPlayer* player = nullptr) {
        options.quizPath = quiz;
        options.echoInput = true;
        options.ignoreWords = &m_ignoreWords;
        if (!options.width)
            options.width = [this] { return m_nWidth; };
        std::ostringstream out;
        std::ostringstream err;
        const std::string folder = m_programDir.Path() + "/";
        EXPECT_EQ(PlayQuiz(options, in, out, err, player, folder, folder), 0);
        EXPECT_EQ(err.str(), "");
        return out.str();
    }

    static CRunOptions OnTerminal(bool colour = false) {
        CRunOptions options;
        options.terminal = true;
        options.noSound = true;
        options.style = CTerminalStyle(colour);
        return options;
    }

    CTempDir m_programDir;
    CTextList m_ignoreWords;
    int m_nWidth = 60;
};

TEST_F(TerminalSession, ProgressHeadsEachQuestionAndTheMissedOnesFollowTheScore) {
    const std::string quiz = Quiz("capitals.txt");
    const std::string out =
        Play(quiz, Lines({"Paris", "red", "blue", "pink", "no", "a", "b", "c"}), OnTerminal());
    EXPECT_EQ(
        out,
        Lines({"Halvan Torvi - " + quiz,
               "Type each answer and press Enter; :help lists the commands.", "",
               Heading(1, 3, 0, 60), "What is the capital of France?", "", "Answer 1 of 1: Paris",
               "", "You are Correct!!!", "", "Paris", "", "Paris lies on the Seine.", "",
               Heading(2, 3, 1, 60), "Name the primary colours of light,", "in any order.", "",
               "Answer 1 of 3: red", "Answer 2 of 3: blue", "Answer 3 of 3: pink", "",
               // Sixty columns break the verdict at its last blank.
               "You are wrong, the correct answer is:      {Press Enter to", "continue}", "red",
               "green", "blue", "", "Press Enter to continue: no", kNotJudged, "",
               Heading(3, 3, 1, 60), "Give the first three letters of the alphabet, in order.", "",
               "Answer 1 of 3: a", "Answer 2 of 3: b", "Answer 3 of 3: c", "", "You are Correct!!!",
               "", "a", "b", "c", "", "You got 2/3 right.", "", "Answered wrong:",
               "- Name the primary colours of light,", "  red / green / blue", "", kFinished}));
}

TEST_F(TerminalSession, RepeatedQuestionCountsOnceAndRestartStartsTheCountAgain) {
    const std::string out = Play(Quiz("capitals.txt"),
                                 Lines({"Lyon", ":repeat", "Nice", ":repeat", "Paris", "x", "y",
                                        "z", ":quit", ":restart", "Paris", ":quit"}),
                                 OnTerminal());
    EXPECT_EQ(Rules(out), (std::vector<std::string>{
                              Heading(1, 3, 0, 60), Heading(1, 3, 0, 60), Heading(1, 3, 0, 60),
                              // Right when repeated, but a repeated question scores nothing.
                              Heading(2, 3, 0, 60),
                              // After :restart the count starts again.
                              Heading(1, 3, 0, 60), Heading(2, 3, 1, 60)}));
    // The question missed twice is listed once.
    EXPECT_NE(out.find("You got 0/3 right.\n\nAnswered wrong:\n- What is the capital of "
                       "France?\n  Paris\n- Name the primary colours of light,\n  red / green / "
                       "blue\n\n" +
                       kFinished + ":restart\n"),
              std::string::npos)
        << out;
    // The list starts again with the quiz: nothing was missed since.
    const std::string ending = "You got 1/3 right.\n\n" + kFinished + "\n";
    ASSERT_GE(out.size(), ending.size());
    EXPECT_EQ(out.substr(out.size() - ending.size()), ending);
}

TEST_F(TerminalSession, EachMissedQuestionIsListedOnceInTheOrderAsked) {
    CRunOptions options = OnTerminal();
    options.jumbled = true;
    options.seed = 4242;
    // Every answer wrong, the first question asked missed twice.
    const std::string out = Play(
        Quiz("twelve.txt"), Lines({"no", ":repeat", "no", "", "no", "", "no", ":quit"}), options);
    std::vector<std::string> asked;
    std::vector<std::string> lines = SplitLines(out);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].starts_with("--- Question"))
            asked.push_back(lines[i + 1]);
    }
    ASSERT_EQ(asked.size(), 4u) << out;
    EXPECT_EQ(asked[0], asked[1]);
    const std::vector<std::string> headings = Rules(out);
    EXPECT_EQ(headings, (std::vector<std::string>{Heading(1, 12, 0, 60), Heading(1, 12, 0, 60),
                                                  Heading(2, 12, 0, 60), Heading(3, 12, 0, 60)}));

    // "Question number 7?" expects "answer7".
    std::vector<std::string> expected = {"Answered wrong:"};
    for (size_t i = 1; i < asked.size(); ++i) {
        const std::string number = asked[i].substr(16, asked[i].size() - 17);
        expected.push_back("- " + asked[i]);
        expected.push_back("  answer" + number);
    }
    const std::string list = Lines(expected);
    EXPECT_NE(out.find("You got 0/12 right.\n\n" + list + "\n" + kFinished), std::string::npos)
        << out;
}

TEST_F(TerminalSession, MissedPageQuestionIsListedByItsFirstShownLine) {
    const std::string out = Play(Quiz("html.txt"), Lines({"Loire", "", "no"}), OnTerminal());
    EXPECT_NE(out.find("You got 0/2 right.\n\nAnswered wrong:\n- Which river flows through "
                       "Paris?\n  Seine\n- Is 3 < 5 & 2 > 1 true in plain words?\n  yes\n"),
              std::string::npos)
        << out;
}

TEST_F(TerminalSession, NothingIsListedWhenAllWereRight) {
    const std::string out =
        Play(Quiz("capitals.txt"), Lines({"Paris", "red", "green", "blue", "a", "b", "c"}),
             OnTerminal());
    EXPECT_NE(out.find("You got 3/3 right.\n\n" + kFinished), std::string::npos) << out;
    EXPECT_EQ(out.find("Answered wrong"), std::string::npos);
}

TEST_F(TerminalSession, OnlyTypedTextWhereNothingIsJudgedGetsTheNote) {
    const std::string out =
        Play(Quiz("empty_answer.txt"), Lines({"anything", "no", "   ", ""}), OnTerminal());
    // The question without answers, then a wrong answer's correction.
    EXPECT_NE(out.find("Press Enter to continue: anything\n" + kNotJudged + "\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Press Enter to continue:    \n\n"), std::string::npos) << out;
    size_t notes = 0;
    for (const std::string& line : SplitLines(out))
        notes += line == kNotJudged ? 1 : 0;
    EXPECT_EQ(notes, 1u) << out;
}

TEST_F(TerminalSession, RuleFollowsTheWidthAsTheWindowIsResized) {
    // The window is resized as the learner types: 30 columns at the first
    // question, 250 from the first answer on, unreadable from the third page.
    const std::string input = Lines({"Lyon", ":explain", "", "x", "y", "z", "", "a"});
    std::istringstream in(input);
    int asked = 0;
    CRunOptions options = OnTerminal();
    options.width = [&] {
        ++asked;
        const auto read = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
        return read < 5 ? 30 : read <= 21 ? 250 : 0;
    };
    const std::string out = Play(Quiz("capitals.txt"), in, options);
    const std::vector<std::string> rules = Rules(out);
    ASSERT_EQ(rules.size(), 4u) << out;
    // A label that leaves no room for dashes after it stands alone.
    EXPECT_EQ(rules[0], "--- Question 1 of 3 " + kDot + " 0 right");
    // The explanation's rule has no label; a wide window gets a capped rule.
    EXPECT_EQ(rules[1], std::string(100, '-'));
    EXPECT_EQ(rules[2], Heading(2, 3, 0, 100));
    // A width that cannot be read draws the plain 40 columns.
    EXPECT_EQ(rules[3], Heading(3, 3, 0, 40));
    EXPECT_GE(asked, 4);
}

TEST_F(TerminalSession, NoLineIsWiderThanANarrowTerminal) {
    m_nWidth = 30;
    const std::string out =
        Play(Quiz("capitals.txt"), Lines({"Paris", "red", "green", "pink", "", "a", "b", "c", ""}),
             OnTerminal());
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = std::min(out.find('\n', start), out.size());
        EXPECT_LE(TextColumns(out.substr(start, end - start)), 30)
            << out.substr(start, end - start);
        start = end + 1;
    }
    // A long prompt is broken at a blank; the answer follows its last line.
    EXPECT_NE(out.find("\nPress Enter to leave, or type\n:restart to play again: \n"),
              std::string::npos)
        << out;
}

TEST_F(TerminalSession, ColourMarksVerdictsQuestionsAndReplies) {
    // Wide enough to keep the wrong-answer verdict on one line.
    m_nWidth = 100;
    const std::string out =
        Play(Quiz("capitals.txt"), Lines({"Paris", "red", ":sound", "x", "y"}), OnTerminal(true));
    EXPECT_NE(out.find("\x1b[2mType each answer and press Enter; :help lists the commands.\x1b[0m"),
              std::string::npos);
    EXPECT_NE(out.find("\n\x1b[1mWhat is the capital of France?\x1b[0m\n"), std::string::npos);
    // Each line of a question is bold on its own.
    EXPECT_NE(out.find("\n\x1b[1mName the primary colours of light,\x1b[0m\n\x1b[1min any "
                       "order.\x1b[0m\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\n\x1b[32mYou are Correct!!!\x1b[0m\n\nParis\n"), std::string::npos);
    EXPECT_NE(out.find("\n\x1b[31m" + kWrong + "\x1b[0m\nred\n"), std::string::npos);
    EXPECT_NE(out.find("\n\x1b[2mSound is off; use :sound on or :sound off.\x1b[0m\n"),
              std::string::npos);
    EXPECT_NE(out.find("Answered wrong:\n- Name the primary colours of light,\n  \x1b[32mred / "
                       "green / blue\x1b[0m\n"),
              std::string::npos)
        << out;
    // The score stays as the window words it.
    EXPECT_NE(out.find("\nYou got 1/3 right.\n"), std::string::npos);
}

TEST_F(TerminalSession, ColourIntoAPipeOnlyAddsTheEscapes) {
    const std::string input = Lines({"Lyon", ":explain", ":help", "", "red", ":bogus", "x", "y"});
    CRunOptions plain;
    plain.noSound = true;
    int widthAsked = 0;
    plain.width = [&] { return ++widthAsked, 20; };
    CRunOptions coloured = plain;
    coloured.style = CTerminalStyle(true);
    const std::string plainOut = Play(Quiz("capitals.txt"), input, plain);
    RestartRandomSource();
    const std::string colouredOut = Play(Quiz("capitals.txt"), input, coloured);
    EXPECT_NE(colouredOut, plainOut);
    EXPECT_EQ(WithoutEscapes(colouredOut), plainOut);
    // Not on a terminal: the width is never asked, the rule stays 40 dashes.
    EXPECT_EQ(widthAsked, 0);
    EXPECT_NE(plainOut.find("\n" + std::string(40, '-') + "\n"), std::string::npos);
    EXPECT_EQ(plainOut.find("Question 1"), std::string::npos);
}

TEST(WantsColour, AutoColoursATerminalUnlessToldNotTo) {
    EXPECT_TRUE(WantsColour(EColourChoice::Auto, true, nullptr, "xterm-256color"));
    EXPECT_TRUE(WantsColour(EColourChoice::Auto, true, "", nullptr));
    EXPECT_FALSE(WantsColour(EColourChoice::Auto, false, nullptr, "xterm"));
    for (const char* value : {"1", "0", "false", " "})
        EXPECT_FALSE(WantsColour(EColourChoice::Auto, true, value, "xterm")) << value;
    EXPECT_FALSE(WantsColour(EColourChoice::Auto, true, nullptr, "dumb"));
    EXPECT_TRUE(WantsColour(EColourChoice::Always, false, "1", "dumb"));
    EXPECT_FALSE(WantsColour(EColourChoice::Never, true, nullptr, "xterm"));
}

// Records what the session asks of the player after the quiz.
class WaitingPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char*, uint32_t) override { events.push_back("play"); }
    void Stop() override { events.push_back("stop"); }
    bool WaitFor(uint32_t milliseconds) override {
        events.push_back("wait");
        waited += milliseconds;
        if (interruptOnWait)
            *interruptOnWait = 1;
        return --slicesToPlay < 0;
    }
    std::vector<std::string> events;
    uint64_t waited = 0;
    int slicesToPlay = 0;
    volatile std::sig_atomic_t* interruptOnWait = nullptr;
};

class LastCue : public TerminalSession {
protected:
    void SetUp() override {
        m_programDir.Write("RightAnswer1.wav", "RIFF....WAVEright");
        ASSERT_TRUE(m_cwd.Changed());
    }

    std::vector<std::string> Waits(const WaitingPlayer& player) const {
        std::vector<std::string> waits;
        for (const std::string& event : player.events) {
            if (event == "wait")
                waits.push_back(event);
        }
        return waits;
    }

    // The one-question quiz ends on a right answer, whose cue is then due.
    void PlayToTheEnd(WaitingPlayer& player, const volatile std::sig_atomic_t* interrupted) {
        m_programDir.Write("one.txt", "Say yes.\nyes\n");
        CRunOptions options;
        options.interrupted = interrupted;
        Play(m_programDir.File("one.txt"), "yes\n", options, &player);
    }

    CCurrentDirectory m_cwd{m_programDir.Path()};
};

TEST_F(LastCue, PlaysToItsEndBeforeThePlayerIsSilenced) {
    WaitingPlayer player;
    player.slicesToPlay = 3;
    PlayToTheEnd(player, nullptr);
    EXPECT_EQ(player.events,
              (std::vector<std::string>{"play", "wait", "wait", "wait", "wait", "stop"}));
}

TEST_F(LastCue, WaitIsBoundedForACueThatNeverEnds) {
    WaitingPlayer player;
    player.slicesToPlay = 1 << 30;
    PlayToTheEnd(player, nullptr);
    EXPECT_LE(player.waited, 3000u);
    EXPECT_GE(player.waited, 2900u);
    EXPECT_EQ(player.events.back(), "stop");
}

TEST_F(LastCue, SignalEndsTheWaitAtOnce) {
    volatile std::sig_atomic_t interrupted = 0;
    WaitingPlayer during;
    during.slicesToPlay = 1 << 30;
    during.interruptOnWait = &interrupted;
    PlayToTheEnd(during, &interrupted);
    EXPECT_EQ(Waits(during).size(), 1u);
    EXPECT_LE(during.waited, 100u);

    // A signal that ended the session leaves no wait at all.
    WaitingPlayer before;
    before.slicesToPlay = 1 << 30;
    PlayToTheEnd(before, &interrupted);
    EXPECT_TRUE(Waits(before).empty());
}

} // namespace
