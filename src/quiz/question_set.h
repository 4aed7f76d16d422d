// CQuestionSet: the loaded quiz, its order, its position and its score.
#pragma once

#include <cstdint>

#include "judge/answer_judge.h"
#include "quiz/item_list.h"
#include "quiz/question.h"
#include "quiz/text_buffer.h"

class CQuestionSet {
public:
    // Reads the ignore list from ignoreFile ("IgnoreW.TXT" in the program) and seeds
    // the random source.
    explicit CQuestionSet(const char* ignoreFile = "IgnoreW.TXT");
    CQuestionSet(const CQuestionSet&) = delete;
    CQuestionSet& operator=(const CQuestionSet&) = delete;

    bool Load(const char* path);
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

    // True when the last file that loaded held valid UTF-8 (so its pages and texts
    // are UTF-8); false for Windows-1252 text.
    bool IsUtf8() const { return m_bUtf8; }

    CTextList& GetIgnoreWords() { return judge.ignoreWords; }
    double GetThreshold() const { return judge.threshold; }
    const CItemList<CQuestion>& GetQuestions() const { return questions; }
    int32_t GetCurrentIndex() const { return current; }

    CItemList<CQuestion> questions;
    int32_t jumbled = 0;
    int32_t current = 0;
    int32_t nextInOrder = 0;
    int32_t rightCount = 0;
    CAnswerJudge judge;
    CTextBuffer answersText;
    CTextBuffer commentText;
    CTextBuffer explanationText;

private:
    bool m_bUtf8 = true;
};
