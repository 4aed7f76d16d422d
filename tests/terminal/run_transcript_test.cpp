// torvi-cli run played in-process: whole quizzes through piped input, compared
// with the whole transcript, and the commands, options and bad input.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "quiz/question_set.h"
#include "run_test_support.h"
#include "sound/audio_player.h"
#include "support/random_start.h"
#include "support/temp_dir.h"
#include "terminal/line_input.h"
#include "terminal/run_session.h"

namespace {

using run_test::kFinished;
using run_test::kWrong;
using run_test::Lines;
using run_test::Quiz;

const std::string kRule = "----------------------------------------";
const std::string kHint = "Type each answer and press Enter; :help lists the commands.";

struct SPlayed {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class RecordingPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char* data, uint32_t length) override {
        plays.emplace_back(reinterpret_cast<const char*>(data), length);
    }
    void Stop() override {}
    std::vector<std::string> plays;
};

class RunTranscript : public ::testing::Test {
protected:
    RunTranscript() {
        RestartRandomSource();
        for (const char* word : {"the", "of"})
            m_ignoreWords.Add(new CTextBuffer(word));
    }

    SPlayed Play(const std::string& quiz, const std::string& input, CRunOptions options = {},
                 CAudioPlayer* player = nullptr) {
        options.quizPath = quiz;
        options.echoInput = true;
        if (!options.ignoreWords)
            options.ignoreWords = &m_ignoreWords;
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        SPlayed played;
        const std::string folder = m_programDir.Path() + "/";
        played.exitCode = PlayQuiz(options, in, out, err, player, folder, folder);
        played.out = out.str();
        played.err = err.str();
        return played;
    }

    // The first line of every page shown, in order.
    static std::vector<std::string> PagesShown(const std::string& transcript) {
        std::vector<std::string> pages;
        std::istringstream lines(transcript);
        std::string line;
        while (std::getline(lines, line)) {
            if (line == kRule && std::getline(lines, line))
                pages.push_back(line);
        }
        return pages;
    }

    CTempDir m_programDir;
    CTextList m_ignoreWords;
};

TEST_F(RunTranscript, AllRightAnswersPlayTheWholeQuiz) {
    const std::string quiz = Quiz("capitals.txt");
    const SPlayed played = Play(quiz, Lines({"Paris", "red", "green", "blue", "a", "b", "c"}));
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_EQ(played.err, "");
    EXPECT_EQ(played.out, Lines({"Halvan Torvi - " + quiz,
                                 kHint,
                                 "",
                                 kRule,
                                 "What is the capital of France?",
                                 "",
                                 "Answer 1 of 1: Paris",
                                 "",
                                 "You are Correct!!!",
                                 "",
                                 "Paris",
                                 "",
                                 "Paris lies on the Seine.",
                                 "",
                                 kRule,
                                 "Name the primary colours of light,",
                                 "in any order.",
                                 "",
                                 "Answer 1 of 3: red",
                                 "Answer 2 of 3: green",
                                 "Answer 3 of 3: blue",
                                 "",
                                 "You are Correct!!!",
                                 "",
                                 "red",
                                 "green",
                                 "blue",
                                 "",
                                 kRule,
                                 "Give the first three letters of the alphabet, in order.",
                                 "",
                                 "Answer 1 of 3: a",
                                 "Answer 2 of 3: b",
                                 "Answer 3 of 3: c",
                                 "",
                                 "You are Correct!!!",
                                 "",
                                 "a",
                                 "b",
                                 "c",
                                 "",
                                 "You got 3/3 right.",
                                 "",
                                 kFinished}));
}

TEST_F(RunTranscript, WrongAnswerExplanationRepeatAndQuit) {
    const std::string quiz = Quiz("capitals.txt");
    const SPlayed played =
        Play(quiz, Lines({"Lyon", ":explain", ":repeat", "Paris", "blue", ":quit", ""}));
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_EQ(
        played.out,
        Lines({"Halvan Torvi - " + quiz, kHint, "", kRule, "What is the capital of France?", "",
               "Answer 1 of 1: Lyon", "", kWrong, "Paris", "", "Paris lies on the Seine.", "",
               "Press Enter to continue: :explain", "", kRule,
               "The French kings moved their court to Versailles,", "but Paris stayed the capital.",
               "", "Press Enter to continue: :repeat", "", kRule, "What is the capital of France?",
               "", "Answer 1 of 1: Paris", "", "You are Correct!!!", "", "Paris", "",
               "Paris lies on the Seine.", "", kRule, "Name the primary colours of light,",
               "in any order.", "", "Answer 1 of 3: blue", "Answer 2 of 3: :quit", "",
               // The repeated question scores nothing.
               "You got 0/3 right.", "", kFinished}));
}

TEST_F(RunTranscript, EndOfInputEndsTheQuizAsQuitDoes) {
    const SPlayed played = Play(Quiz("capitals.txt"), Lines({"Paris", "red"}));
    EXPECT_EQ(played.exitCode, 0);
    const std::string ending =
        Lines({"Answer 1 of 3: red", "Answer 2 of 3: ", "", "You got 1/3 right."});
    ASSERT_GE(played.out.size(), ending.size());
    EXPECT_EQ(played.out.substr(played.out.size() - ending.size()), ending);
}

TEST_F(RunTranscript, OrderedAnswersMustStandInTheirBoxes) {
    const SPlayed played =
        Play(Quiz("capitals.txt"), Lines({"Paris", "blue", "red", "green", "c", "b", "a", ""}));
    const std::string wrong = Lines({"Answer 3 of 3: a", "", kWrong, "a", "b", "c"});
    EXPECT_NE(played.out.find(wrong), std::string::npos) << played.out;
    EXPECT_NE(played.out.find("You got 2/3 right."), std::string::npos);
}

TEST_F(RunTranscript, CommandsAreRefusedWhileTheirButtonIsDisabled) {
    const SPlayed played =
        Play(Quiz("capitals.txt"), Lines({":repeat", ":explain", "Lyon", ":explain", "", "x", "y",
                                          "z", ":explain", ":quit", ":quit", ":repeat"}));
    const std::string asking =
        Lines({"Answer 1 of 1: :repeat",
               "Repeat Question is not available now (only after a wrong answer).",
               "Answer 1 of 1: :explain",
               "Explanation is not available now (only after a wrong answer to a question that "
               "has one).",
               "Answer 1 of 1: Lyon"});
    EXPECT_NE(played.out.find(asking), std::string::npos) << played.out;
    // The second question has no explanation, so its correction offers none.
    const std::string correction =
        Lines({"Press Enter to continue: :explain",
               "Explanation is not available now (only after a wrong answer to a question that "
               "has one).",
               "Press Enter to continue: :quit"});
    EXPECT_NE(played.out.find(correction), std::string::npos) << played.out;
    const std::string finished =
        Lines({kFinished + ":quit",
               "Quit is not available now (only while a question is asked or corrected).",
               kFinished + ":repeat",
               "Repeat Question is not available now (only after a wrong answer).", kFinished});
    EXPECT_EQ(played.out.substr(played.out.size() - finished.size()), finished);
}

TEST_F(RunTranscript, RestartAfterTheScoreAsksTheFirstQuestionAgain) {
    const SPlayed played = Play(Quiz("capitals.txt"), Lines({":quit", ":restart", "Paris"}));
    const std::string restart = Lines({"You got 0/3 right.", "", kFinished + ":restart", "", kRule,
                                       "What is the capital of France?", "", "Answer 1 of 1: Paris",
                                       "", "You are Correct!!!"});
    EXPECT_NE(played.out.find(restart), std::string::npos) << played.out;
    EXPECT_NE(played.out.find("You got 1/3 right."), std::string::npos);
}

TEST_F(RunTranscript, RestartMidQuestionStartsTheAnswersAgain) {
    const SPlayed played =
        Play(Quiz("capitals.txt"), Lines({"Paris", "red", ":restart", "Paris", "red"}));
    const std::string restart =
        Lines({"Answer 1 of 3: red", "Answer 2 of 3: :restart", "", kRule,
               "What is the capital of France?", "", "Answer 1 of 1: Paris"});
    EXPECT_NE(played.out.find(restart), std::string::npos) << played.out;
    EXPECT_NE(played.out.find("Answer 1 of 3: red\nAnswer 2 of 3: \n\nYou got 1/3 right.\n"),
              std::string::npos)
        << played.out;
}

TEST_F(RunTranscript, FinishedEndsOnAnyLineThatIsNotACommand) {
    const SPlayed played = Play(Quiz("capitals.txt"), Lines({":quit", "", "never read"}));
    EXPECT_EQ(played.out.substr(played.out.size() - kFinished.size() - 1), kFinished + "\n");
}

TEST_F(RunTranscript, HtmlQuestionsAndExplanationsShowAsText) {
    const std::string quiz = Quiz("html.txt");
    const SPlayed played = Play(quiz, Lines({"Loire", ":explain", "", "yes"}));
    EXPECT_EQ(played.out, Lines({"Halvan Torvi - " + quiz,
                                 kHint,
                                 "",
                                 kRule,
                                 "Which river flows through Paris?",
                                 "",
                                 "- Seine",
                                 "- Loire & Rh\xC3\xB4ne",
                                 "",
                                 "Tip: <one word> only \xE2\x80\x93 \xE2\x98\xBA",
                                 "",
                                 "Answer 1 of 1: Loire",
                                 "",
                                 kWrong,
                                 "Seine",
                                 "",
                                 "The Seine is 777 km long.",
                                 "",
                                 "Press Enter to continue: :explain",
                                 "",
                                 kRule,
                                 "The Seine",
                                 "",
                                 "It rises at Source-Seine",
                                 "and ends at Le Havre.",
                                 "",
                                 "Length  777 km",
                                 "Basin  79,000 km\xC2\xB2",
                                 "",
                                 "Press Enter to continue: ",
                                 "",
                                 kRule,
                                 "Is 3 < 5 & 2 > 1 true in plain words?",
                                 "",
                                 "Answer 1 of 1: yes",
                                 "",
                                 "You are Correct!!!",
                                 "",
                                 "yes",
                                 "",
                                 "You got 1/2 right.",
                                 "",
                                 kFinished}));
}

TEST_F(RunTranscript, Windows1252QuizShowsAsUtf8) {
    const std::string quiz = Quiz("cp1252.txt");
    const SPlayed played = Play(quiz, Lines({"gracias", "el gato", ":explain"}));
    EXPECT_EQ(played.out, Lines({"Halvan Torvi - " + quiz,
                                 kHint,
                                 "",
                                 kRule,
                                 "\xC2\xBF"
                                 "C\xC3\xB3mo se dice \xC2\xABthank you\xC2\xBB en espa\xC3\xB1ol?",
                                 "",
                                 "Answer 1 of 1: gracias",
                                 "",
                                 "You are Correct!!!",
                                 "",
                                 "gracias",
                                 "",
                                 "\xC2\xA1Muy bien! \xE2\x80\x93 \xE2\x80\x9Cgracias\xE2\x80\x9D",
                                 "",
                                 kRule,
                                 "\xC2\xBFQu\xC3\xA9 es el perro?",
                                 "",
                                 "\xE2\x82\xAC 5 \xC3\xA9",
                                 "",
                                 "Answer 1 of 1: el gato",
                                 "",
                                 kWrong,
                                 "the dog",
                                 "",
                                 "Press Enter to continue: :explain",
                                 "",
                                 kRule,
                                 "Perro: le chien, der Hund, \xE2\x80\xA6",
                                 "",
                                 "Press Enter to continue: ",
                                 "",
                                 "You got 1/2 right."}));
}

TEST_F(RunTranscript, QuestionWithoutAnswersWaitsForEnter) {
    const SPlayed played = Play(Quiz("empty_answer.txt"), Lines({"anything", "yes"}));
    const std::string expected = Lines(
        {"Press Enter: this question wants no answer.", "", "Press Enter to continue: anything", "",
         "You are Correct!!!", "", kRule, "Say yes.", "", "Answer 1 of 1: yes"});
    EXPECT_NE(played.out.find(expected), std::string::npos) << played.out;
    // Judged right, but a question without answers scores nothing.
    EXPECT_NE(played.out.find("You got 1/2 right."), std::string::npos);
}

TEST_F(RunTranscript, QuizWithoutQuestionsShowsTheScoreAtOnce) {
    const std::string quiz = Quiz("no_questions.txt");
    const SPlayed played = Play(quiz, "");
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_EQ(played.out,
              Lines({"Halvan Torvi - " + quiz, kHint, "", "You got 0/0 right.", "", kFinished}));
}

TEST_F(RunTranscript, QuizThatDoesNotLoadShowsTheMessageAndFails) {
    const SPlayed played = Play(Quiz("bad_syntax.txt"), "Paris\n");
    EXPECT_EQ(played.exitCode, 1);
    EXPECT_EQ(played.out, "");
    EXPECT_EQ(played.err, "Torvi: Bad Syntax for Torvi file.\n\n It's probably a question not "
                          "matched with an answer.\n");
}

TEST_F(RunTranscript, OptionsCommandsReportTheirState) {
    CRunOptions options;
    options.noSound = true;
    const SPlayed played =
        Play(Quiz("capitals.txt"),
             Lines({":sound", ":SOUND On", ":order", ":order jumbled", ":order sideways",
                    ":order in", ":help", ":bogus", ":quit now", "::Paris"}),
             options);
    const std::string expected = Lines({
        "Answer 1 of 1: :sound",
        "Sound is off; use :sound on or :sound off.",
        "Answer 1 of 1: :SOUND On",
        "Sound is on.",
        "Answer 1 of 1: :order",
        "Questions come in file order; use :order in or :order jumbled.",
        "Answer 1 of 1: :order jumbled",
        "Questions come jumbled up from the next question on.",
        "Answer 1 of 1: :order sideways",
        "Questions come jumbled up; use :order in or :order jumbled.",
        "Answer 1 of 1: :order in",
        "Questions come in file order from the next question on.",
        "Answer 1 of 1: :help",
        "Commands, each on a line of its own:",
        "  :quit              end the quiz and show the score",
        "  :restart           start the quiz again from the beginning",
        "  :repeat            ask the question again after a wrong answer (it then scores "
        "nothing) (not now)",
        "  :explain           show the explanation after a wrong answer (not now)",
        "  :order in|jumbled  ask the next questions in file order or jumbled up",
        "  :sound on|off      play the sound cues or not",
        "  :help              show this list",
        "Any other line is an answer; \"::\" at its start types one \":\".",
        "The end of the input (Ctrl+D) ends the quiz as :quit does.",
        "Answer 1 of 1: :bogus",
        "Unknown command \":bogus\"; :help lists the commands (start an answer with \"::\" to "
        "begin it with \":\").",
        "Answer 1 of 1: :quit now",
        ":quit takes no argument.",
        // "::" makes the line an answer, ":Paris", whose one word is right.
        "Answer 1 of 1: ::Paris",
        "",
        "You are Correct!!!",
    });
    EXPECT_NE(played.out.find(expected), std::string::npos) << played.out;
}

TEST_F(RunTranscript, SoundCuesFollowTheSoundOption) {
    const std::string wave = "RIFF....WAVE";
    m_programDir.Write("Start1.wav", wave + "start");
    m_programDir.Write("RightAnswer1.wav", wave + "right");
    m_programDir.Write("WrongAnswer1.wav", wave + "wrong");

    // Cues are looked for in the current folder first.
    const CCurrentDirectory cwd(m_programDir.Path());
    ASSERT_TRUE(cwd.Changed());

    RecordingPlayer withSound;
    Play(Quiz("capitals.txt"), Lines({"Paris", "x", "y", "z"}), {}, &withSound);
    EXPECT_EQ(withSound.plays,
              (std::vector<std::string>{wave + "start", wave + "right", wave + "wrong"}));

    RecordingPlayer silent;
    CRunOptions noSound;
    noSound.noSound = true;
    Play(Quiz("capitals.txt"), Lines({"Paris", ":sound on", "x", "y", "z"}), noSound, &silent);
    EXPECT_EQ(silent.plays, (std::vector<std::string>{wave + "wrong"}));
}

TEST_F(RunTranscript, SeedMakesTheJumbledOrderThatOfTheQuestionSet) {
    const std::string quiz = Quiz("twelve.txt");
    CRunOptions options;
    options.jumbled = true;
    options.noSound = true;
    options.seed = 12345;
    const std::string input(40, '\n');
    const SPlayed first = Play(quiz, input, options);
    RestartRandomSource();
    const SPlayed second = Play(quiz, input, options);
    EXPECT_EQ(first.out, second.out);

    // The same lags set on a question set of its own give the same order.
    RestartRandomSource();
    CQuestionSet reference(nullptr);
    ASSERT_TRUE(reference.Load(quiz.c_str()));
    reference.SetJumbled(true);
    int32_t lags[3];
    SeedLags(12345, lags[0], lags[1], lags[2]);
    SetRandomLags(lags[0], lags[1], lags[2]);
    std::vector<std::string> expected;
    while (const char* text = reference.NextQuestion())
        expected.emplace_back(text);

    EXPECT_EQ(PagesShown(first.out), expected);
    EXPECT_NE(expected.front(), "Question number 1?");
    EXPECT_NE(first.out.find("You got 0/12 right."), std::string::npos);
}

TEST(SeedLags, SplitsTheSeedIntoThreeLags) {
    int32_t first = -1;
    int32_t second = -1;
    int32_t third = -1;
    SeedLags(0, first, second, third);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), (std::vector<int32_t>{0, 0, 0}));
    SeedLags(23, first, second, third);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), (std::vector<int32_t>{1, 1, 0}));
    SeedLags(485, first, second, third);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), (std::vector<int32_t>{1, 0, 1}));
    SeedLags(22 * 22 * 22 - 1, first, second, third);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), (std::vector<int32_t>{21, 21, 21}));
    SeedLags(22 * 22 * 22 + 5, first, second, third);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), (std::vector<int32_t>{5, 0, 0}));
}

TEST_F(RunTranscript, BadInputNeitherCrashesNorStopsTheQuiz) {
    const std::string longLine(200000, 'x');
    const std::string input = "Pa\x1B[Dris\r\n" + longLine + "\n" + "\xFF\xFE\x01\n" +
                              std::string("\0\0\n", 3) + "\n" +
                              "a\n\x7F"
                              "b\nc\n";
    const SPlayed played = Play(Quiz("capitals.txt"), input);
    EXPECT_EQ(played.exitCode, 0);
    // The arrow key's sequence is dropped, so the answer is Paris.
    EXPECT_NE(played.out.find("Answer 1 of 1: Paris\n\nYou are Correct!!!"), std::string::npos);
    // The long line is cut, not lost, and the invalid bytes read as Windows-1252.
    EXPECT_NE(played.out.find("Answer 1 of 3: " + std::string(kMaxTypedLineBytes, 'x') + "\n"),
              std::string::npos);
    EXPECT_NE(played.out.find("Answer 2 of 3: \xC3\xBF\xC3\xBE\n"), std::string::npos);
    EXPECT_NE(played.out.find("Answer 3 of 3: \n"), std::string::npos);
    EXPECT_NE(played.out.find("Answer 1 of 3: a\nAnswer 2 of 3: b\nAnswer 3 of 3: c\n\nYou are "
                              "Correct!!!"),
              std::string::npos);
    EXPECT_NE(played.out.find("You got 2/3 right."), std::string::npos);
}

// The verdicts of quizzes in other alphabets, in the order they are shown.
std::vector<std::string> Verdicts(const std::string& transcript) {
    std::vector<std::string> verdicts;
    std::istringstream lines(transcript);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "You are Correct!!!" || line == kWrong || line.rfind("You got ", 0) == 0)
            verdicts.push_back(line);
    }
    return verdicts;
}

TEST_F(RunTranscript, UnicodeWordsAreJudgedInTheirOwnLetters) {
    // Upper case, ß as ss and the final sigma fold; a missing accent is still
    // wrong; a Persian word without its zero-width non-joiner and full-width
    // letters are right.
    const SPlayed played =
        Play(Quiz("unicode_words.txt"),
             Lines({"КОШКА", "STRASSE", "ΟΔΟΣ", "", "नमस्ते", "میخواهم", "ｃａｆé"}));
    EXPECT_EQ(played.exitCode, 0);
    const std::string right = "You are Correct!!!";
    EXPECT_EQ(Verdicts(played.out), (std::vector<std::string>{right, right, kWrong, right, right,
                                                              right, "You got 5/6 right."}));
    // The feedback shows the expected answer as the quiz has it.
    EXPECT_NE(played.out.find("οδός"), std::string::npos);
}

TEST_F(RunTranscript, AccentsOptionalTakesAnswersWithoutTheirAccents) {
    const SPlayed played =
        Play(Quiz("accents_optional.txt"), Lines({"cafe", "UBERSETZUNG", "οδος"}));
    EXPECT_EQ(Verdicts(played.out),
              (std::vector<std::string>{"You are Correct!!!", "You are Correct!!!",
                                        "You are Correct!!!", "You got 3/3 right."}));
}
} // namespace
