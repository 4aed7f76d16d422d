// CTorviDlg: the quiz window's behaviour, written once against CWindowServices.
// A front end creates its window, hands it to CTorviDlg as the services, calls
// OnInitDialog once the window exists, and forwards every user event to the
// matching handler. The front end holds no quiz state and makes no quiz decision.
#pragma once

#include <optional>
#include <string>

#include "quiz/question_set.h"
#include "ui/quiz_listener.h"
#include "sound/sound_bank.h"
#include "ui/page_composer.h"
#include "ui/window_services.h"

class CAudioPlayer;
class CTorviDlgAutoProxy;

enum class QuizState { NoQuiz, ChoosingQuestion, Asking, Judging, ShowingCorrection, Finished };

class CTorviDlg {
public:
    static constexpr unsigned kIdmAboutBox = 0x0010;
    // The product web page that Help > Web Site... opens.
    static constexpr const char* kWebSiteAddress = "https://torvi.example.org/";
    // At most this many bytes of an answer box are read (cut at a character boundary).
    static constexpr int kMaxAnswerBytes = 4095;

    // programDirectory ends with "/"; it holds Welcome.htm, the cues' fallback copies
    // and the manual. The player may be null (silent). The pages go into
    // pageDirectory when one is given (a folder the caller made for this dialog
    // alone), as QuestionTemp.html and ExplanationTemp.html. Otherwise they go
    // into the folder ChoosePageDirectory picks, which other windows share, under
    // names of this dialog's own (QuestionTemp-PID-N.html, ExplanationTemp-PID-N.html)
    // that it removes when it ends; pages left there by a window whose process
    // is gone are removed when the dialog starts.
    CTorviDlg(CWindowServices& window, CAudioPlayer* player, const std::string& programDirectory,
              const std::optional<std::string>& pageDirectory = std::nullopt);
    ~CTorviDlg();
    CTorviDlg(const CTorviDlg&) = delete;
    CTorviDlg& operator=(const CTorviDlg&) = delete;

    // Window events.
    bool OnInitDialog();
    void OnPaint(bool minimised = false);
    void OnClose();
    void OnOK();
    void OnCancel();
    void OnSysCommand(unsigned id, long parameter);
    void OnIgnoreKey() {}

    // Quiz flow.
    void OnFileOpen();
    // Opens the quiz at path as File > Open does once its dialog has chosen it:
    // a file of another program is converted in memory; one that does not load
    // gets the usual message and leaves the welcome page. Called before the
    // first paint (a file named at start), it takes the welcome page's place.
    void OpenQuizFile(const std::string& path);
    void OnEnter();
    void OnQuit();
    void OnRestart();
    void OnRepeatQuestion();
    void OnExplanation();
    // The learner leaves the window with a quiz under way (the browser page is
    // closed): the listener hears the score so far. Nothing else changes.
    void OnLeave();

    // Options, accent key, help.
    void OnOrderInOrder();
    void OnOrderJumbledUp();
    void OnOptionsSound();
    void OnAccent();
    void OnFileNew();
    void OnHelpContents();
    void OnHelpWebSite();
    void OnHelpAbout();

    // Who hears what happens in the quiz (null for nobody); the listener
    // outlives the dialog or is taken away first.
    void SetListener(CQuizListener* listener) { m_pListener = listener; }

    // Read-only views for front ends and tests.
    QuizState GetState() const { return m_state; }
    bool IsSoundOn() const { return m_bSound; }
    bool IsBusy() const { return m_bBusy; }
    CQuestionSet& GetQuestionSet() { return m_questionSet; }
    // Ends with "/"; empty when no safe folder was found and no page is written.
    const std::string& GetPageDirectory() const { return m_strPageDirectory; }
    // The name of the page file of that kind in the page folder.
    const std::string& GetPageName(EPageKind kind) const {
        return kind == EPageKind::Explanation ? m_strExplanationPage : m_strQuestionPage;
    }

    CTorviDlgAutoProxy* m_pAutoProxy = nullptr;

private:
    // The quiz flow: a transition sets the state and runs its entry action.
    // Transition does so with the dialog marked busy for its length.
    void Transition(QuizState state);
    void EnterState(QuizState state);
    bool FetchNextQuestion();
    void AskQuestion();
    // Judges the boxes; fills judged for the listener when there is one.
    bool JudgeAnswers(CJudgedQuestion* judged);
    void ShowRightAnswer();
    void ShowWrongAnswer();
    void ShowScore();
    CQuizScore GetQuizScore() const;
    void GoToNoQuiz();

    void ShowPage(const char* text, EPageKind kind);
    void PlayRandomCue(CSoundBank& bank, const char* format);
    void EnableButtons(bool explanation, bool quit, bool restart, bool repeat);
    void EnableAnswerBoxes(bool enable);
    void ShowFeedback(const std::string& feedback, const std::string& comment);
    std::string ReadAnswerBox(int box);
    // A text of the quiz (bytes in the quiz file's encoding) as UTF-8 for the window.
    std::string ToWindowText(const char* quizText) const;

    CWindowServices& m_window;
    std::string m_strProgramDirectory;
    std::string m_strPageDirectory;
    std::string m_strQuestionPage;
    std::string m_strExplanationPage;
    // Set when the page names are this dialog's own, to be removed at its end.
    bool m_bOwnPageNames = false;
    std::string m_strFeedback;
    std::string m_strComment;
    CQuestionSet m_questionSet;
    const char* m_pszQuestion = nullptr;
    CSoundBank m_soundsRight;
    CSoundBank m_soundsWrong;
    CSoundBank m_soundsStart;
    bool m_bSound = true;
    bool m_bRepeating = false;
    bool m_bBusy = false;
    QuizState m_state = QuizState::NoQuiz;
    CAudioPlayer* m_pPlayer = nullptr;
    CQuizListener* m_pListener = nullptr;
    // Set until the welcome page has been requested by the first paint, or a quiz
    // opened before it made the page unwanted; one dialog lives for the whole
    // run, so this is once per run.
    bool m_bFirstPaint = true;
    // Set when the help file could not be opened; later requests do not retry.
    bool m_bHelpFailed = false;
};
