#include "check/answer_explanation.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/text_buffer.h"

namespace {
std::string RoundedNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string WordLine(const CTextList& words, AnswerTextForDisplay display) {
    if (words.GetCount() == 0)
        return "(none)";
    std::string line;
    for (const CTextBuffer* word : words) {
        if (!line.empty())
            line += ' ';
        line += display(std::string_view(word->GetText(), static_cast<size_t>(word->GetLength())));
    }
    return line;
}
} // namespace

std::string ExactNumber(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

void ExplainAnswer(const CAnswerJudge& judge, std::string_view typed, std::string_view expected,
                   CAnswerExplanation& out) {
    // C texts, as the judge reads an answer box and an expected answer.
    const CTextBuffer typedText(std::string(typed).c_str());
    const CTextBuffer expectedText(std::string(expected).c_str());
    judge.SplitWords(typedText, out.typedWords, ETextSide::Typed);
    judge.SplitWords(expectedText, out.expectedWords, ETextSide::Expected);
    judge.SplitWords(expectedText, out.remainingWords, ETextSide::Expected);
    judge.RemoveIgnoredWords(out.remainingWords, &out.removedWords);
    out.found = CAnswerJudge::CountFoundWords(out.remainingWords, out.typedWords);
    out.share = CAnswerJudge::ComputeShare(out.found, out.remainingWords.GetCount());
    out.right = judge.AcceptsShare(out.share);
    for (const CTextBuffer* word : out.remainingWords) {
        CTextList& into =
            CAnswerJudge::IsWordAmong(*word, out.typedWords) ? out.foundWords : out.missingWords;
        into.Add(new CTextBuffer(*word));
    }
}

const char* WordRuleName(EWordRule rule) {
    return rule == EWordRule::Ascii ? "ascii" : "unicode";
}

const char* AccentsName(EWordRule rule) {
    return rule == EWordRule::UnicodeWithoutAccents ? "optional" : "required";
}

std::string FormatAnswerExplanation(const CAnswerExplanation& e, double threshold, EWordRule rule,
                                    const std::string& ignoreListLine,
                                    AnswerTextForDisplay display) {
    std::string out;
    out += "Verdict:         " + std::string(e.right ? "right" : "wrong") + '\n';
    out += "Expected words:  " + WordLine(e.expectedWords, display) + '\n';
    out += "Ignored:         " + WordLine(e.removedWords, display) + '\n';
    out += "Remaining words: " + WordLine(e.remainingWords, display) + '\n';
    out += "Found:           " + WordLine(e.foundWords, display) + '\n';
    out += "Not found:       " + WordLine(e.missingWords, display) + '\n';
    out += "Typed words:     " + WordLine(e.typedWords, display) + '\n';
    if (std::isnan(e.share))
        out += "Share:           none (no expected word is left, so nothing is right)\n";
    else
        out += "Share:           " + std::to_string(e.found) + " of " +
               std::to_string(e.remainingWords.GetCount()) + " = " + RoundedNumber(e.share) + '\n';
    out += "Threshold:       " + ExactNumber(threshold) + '\n';
    switch (rule) {
    case EWordRule::Ascii:
        out += "Words:           ascii (letters A-Z and digits only)\n";
        break;
    case EWordRule::Unicode:
        out += "Words:           unicode (letters and digits of every alphabet)\n";
        break;
    case EWordRule::UnicodeWithoutAccents:
        out += "Words:           unicode, accents optional\n";
        break;
    }
    out += "Ignore list:     " + ignoreListLine + '\n';
    return out;
}
