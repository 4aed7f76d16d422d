// CQuestionSet: the loaded quiz, its order, its position and its score.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "judge/answer_judge.h"
#include "quiz/question.h"
#include "text/item_list.h"
#include "text/text_buffer.h"

// Why a quiz file did not load.
enum class ELoadFailure {
    None,
    CannotOpen,    // the file could not be opened or read
    NoAnswerBlock, // the text ends right after a question block
    HtmlInAnswer,  // an answer block holds "<html>"
    HtmlInComment, // a ";" comment block holds "<html>"
};

struct CLoadError {
    ELoadFailure failure = ELoadFailure::None;
    // The line (from 1) where the offending block starts; 0 when there is none.
    int32_t line = 0;
    // That block's first line as the file has it (bytes, not converted), cut short
    // when it is very long.
    std::string firstLine;

    // A short English phrase for the failure, e.g. "the answer block contains <html>".
    const char* GetReason() const;
    // Reason, line and first line in one text: the words an author needs to find it.
    std::string Describe() const;
};

// Where things stand in the file, for the quiz author's tools. Filled by the Load
// overload that takes a report; loading itself is the same with or without one.
struct CLoadReport {
    struct COptionLine {
        int32_t line = 0;
        std::string rest; // everything after "option:" up to the line end
    };
    struct CQuestionLines {
        int32_t textLine = 0;
        std::vector<int32_t> answerLines; // one per expected answer
    };

    CLoadError error;
    // The option header's lines, in file order.
    std::vector<COptionLine> options;
    // Lines that begin with "option:" but were read as question or answer text
    // because they come after the header.
    std::vector<int32_t> strayOptionLines;
    // When the file's first line is blank and the first line with text begins with
    // "option:", that line's number (its header is then not read); 0 otherwise. The
    // run of option lines it begins is not repeated in strayOptionLines.
    int32_t hiddenHeaderLine = 0;
    // One entry per question of a successful load (empty after a failure).
    std::vector<CQuestionLines> questions;
};

class CQuizFileReader;

// The word rule an option line asks for (rest: the line after "option:"):
// "Words:Unicode" or "Accents:Optional", names and values in any letter case;
// Ascii for any other line.
EWordRule ReadWordRuleOption(std::string_view rest);

class CQuestionSet {
public:
    // Reads the ignore list from ignoreFile ("IgnoreW.TXT" in the program) and seeds
    // the random source.
    explicit CQuestionSet(const char* ignoreFile = "IgnoreW.TXT");
    CQuestionSet(const CQuestionSet&) = delete;
    CQuestionSet& operator=(const CQuestionSet&) = delete;

    bool Load(const char* path);
    // The same load, also telling where each part of the file stands (report may
    // be null).
    bool Load(const char* path, CLoadReport* report);
    // The same load from a reader fresh from Open, whether or not it opened. A
    // report needs a reader opened with keepAll; with any other the load fails as
    // CannotOpen.
    bool Load(CQuizFileReader& file, CLoadReport* report);
    // Why the last Load failed (failure None after a load that succeeded).
    const CLoadError& GetLastLoadError() const { return m_lastError; }
    static bool ReadBlock(const CTextBuffer& fileText, int32_t& position, CTextBuffer& out,
                          bool stopAtMarks);
    void Reset();
    void SetJumbled(bool jumbled);
    bool IsJumbled() const { return jumbled != 0; }
    // The next question's text, or null when the quiz is through.
    const char* NextQuestion();
    CQuestion& GetCurrentQuestion();
    bool JudgeAnswer(const char* typed, int32_t index, bool countIt);
    void GetScore(int32_t& total, int32_t& right) const;
    const char* GetCorrectAnswers();
    const char* GetComment();
    const char* GetExplanation();

    // The window has ten answer boxes, so at most this many answers of a question
    // are ever judged.
    static constexpr int32_t kMaxJudgedAnswers = 10;

    // True when the last file that loaded held valid UTF-8 (so its pages and texts
    // are UTF-8); false for Windows-1252 text.
    bool IsUtf8() const { return m_bUtf8; }

    CTextList& GetIgnoreWords() { return judge.ignoreWords; }
    double GetThreshold() const { return judge.threshold; }
    const CItemList<CQuestion>& GetQuestions() const { return questions; }
    int32_t GetCurrentIndex() const { return current; }

    CQuestionList questions;
    int32_t jumbled = 0;
    int32_t current = 0;
    int32_t nextInOrder = 0;
    int32_t rightCount = 0;
    CAnswerJudge judge;
    CTextBuffer answersText;
    CTextBuffer commentText;
    CTextBuffer explanationText;

private:
    // Pages and texts follow the file's encoding, and so do the judge's words.
    void SetEncoding(bool utf8) {
        m_bUtf8 = utf8;
        judge.expectedUtf8 = utf8;
    }

    bool m_bUtf8 = true;
    CLoadError m_lastError;
    // Stands in for the current question while there is none, so that a caller
    // that asks too early reads empty texts instead of freed memory.
    CQuestion m_emptyQuestion;
};
