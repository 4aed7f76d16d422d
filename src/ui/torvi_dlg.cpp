#include "ui/torvi_dlg.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "convert/quiz_import.h"
#include "file/page_sweep.h"
#include "quiz/random_source.h"
#include "sound/audio_player.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "text/text_buffer.h"
#include "ui/page_composer.h"
#include "ui/program_paths.h"
#include "ui/torvi_dlg_auto_proxy.h"

namespace {
constexpr const char kTitle[] = "Halvan Torvi";
constexpr const char kTitlePrefix[] = "Halvan Torvi - ";
constexpr const char kRightText[] = "You are Correct!!!\r\n\r\n";
constexpr const char kWrongText[] =
    "You are wrong, the correct answer is:      {Press Enter to continue}\r\n";
constexpr const char kScoreFormat[] = "You got %d/%d right.";
constexpr const char kBadSyntaxText[] =
    "Bad Syntax for Torvi file.\n\n It's probably a question not matched with an answer.";
constexpr const char kBadSyntaxCaption[] = "Torvi";
// A vocabulary file, spreadsheet or flashcard export that does not convert; the
// reason follows.
constexpr const char kNotConvertedText[] = "This file cannot be opened as a quiz:\n\n";

constexpr const char kQuestionPage[] = "QuestionTemp.html";
constexpr const char kExplanationPage[] = "ExplanationTemp.html";
constexpr const char kWelcomePage[] = "Welcome.htm";
// The HTML manual, among the support files.
constexpr const char kHelpFile[] = "manual/index.html";
// The quiz editor is a program file of its own, installed beside this one.
constexpr const char kEditorProgram[] = "torvi-editor";

constexpr const char kRightCues[] = "RightAnswer%d.wav";
constexpr const char kWrongCues[] = "WrongAnswer%d.wav";
constexpr const char kStartCues[] = "Start%d.wav";

constexpr int kBoxes = CWindowServices::kAnswerBoxes;
// The question set counts a question with more answers than boxes when the
// last answer that has a box matches.
static_assert(CQuestionSet::kMaxJudgedAnswers == kBoxes);

// The accented form of the six letters the accent key knows; others stay.
char32_t Accented(char32_t letter) {
    switch (letter) {
    case U'a':
        return U'\u00E1';
    case U'e':
        return U'\u00E9';
    case U'i':
        return U'\u00ED';
    case U'o':
        return U'\u00F3';
    case U'u':
        return U'\u00FA';
    case U'n':
        return U'\u00F1';
    default:
        return letter;
    }
}

// A quiz text with its line ends made CR LF for the multi-line boxes.
CTextBuffer WithCrLf(const char* text) {
    CTextBuffer buffer(text ? text : "");
    buffer.ReplaceAll("\n", "\r\n");
    return buffer;
}
} // namespace

CTorviDlg::CTorviDlg(CWindowServices& window, CAudioPlayer* player,
                     const std::string& programDirectory,
                     const std::optional<std::string>& pageDirectory)
    : m_window(window), m_strProgramDirectory(ProgramFilePath(programDirectory, "")),
      m_strPageDirectory(pageDirectory ? ProgramFilePath(*pageDirectory, "")
                                       : ChoosePageDirectory(m_strProgramDirectory)),
      m_strQuestionPage(kQuestionPage), m_strExplanationPage(kExplanationPage),
      m_soundsRight(player), m_soundsWrong(player), m_soundsStart(player), m_pPlayer(player) {
    if (!pageDirectory && !m_strPageDirectory.empty()) {
        // A folder other windows write into as well: pages of their own, so
        // that no window shows another's question, and none left by a window
        // that crashed.
        RemovePagesLeftBehind(m_strPageDirectory);
        static int s_nDialogsMade = 0;
        const int number = ++s_nDialogsMade;
        m_strQuestionPage = OwnPageName(kQuestionPageStem, number);
        m_strExplanationPage = OwnPageName(kExplanationPageStem, number);
        m_bOwnPageNames = true;
    }
    // Started from a folder without its own list, the window judges with the one
    // that comes with the program rather than silently ignoring nothing.
    if (const std::string ignoreFile = ChooseIgnoreWordsFile(m_strProgramDirectory);
        ignoreFile != kIgnoreWordsFile)
        m_questionSet.judge.LoadIgnoreWords(ignoreFile.c_str());
    const char* directory = m_strProgramDirectory.c_str();
    m_soundsRight.DiscoverSeries(kRightCues, directory);
    m_soundsWrong.DiscoverSeries(kWrongCues, directory);
    m_soundsStart.DiscoverSeries(kStartCues, directory);
    m_bSound = true;
}

CTorviDlg::~CTorviDlg() {
    if (m_pAutoProxy)
        m_pAutoProxy->m_pDialog = nullptr;
    // A cue may still be playing from a bank's memory; silence it before the
    // banks free their cues.
    if (m_pPlayer)
        m_pPlayer->Stop();
    if (m_bOwnPageNames) {
        RemoveOwnFile(m_strPageDirectory + m_strQuestionPage);
        RemoveOwnFile(m_strPageDirectory + m_strExplanationPage);
    }
}

// ---------------------------------------------------------------------------
// Window events

bool CTorviDlg::OnInitDialog() {
    m_strFeedback.clear();
    m_strComment.clear();
    m_window.SetFeedbackText(m_strFeedback);
    m_window.SetCommentText(m_strComment);
    m_window.SetWindowTitle(kTitle);
    EnableAnswerBoxes(false);
    EnableButtons(false, false, false, false);
    m_window.CheckMenuItem(EMenuItem::InOrder, true);
    m_window.CheckMenuItem(EMenuItem::JumbledUp, false);
    m_window.CheckMenuItem(EMenuItem::Sound, true);
    return true;
}

void CTorviDlg::OnPaint(bool minimised) {
    if (minimised || !m_bFirstPaint)
        return;
    // Requested whether or not the file is there; the page view shows what it can.
    m_window.Navigate(ProgramFilePath(m_strProgramDirectory, kWelcomePage));
    m_bFirstPaint = false;
}

// While an automation object is attached, closing only hides the window so
// that its client can still reach the dialog.
void CTorviDlg::OnClose() {
    if (m_pAutoProxy)
        m_window.HideWindow();
    else
        m_window.EndDialog();
}

void CTorviDlg::OnOK() {
    OnClose();
}

void CTorviDlg::OnCancel() {
    OnClose();
}

void CTorviDlg::OnSysCommand(unsigned id, long parameter) {
    (void)parameter;
    // Every other system command is the front end's default processing.
    if ((id & 0xFFF0) == kIdmAboutBox)
        m_window.ShowAboutBox();
}

// ---------------------------------------------------------------------------
// Quiz flow

void CTorviDlg::OnFileOpen() {
    std::string path;
    if (!m_window.ChooseOpenFile(path))
        return;
    OpenQuizFile(path);
}

void CTorviDlg::OpenQuizFile(const std::string& path) {
    // Whatever comes of it, the quiz's page or the welcome page after a failure
    // is what the window shows; the first paint must not put the welcome page
    // over a question.
    m_bFirstPaint = false;

    // A file from another program is converted in memory and loaded by the same
    // loader; a quiz file is loaded by its path.
    CConvertReport report;
    const EImportResult imported = ImportQuizFile(m_questionSet, path, CConvertOptions(), report);
    if (imported == EImportResult::Failed) {
        // As after a failed load: the old quiz is gone.
        m_questionSet.questions.RemoveAll();
        GoToNoQuiz();
        m_window.ShowMessageBox(kNotConvertedText + ToUtf8(report.error) + ".", kBadSyntaxCaption);
        return;
    }
    if (imported == EImportResult::NotConverted && !m_questionSet.Load(path.c_str())) {
        // The old quiz's questions are gone with the failed load, so nothing may
        // judge, repeat or explain them any more.
        GoToNoQuiz();
        m_window.ShowMessageBox(kBadSyntaxText, kBadSyntaxCaption);
        return;
    }

    m_window.SetWindowTitle(kTitlePrefix + ToUtf8(path));
    if (m_pListener)
        m_pListener->OnQuizStarted(m_questionSet.GetQuestions().GetCount());
    Transition(QuizState::ChoosingQuestion);
    PlayRandomCue(m_soundsStart, kStartCues);
}

void CTorviDlg::OnEnter() {
    if (m_bBusy)
        return;
    if (m_state == QuizState::Asking)
        Transition(QuizState::Judging);
    else if (m_state == QuizState::ShowingCorrection)
        Transition(QuizState::ChoosingQuestion);
}

void CTorviDlg::OnQuit() {
    // A Quit during a transition is dropped whole: disabling the controls then
    // would leave the question that is being put up with no working control.
    if (m_bBusy)
        return;
    EnableButtons(false, false, false, false);
    EnableAnswerBoxes(false);
    if (m_state == QuizState::Asking || m_state == QuizState::ShowingCorrection)
        Transition(QuizState::Finished);
}

void CTorviDlg::OnRestart() {
    if (m_bBusy)
        return;
    if (m_state == QuizState::Asking || m_state == QuizState::ShowingCorrection ||
        m_state == QuizState::Finished) {
        m_questionSet.Reset();
        if (m_pListener)
            m_pListener->OnQuizStarted(m_questionSet.GetQuestions().GetCount());
        Transition(QuizState::ChoosingQuestion);
    }
}

void CTorviDlg::OnRepeatQuestion() {
    // Dropped whole during a transition: a repeat flag set after the next
    // question was fetched would cost that question its point.
    if (m_bBusy)
        return;
    m_bRepeating = true;
    if (m_state == QuizState::ShowingCorrection)
        Transition(QuizState::Asking);
}

void CTorviDlg::OnExplanation() {
    // Only a question that is being asked or corrected has an explanation to show.
    if (!m_pszQuestion)
        return;
    const char* explanation = m_questionSet.GetExplanation();
    if (!explanation || !*explanation)
        return;
    ShowPage(explanation, EPageKind::Explanation);
}

void CTorviDlg::OnLeave() {
    // A finished quiz has told its score; with none open there is none to tell.
    if (m_pListener && (m_state == QuizState::Asking || m_state == QuizState::Judging ||
                        m_state == QuizState::ShowingCorrection))
        m_pListener->OnQuizLeft(GetQuizScore());
}

void CTorviDlg::Transition(QuizState state) {
    // A second key or click delivered while the transition runs (the page view
    // may handle events while it navigates) is dropped, not queued.
    const bool wasBusy = m_bBusy;
    m_bBusy = true;
    EnterState(state);
    m_bBusy = wasBusy;
}

void CTorviDlg::EnterState(QuizState state) {
    m_state = state;
    switch (state) {
    case QuizState::NoQuiz:
        break;
    case QuizState::ChoosingQuestion:
        EnterState(FetchNextQuestion() ? QuizState::Asking : QuizState::Finished);
        break;
    case QuizState::Asking:
        AskQuestion();
        break;
    case QuizState::Judging:
        if (CJudgedQuestion judged; JudgeAnswers(m_pListener ? &judged : nullptr)) {
            if (m_pListener)
                m_pListener->OnQuestionJudged(judged);
            ShowRightAnswer();
            EnterState(QuizState::ChoosingQuestion);
        } else {
            if (m_pListener)
                m_pListener->OnQuestionJudged(judged);
            EnterState(QuizState::ShowingCorrection);
        }
        break;
    case QuizState::ShowingCorrection:
        ShowWrongAnswer();
        break;
    case QuizState::Finished:
        ShowScore();
        break;
    }
}

bool CTorviDlg::FetchNextQuestion() {
    m_bRepeating = false;
    m_pszQuestion = m_questionSet.NextQuestion();
    return m_pszQuestion != nullptr;
}

void CTorviDlg::AskQuestion() {
    EnableButtons(false, true, true, false);

    // After a right answer its feedback stays up while the next question is
    // asked; a correction or a score is cleared away.
    if (StartsWithNoCase(m_strFeedback, "You are Wrong") ||
        StartsWithNoCase(m_strFeedback, "You got"))
        ShowFeedback("", "");

    const int answers = m_questionSet.GetCurrentQuestion().answers.GetCount();
    for (int box = 0; box < kBoxes; ++box) {
        const bool used = box < answers;
        m_window.SetAnswerText(box, "");
        m_window.EnableAnswerBox(box, used);
        m_window.ShowAnswerBox(box, used);
    }
    m_window.FocusAnswerBox(0);
    ShowPage(m_pszQuestion, EPageKind::Question);
    if (m_pListener)
        m_pListener->OnQuestionAsked(m_questionSet.GetCurrentIndex() + 1);
}

bool CTorviDlg::JudgeAnswers(CJudgedQuestion* judged) {
    CQuestion& question = m_questionSet.GetCurrentQuestion();
    const int32_t count = question.answers.GetCount();
    // Only ten boxes exist: a question with more answers is judged on its first ten.
    const int32_t boxes = count < kBoxes ? count : kBoxes;

    std::string typed[kBoxes];
    for (int box = 0; box < boxes; ++box)
        typed[box] = ReadAnswerBox(box);

    const bool countIt = !m_bRepeating;
    bool right = true;
    for (int32_t answer = 0; answer < boxes && right; ++answer) {
        const int first = question.ordered ? answer : 0;
        const int last = question.ordered ? answer : boxes - 1;
        bool matched = false;
        // A box is not used up by a match: one box may satisfy several answers.
        for (int box = first; box <= last && !matched; ++box)
            matched = m_questionSet.JudgeAnswer(typed[box].c_str(), answer, countIt);
        right = matched;
    }
    if (judged) {
        judged->number = m_questionSet.GetCurrentIndex() + 1;
        judged->typed.assign(typed, typed + boxes);
        for (int32_t answer = 0; answer < boxes; ++answer)
            judged->expected.push_back(ToWindowText(question.answers.GetAt(answer)->GetText()));
        judged->correct = right;
        judged->repeated = m_bRepeating;
    }
    return right;
}

void CTorviDlg::ShowRightAnswer() {
    EnableButtons(false, true, true, false);
    EnableAnswerBoxes(false);
    const CTextBuffer answers = WithCrLf(m_questionSet.GetCorrectAnswers());
    const CTextBuffer comment = WithCrLf(m_questionSet.GetComment());
    ShowFeedback(kRightText + ToWindowText(answers.GetText()), ToWindowText(comment.GetText()));
    PlayRandomCue(m_soundsRight, kRightCues);
}

void CTorviDlg::ShowWrongAnswer() {
    const char* explanation = m_questionSet.GetExplanation();
    EnableButtons(explanation && *explanation, true, true, true);
    EnableAnswerBoxes(false);
    const CTextBuffer answers = WithCrLf(m_questionSet.GetCorrectAnswers());
    const CTextBuffer comment = WithCrLf(m_questionSet.GetComment());
    ShowFeedback(kWrongText + ToWindowText(answers.GetText()), ToWindowText(comment.GetText()));
    PlayRandomCue(m_soundsWrong, kWrongCues);
}

void CTorviDlg::ShowScore() {
    EnableButtons(false, false, true, false);
    EnableAnswerBoxes(false);
    const CQuizScore quizScore = GetQuizScore();
    CTextBuffer score;
    score.Format(kScoreFormat, quizScore.right, quizScore.total);
    ShowFeedback(score.GetText(), "");
    if (m_pListener)
        m_pListener->OnQuizFinished(quizScore);
}

CQuizScore CTorviDlg::GetQuizScore() const {
    int32_t total = 0;
    int32_t right = 0;
    m_questionSet.GetScore(total, right);
    return {static_cast<int>(right), static_cast<int>(total)};
}

void CTorviDlg::GoToNoQuiz() {
    m_state = QuizState::NoQuiz;
    m_pszQuestion = nullptr;
    m_bRepeating = false;
    for (int box = 0; box < kBoxes; ++box) {
        m_window.SetAnswerText(box, "");
        m_window.EnableAnswerBox(box, false);
        m_window.ShowAnswerBox(box, true);
    }
    EnableButtons(false, false, false, false);
    ShowFeedback("", "");
    m_window.SetWindowTitle(kTitle);
    // A page of the quiz that is gone would sit beside boxes that take nothing.
    m_window.Navigate(ProgramFilePath(m_strProgramDirectory, kWelcomePage));
}

// ---------------------------------------------------------------------------
// Options

void CTorviDlg::OnOrderInOrder() {
    m_window.CheckMenuItem(EMenuItem::InOrder, true);
    m_window.CheckMenuItem(EMenuItem::JumbledUp, false);
    m_questionSet.SetJumbled(false);
}

void CTorviDlg::OnOrderJumbledUp() {
    m_window.CheckMenuItem(EMenuItem::InOrder, false);
    m_window.CheckMenuItem(EMenuItem::JumbledUp, true);
    m_questionSet.SetJumbled(true);
}

void CTorviDlg::OnOptionsSound() {
    m_bSound = !m_bSound;
    m_window.CheckMenuItem(EMenuItem::Sound, m_bSound);
}

// ---------------------------------------------------------------------------
// Accent key, help and about box

void CTorviDlg::OnAccent() {
    const int box = m_window.GetFocusedAnswerBox();
    if (box < 0 || box >= kBoxes)
        return;

    std::u32string text = DecodeUtf8(ToUtf8(ReadAnswerBox(box)));
    int start = 0;
    int end = 0;
    m_window.GetAnswerSelection(box, start, end);
    // The caret, or one selected character; the letter before it is accented.
    if (start < 1 || start > static_cast<int>(text.size()) ||
        (end - start != 0 && end - start != 1))
        return;

    char32_t& letter = text[static_cast<size_t>(start) - 1];
    letter = Accented(letter);
    m_window.SetAnswerText(box, EncodeUtf8(text));
    m_window.SetAnswerSelection(box, start, end);
}

void CTorviDlg::OnFileNew() {
    // Returns only when the editor could not be started; nothing is reported.
    m_window.ReplaceProcess(ProgramFilePath(GetProgramDirectory(), kEditorProgram));
}

void CTorviDlg::OnHelpContents() {
    if (m_bHelpFailed)
        return;
    if (!m_window.OpenHelpFile(ProgramFilePath(m_strProgramDirectory, kHelpFile)))
        m_bHelpFailed = true;
}

void CTorviDlg::OnHelpWebSite() {
    m_window.OpenUrl(kWebSiteAddress);
}

void CTorviDlg::OnHelpAbout() {
    m_window.ShowAboutBox();
}

// ---------------------------------------------------------------------------
// Helpers

void CTorviDlg::ShowPage(const char* text, EPageKind kind) {
    const int width = m_window.GetFeedbackBoxWidth() - 40;
    // The view is sent to the page also when it could not be written. With no
    // safe folder nothing is written, and the view looks beside the program.
    if (m_strPageDirectory.empty()) {
        m_window.Navigate(m_strProgramDirectory +
                          (kind == EPageKind::Explanation ? kExplanationPage : kQuestionPage));
        return;
    }
    const std::string path = m_strPageDirectory + GetPageName(kind);
    WritePageFile(text, path, width, m_questionSet.IsUtf8(), kind);
    m_window.Navigate(path);
}

void CTorviDlg::PlayRandomCue(CSoundBank& bank, const char* format) {
    const int32_t count = bank.GetCount();
    if (count == 0 || !m_bSound)
        return;
    const int32_t n = RandomBelow(count) + 1;
    char name[64];
    std::snprintf(name, sizeof name, format, static_cast<int>(n));
    bank.PlayCue(name, true);
}

void CTorviDlg::EnableButtons(bool explanation, bool quit, bool restart, bool repeat) {
    m_window.EnableButton(EButton::Explanation, explanation);
    m_window.EnableButton(EButton::Quit, quit);
    m_window.EnableButton(EButton::Restart, restart);
    m_window.EnableButton(EButton::Repeat, repeat);
}

void CTorviDlg::EnableAnswerBoxes(bool enable) {
    for (int box = 0; box < kBoxes; ++box)
        m_window.EnableAnswerBox(box, enable);
}

void CTorviDlg::ShowFeedback(const std::string& feedback, const std::string& comment) {
    m_strFeedback = feedback;
    m_strComment = comment;
    m_window.SetFeedbackText(m_strFeedback);
    m_window.SetCommentText(m_strComment);
}

std::string CTorviDlg::ReadAnswerBox(int box) {
    std::string text = m_window.GetAnswerText(box);
    CutUtf8(text, kMaxAnswerBytes);
    return text;
}

std::string CTorviDlg::ToWindowText(const char* quizText) const {
    const std::string_view bytes(quizText ? quizText : "");
    if (m_questionSet.IsUtf8())
        return ToUtf8(bytes);
    // A Windows-1252 quiz: every byte is one character, even where a run of
    // them happens to look like UTF-8.
    return Cp1252ToUtf8(bytes);
}
