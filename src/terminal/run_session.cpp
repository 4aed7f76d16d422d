#include "terminal/run_session.h"

#include <algorithm>
#include <iostream>
#include <string_view>
#include <vector>

#include "quiz/random_source.h"
#include "sound/audio_player.h"
#include "terminal/accent_key.h"
#include "terminal/line_editor.h"
#include "terminal/line_input.h"
#include "terminal/page_text.h"
#include "terminal/printable_text.h"
#include "terminal/terminal_window.h"
#include "terminal/transcript.h"
#include "text/ascii.h"
#include "ui/torvi_dlg.h"

namespace {

// What PlayQuiz returns.
constexpr int kQuizPlayed = 0;
constexpr int kQuizNotLoaded = 1;

constexpr const char kHint[] = "Type each answer and press Enter; :help lists the commands.";
constexpr const char kContinuePrompt[] = "Press Enter to continue: ";
constexpr const char kFinishedPrompt[] = "Press Enter to leave, or type :restart to play again: ";
constexpr const char kNotJudged[] = "(not judged: no answer box is open)";

// How the window's feedback texts begin.
constexpr std::string_view kRightVerdict = "You are Correct!!!";
constexpr std::string_view kWrongVerdict = "You are wrong";
constexpr std::string_view kScore = "You got ";

// The page file a question is shown in; explanations have a file of their own.
constexpr std::string_view kQuestionPageName = "QuestionTemp.html";

// A cue still playing when the session ends is heard to its end, but the
// program does not linger for a long one; a signal is looked at between slices.
constexpr uint32_t kLastCueMilliseconds = 3000;
constexpr uint32_t kLastCueSliceMilliseconds = 50;

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = FoldAscii(c);
    return text;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// The text with style applied to each of its lines, so that a reset at the end
// of one line leaves the next as styled as the first.
template <typename Style> std::string StyleLines(std::string_view text, Style style) {
    std::string styled;
    bool first = true;
    for (const std::string_view line : SplitLines(text)) {
        if (!first)
            styled += '\n';
        styled += style(line);
        first = false;
    }
    return styled;
}

// A line without its outer blanks and tabs.
std::string Stripped(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(line.substr(first, line.find_last_not_of(" \t") - first + 1));
}

// The first line of a text that shows something.
std::string FirstShownLine(std::string_view text) {
    for (const std::string_view line : SplitLines(text)) {
        std::string shown = Stripped(line);
        if (!shown.empty())
            return shown;
    }
    return {};
}

class CRunSession {
public:
    CRunSession(const CRunOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
                CAudioPlayer* player, const std::string& programDirectory,
                const std::optional<std::string>& pageDirectory)
        : m_options(options), m_in(in), m_err(err), m_pPlayer(player), m_transcript(out),
          m_dlg(m_window, player, programDirectory, pageDirectory) {
        if (m_options.terminal)
            m_transcript.SetWidth(m_options.width);
    }

    int Run();

private:
    enum class ECommand { NotACommand, Handled, Leave };

    // Prints what the window put up since the last call. False when a message
    // box came up (the quiz did not load).
    bool PrintEvents();
    std::string Prompt() const;
    bool ReadLine(const std::string& prompt, std::string& line);
    // Whether the prompt asks for an answer (not for Enter alone).
    bool AsksForAnswer() const;
    ECommand RunCommand(const std::string& line);
    void RunButton(EButton button, void (CTorviDlg::*handler)(), const char* unavailable);
    void ShowHelp();
    // A line that is not a command, in the current state.
    bool TakeLine(const std::string& line);
    // A reply of the session's own, set apart from what the window puts up.
    void Reply(const std::string& text) { m_transcript.Line(m_options.style.Dim(text)); }
    void PrintFeedback(const std::string& text);
    void PrintPage(const CTerminalEvent& event);
    void PrintMissedQuestions();
    void LetTheLastCueFinish();

    // A question answered wrong, for the list after the score.
    struct CMissedQuestion {
        int32_t index = -1;
        std::string question;
        std::string answers;
    };

    const CRunOptions& m_options;
    std::istream& m_in;
    std::ostream& m_err;
    CAudioPlayer* m_pPlayer;
    CTranscript m_transcript;
    // Questions asked since the quiz started; a question asked again does not
    // count twice.
    int m_nAsked = 0;
    bool m_bAskingAgain = false;
    // The first line of the question page shown last.
    std::string m_strQuestionLine;
    std::vector<CMissedQuestion> m_missed;
    CTerminalWindow m_window;
    CTorviDlg m_dlg;
};

int CRunSession::Run() {
    if (m_options.ignoreWords) {
        CTextList& words = m_dlg.GetQuestionSet().GetIgnoreWords();
        words.RemoveAll();
        for (const CTextBuffer* word : *m_options.ignoreWords)
            words.Add(new CTextBuffer(*word));
    }
    // The question set seeded the random source when it was built; a seed given
    // on the command line replaces that choice.
    if (m_options.seed)
        SeedRandomFrom(*m_options.seed);

    m_dlg.OnInitDialog();
    if (m_options.jumbled)
        m_dlg.OnOrderJumbledUp();
    if (m_options.noSound && m_dlg.IsSoundOn())
        m_dlg.OnOptionsSound();
    m_window.TakeEvents();

    m_window.SetOpenFilePath(m_options.quizPath);
    m_dlg.OnFileOpen();
    if (!PrintEvents() || m_dlg.GetState() == QuizState::NoQuiz)
        return kQuizNotLoaded;

    if (m_options.lineEditor)
        m_options.lineEditor->SetAccentHook([this](std::string& text, int& caret) {
            return AccentTypedLine(m_window, m_dlg, text, caret);
        });
    std::string line;
    for (;;) {
        // The line editor shows the prompt's last line itself, to redraw it
        // as the line is edited.
        const std::string prompt = m_transcript.Prompt(Prompt(), m_options.lineEditor != nullptr);
        if (m_transcript.Lost() || !ReadLine(prompt, line)) {
            m_transcript.InputEnded();
            // The end of the input ends the quiz as Quit does.
            if (m_window.IsButtonEnabled(EButton::Quit)) {
                m_dlg.OnQuit();
                PrintEvents();
            }
            break;
        }
        m_transcript.Answered(line, m_options.echoInput);
        const ECommand command = RunCommand(line);
        if (command == ECommand::Leave)
            break;
        if (command == ECommand::NotACommand) {
            const std::string_view answer = Trimmed(line).starts_with("::")
                                                ? std::string_view(line).substr(line.find(':') + 1)
                                                : std::string_view(line);
            if (!TakeLine(std::string(answer)))
                break;
        }
        PrintEvents();
    }
    m_transcript.Flush();
    LetTheLastCueFinish();
    return kQuizPlayed;
}

void CRunSession::LetTheLastCueFinish() {
    if (!m_pPlayer)
        return;
    for (uint32_t waited = 0; waited < kLastCueMilliseconds; waited += kLastCueSliceMilliseconds) {
        if (m_options.interrupted && *m_options.interrupted)
            return;
        if (m_pPlayer->WaitFor(kLastCueSliceMilliseconds))
            return;
    }
}

bool CRunSession::PrintEvents() {
    bool loaded = true;
    bool scored = false;
    for (const CTerminalEvent& event : m_window.TakeEvents()) {
        switch (event.kind) {
        case ETerminalEvent::Title:
            m_transcript.Line(PrintableText(event.text));
            if (m_dlg.GetState() != QuizState::NoQuiz)
                Reply(kHint);
            break;
        case ETerminalEvent::Feedback:
            PrintFeedback(PrintableText(event.text));
            scored = scored || event.text.starts_with(kScore);
            break;
        case ETerminalEvent::Comment:
            m_transcript.Block(PrintableText(event.text), false);
            break;
        case ETerminalEvent::Page:
            // Without a quiz the window shows its welcome page; the terminal has
            // none, and a quiz that does not load ends the run.
            if (m_dlg.GetState() == QuizState::NoQuiz)
                break;
            PrintPage(event);
            break;
        case ETerminalEvent::Message:
            m_transcript.Flush();
            m_err << PrintableText(event.detail) << ": " << PrintableText(event.text) << '\n';
            loaded = false;
            break;
        }
    }
    if (scored && m_options.terminal)
        PrintMissedQuestions();
    return loaded;
}

void CRunSession::PrintFeedback(const std::string& text) {
    const bool right = text.starts_with(kRightVerdict);
    const bool wrong = text.starts_with(kWrongVerdict);
    if (!right && !wrong) {
        m_transcript.Block(text, false);
        return;
    }
    // The verdict line takes the colour; the answers under it stay plain.
    const size_t verdictEnd = std::min(text.find('\n'), text.size());
    const std::string_view verdict = std::string_view(text).substr(0, verdictEnd);
    const std::string_view rest = std::string_view(text).substr(verdictEnd);
    const CTerminalStyle& style = m_options.style;
    m_transcript.Block((right ? style.Right(verdict) : style.Wrong(verdict)) + std::string(rest),
                       false);
    if (!wrong)
        return;

    const int32_t index = m_dlg.GetQuestionSet().GetCurrentIndex();
    for (const CMissedQuestion& missed : m_missed) {
        if (missed.index == index)
            return;
    }
    // The correction lists the expected answers under the verdict, one a line.
    CMissedQuestion missed{index, m_strQuestionLine, {}};
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string answer = Stripped(lines[i]);
        if (!answer.empty())
            missed.answers += (missed.answers.empty() ? "" : " / ") + answer;
    }
    m_missed.push_back(std::move(missed));
}

void CRunSession::PrintPage(const CTerminalEvent& event) {
    const bool question = EndsWith(event.text, kQuestionPageName);
    std::string label;
    if (question && m_options.terminal) {
        if (!m_bAskingAgain)
            ++m_nAsked;
        int32_t total = 0;
        int32_t right = 0;
        m_dlg.GetQuestionSet().GetScore(total, right);
        label = "Question " + std::to_string(m_nAsked) + " of " + std::to_string(total) +
                " \xC2\xB7 " + std::to_string(right) + " right";
    }
    if (question)
        m_bAskingAgain = false;

    if (!event.readable) {
        m_transcript.Block("(the page " + PrintableText(event.text) + " could not be read)", true,
                           label);
        return;
    }
    const bool utf8 = m_dlg.GetQuestionSet().IsUtf8();
    if (!question) {
        // An explanation shows its own bold; a question is bold as a whole.
        m_transcript.Block(PageFileToText(event.detail, utf8, m_options.style), true);
        return;
    }
    const std::string text = PageFileToText(event.detail, utf8);
    m_strQuestionLine = FirstShownLine(text);
    const CTerminalStyle& style = m_options.style;
    m_transcript.Block(StyleLines(text, [&](std::string_view line) { return style.Bold(line); }),
                       true, label);
}

void CRunSession::PrintMissedQuestions() {
    if (m_missed.empty())
        return;
    std::string list = "Answered wrong:";
    for (const CMissedQuestion& missed : m_missed) {
        list += "\n- " + (missed.question.empty() ? std::string("(a question without text)")
                                                  : missed.question);
        list += "\n  " + m_options.style.Right(missed.answers);
    }
    m_transcript.Block(list, false);
}

std::string CRunSession::Prompt() const {
    if (m_dlg.GetState() == QuizState::Asking) {
        const int open = m_window.CountOpenAnswerBoxes();
        const int box = m_window.NextUnansweredBox();
        if (open > 0 && box >= 0)
            return "Answer " + std::to_string(box + 1) + " of " + std::to_string(open) + ": ";
        return kContinuePrompt;
    }
    if (m_dlg.GetState() == QuizState::Finished)
        return kFinishedPrompt;
    return kContinuePrompt;
}

bool CRunSession::AsksForAnswer() const {
    return m_dlg.GetState() == QuizState::Asking && m_window.CountOpenAnswerBoxes() > 0 &&
           m_window.NextUnansweredBox() >= 0;
}

bool CRunSession::ReadLine(const std::string& prompt, std::string& line) {
    if (m_options.interrupted && *m_options.interrupted)
        return false;
    std::string raw;
    if (m_options.lineEditor) {
        if (!m_options.lineEditor->ReadLine(prompt, raw, kMaxTypedLineBytes))
            return false;
    } else if (!ReadBoundedLine(m_in, raw, kMaxTypedLineBytes)) {
        return false;
    }
    line = CleanTypedLine(raw);
    // Up brings back answers and commands; the Enter that only moves on, or
    // a line typed where no answer is asked for, is not worth bringing back.
    if (m_options.lineEditor && !Trimmed(line).empty() &&
        (AsksForAnswer() || Trimmed(line).starts_with(':')))
        m_options.lineEditor->AddHistory(line);
    return true;
}

bool CRunSession::TakeLine(const std::string& line) {
    switch (m_dlg.GetState()) {
    case QuizState::Asking: {
        const int box = m_window.NextUnansweredBox();
        if (box >= 0)
            m_window.TypeAnswer(box, line);
        else if (m_options.terminal && !Trimmed(line).empty())
            Reply(kNotJudged);
        // Every open box answered (or none to answer): what Enter does.
        if (m_window.NextUnansweredBox() < 0)
            m_dlg.OnEnter();
        return true;
    }
    case QuizState::ShowingCorrection:
        if (m_options.terminal && !Trimmed(line).empty())
            Reply(kNotJudged);
        m_dlg.OnEnter();
        return true;
    case QuizState::Finished:
    case QuizState::NoQuiz:
    case QuizState::ChoosingQuestion:
    case QuizState::Judging:
        break;
    }
    return false;
}

CRunSession::ECommand CRunSession::RunCommand(const std::string& line) {
    const std::string text = Trimmed(line);
    if (text.empty() || text[0] != ':' || text.starts_with("::"))
        return ECommand::NotACommand;
    const size_t wordEnd = text.find(' ');
    const std::string word =
        LowerAscii(text.substr(1, wordEnd == std::string::npos ? std::string::npos : wordEnd - 1));
    const std::string argument =
        wordEnd == std::string::npos ? std::string() : LowerAscii(Trimmed(text.substr(wordEnd)));

    const auto noArgument = [&]() {
        if (argument.empty())
            return true;
        Reply(":" + word + " takes no argument.");
        return false;
    };

    if (word == "quit") {
        if (noArgument())
            RunButton(EButton::Quit, &CTorviDlg::OnQuit,
                      "Quit is not available now (only while a question is asked or corrected).");
    } else if (word == "restart") {
        if (noArgument())
            RunButton(EButton::Restart, &CTorviDlg::OnRestart, "Restart is not available now.");
    } else if (word == "repeat") {
        if (noArgument())
            RunButton(EButton::Repeat, &CTorviDlg::OnRepeatQuestion,
                      "Repeat Question is not available now (only after a wrong answer).");
    } else if (word == "explain") {
        if (noArgument())
            RunButton(EButton::Explanation, &CTorviDlg::OnExplanation,
                      "Explanation is not available now (only after a wrong answer to a "
                      "question that has one).");
    } else if (word == "order") {
        if (argument == "in") {
            m_dlg.OnOrderInOrder();
            Reply("Questions come in file order from the next question on.");
        } else if (argument == "jumbled") {
            m_dlg.OnOrderJumbledUp();
            Reply("Questions come jumbled up from the next question on.");
        } else {
            Reply(std::string("Questions come ") +
                  (m_window.IsMenuItemChecked(EMenuItem::JumbledUp) ? "jumbled up"
                                                                    : "in file order") +
                  "; use :order in or :order jumbled.");
        }
    } else if (word == "sound") {
        if (argument == "on" || argument == "off") {
            const bool on = argument == "on";
            if (m_dlg.IsSoundOn() != on)
                m_dlg.OnOptionsSound();
            Reply(on ? "Sound is on." : "Sound is off.");
        } else {
            Reply(std::string("Sound is ") + (m_dlg.IsSoundOn() ? "on" : "off") +
                  "; use :sound on or :sound off.");
        }
    } else if (word == "help") {
        ShowHelp();
    } else {
        Reply("Unknown command \":" + word +
              "\"; :help lists the commands (start an answer with \"::\" to "
              "begin it with \":\").");
    }
    return ECommand::Handled;
}

void CRunSession::RunButton(EButton button, void (CTorviDlg::*handler)(), const char* unavailable) {
    if (!m_window.IsButtonEnabled(button)) {
        Reply(unavailable);
        return;
    }
    // The page that follows is the same question again, or the first one.
    if (button == EButton::Repeat)
        m_bAskingAgain = true;
    if (button == EButton::Restart) {
        m_nAsked = 0;
        m_missed.clear();
    }
    (m_dlg.*handler)();
}

void CRunSession::ShowHelp() {
    struct CEntry {
        const char* usage;
        const char* meaning;
        int button; // -1: a menu, always there
    };
    static constexpr CEntry kEntries[] = {
        {":quit", "end the quiz and show the score", static_cast<int>(EButton::Quit)},
        {":restart", "start the quiz again from the beginning", static_cast<int>(EButton::Restart)},
        {":repeat", "ask the question again after a wrong answer (it then scores nothing)",
         static_cast<int>(EButton::Repeat)},
        {":explain", "show the explanation after a wrong answer",
         static_cast<int>(EButton::Explanation)},
        {":order in|jumbled", "ask the next questions in file order or jumbled up", -1},
        {":sound on|off", "play the sound cues or not", -1},
        {":help", "show this list", -1},
    };
    Reply("Commands, each on a line of its own:");
    for (const CEntry& entry : kEntries) {
        std::string line = "  " + std::string(entry.usage);
        line.append(line.size() < 21 ? 21 - line.size() : 1, ' ');
        line += entry.meaning;
        if (entry.button >= 0 && !m_window.IsButtonEnabled(static_cast<EButton>(entry.button)))
            line += " (not now)";
        Reply(line);
    }
    Reply("Any other line is an answer; \"::\" at its start types one \":\".");
    Reply("The end of the input (Ctrl+D) ends the quiz as :quit does.");
    if (m_options.lineEditor) {
        Reply("Left, Right, Home, End and Ctrl+Left/Right move in the line; Up and "
              "Down bring back earlier answers.");
        Reply("Ctrl+A turns a, e, i, o, u or n before the caret into \u00e1, \u00e9, "
              "\u00ed, \u00f3, \u00fa or \u00f1.");
    }
}

} // namespace

int PlayQuiz(const CRunOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
             CAudioPlayer* player, const std::string& programDirectory,
             const std::optional<std::string>& pageDirectory) {
    CRunSession session(options, in, out, err, player, programDirectory, pageDirectory);
    return session.Run();
}
