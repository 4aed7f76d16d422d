// Helpers shared by the conversion tests: loading quiz text back with the real
// loader and looking at what it holds.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/quiz_checker.h"
#include "convert/quiz_record.h"
#include "quiz/question_set.h"

namespace convert_test {

inline std::string TextOf(const CTextBuffer& text) {
    return std::string(text.GetText(), static_cast<size_t>(text.GetLength()));
}

// The records a quiz text loads as, in the terms of CQuizRecord (where left empty).
inline std::vector<CQuizRecord> LoadedRecords(std::string_view quizText, bool* loaded = nullptr) {
    CQuestionSet set(nullptr);
    const bool ok = LoadQuizBytes(set, quizText, nullptr);
    if (loaded)
        *loaded = ok;
    std::vector<CQuizRecord> records;
    for (const CQuestion* q : set.GetQuestions()) {
        CQuizRecord r;
        r.question = TextOf(q->text);
        for (const CTextBuffer* a : q->answers)
            r.answers.push_back(TextOf(*a));
        r.comment = TextOf(q->comment);
        r.explanation = TextOf(q->explanation);
        r.ordered = q->ordered;
        records.push_back(std::move(r));
    }
    return records;
}

inline bool SameContent(const CQuizRecord& a, const CQuizRecord& b) {
    return a.question == b.question && a.answers == b.answers && a.comment == b.comment &&
           a.explanation == b.explanation && a.ordered == b.ordered;
}

inline std::string Describe(const CQuizRecord& r) {
    std::string s = "{q='" + r.question + "' a=[";
    for (const std::string& a : r.answers)
        s += "'" + a + "' ";
    return s + "] c='" + r.comment + "' e='" + r.explanation + "' o=" + (r.ordered ? "1" : "0") +
           "}";
}

inline CQuizRecord Record(std::string question, std::vector<std::string> answers,
                          std::string where = "") {
    CQuizRecord r;
    r.question = std::move(question);
    r.answers = std::move(answers);
    r.where = std::move(where);
    return r;
}

} // namespace convert_test
