// Every vocabulary file of Debian's kdeedu-kvtml-data converts: each entry with
// both a word and a hint (or both languages) becomes a question, counted here
// with XPath on a tree of the test's own, and a file with nothing to ask says so.
// Each converted quiz judges its answers in their own letters, held to ICU.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include "convert/quiz_import.h"
#include "convert_test_support.h"
#include "text/encoding.h"

using namespace convert_test;

namespace {
constexpr char kFolder[] = "/usr/share/apps/kvtml";

// The entries that have something to ask and something to answer.
int CountAskable(std::string bytes) {
    const char* encoding = nullptr;
    if (!IsValidUtf8(bytes)) {
        bytes = Cp1252ToUtf8(bytes);
        encoding = "UTF-8";
    }
    std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!doc)
        return -1;
    std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContext*)> xpath(
        xmlXPathNewContext(doc.get()), xmlXPathFreeContext);
    auto count = [&](const char* expression) {
        std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObject*)> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression), xpath.get()),
            xmlXPathFreeObject);
        return result ? static_cast<int>(result->floatval) : -1;
    };
    const int languages = count("count(/kvtml/identifiers/identifier)");
    if (count("count(/kvtml/e)") > 0)
        return count("count(/kvtml/e[normalize-space(o) and normalize-space(t)])");
    if (languages == 1)
        return count("count(/kvtml/entries/entry[translation[@id=/kvtml/identifiers/"
                     "identifier/@id][normalize-space(text) and normalize-space(comment)]])");
    return count("count(/kvtml/entries/entry[translation[@id=/kvtml/identifiers/identifier[1]/@id]"
                 "[normalize-space(text)] and translation[@id=/kvtml/identifiers/"
                 "identifier[2]/@id][normalize-space(text)]])");
}
} // namespace

TEST(RealKvtmlFilesTest, EveryFileConvertsAndEveryAskableEntryBecomesAQuestion) {
    if (!std::filesystem::is_directory(kFolder))
        GTEST_SKIP() << kFolder << " is missing (Debian package kdeedu-kvtml-data)";
    int files = 0;
    int questions = 0;
    int nothingToAsk = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(kFolder)) {
        if (!item.is_regular_file() || item.path().extension() != ".kvtml")
            continue;
        ++files;
        const std::string path = item.path().string();
        std::string bytes;
        std::string why;
        ASSERT_EQ(ReadWholeFile(path, bytes, why), EReadResult::Read) << path << ": " << why;
        const int askable = CountAskable(bytes);
        ASSERT_GE(askable, 0) << path;

        EXPECT_EQ(DetectInputFormat(path, std::string_view(bytes).substr(0, 4096)),
                  EFileFormat::Kvtml)
            << path;
        std::string quiz;
        CConvertReport report;
        const bool converted = ConvertToQuizText(bytes, EFileFormat::Kvtml, {}, quiz, report);
        if (askable == 0) {
            EXPECT_FALSE(converted) << path;
            EXPECT_TRUE(report.error.starts_with("nothing in the file can be asked"))
                << path << ": " << report.error;
            ++nothingToAsk;
            continue;
        }
        ASSERT_TRUE(converted) << path << ": " << report.error;
        EXPECT_EQ(report.converted, askable) << path;
        for (const CConvertReport::CSkipped& s : report.skipped)
            EXPECT_TRUE(s.why == "nothing to ask (no hint)" || s.why == "nothing to answer" ||
                        s.why == "nothing to ask")
                << path << ": " << s.where << ": " << s.why;
        bool loaded = false;
        const std::vector<CQuizRecord> records = LoadedRecords(quiz, &loaded);
        EXPECT_TRUE(loaded) << path;
        EXPECT_EQ(records.size(), static_cast<size_t>(askable)) << path;
        questions += static_cast<int>(records.size());
    }
    EXPECT_GE(files, 300);
    EXPECT_GT(questions, 9000);
    std::cout << files << " files, " << questions << " questions, " << nothingToAsk
              << " files with nothing to ask\n";
}

namespace {
// What ICU says of an expected answer: whether it holds a word (a letter, mark
// or digit that is not default-ignorable) and whether one of those is beyond
// ASCII.
struct CIcuView {
    bool word = false;
    bool beyondAscii = false;
};

CIcuView ViewWithIcu(std::string_view text) {
    CIcuView view;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        const bool word = c >= 0 &&
                          (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0 &&
                          !u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
        view.word = view.word || word;
        view.beyondAscii = view.beyondAscii || (word && c > 0x7F);
    }
    return view;
}

// The answer as a learner types it who leaves the accents off: its canonical
// decomposition without the nonspacing marks, composed again.
std::string WithoutAccents(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    const icu::UnicodeString decomposed =
        nfd->normalize(icu::UnicodeString::fromUTF8(
                           icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))),
                       status);
    icu::UnicodeString bare;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK)
            bare.append(c);
        i += U16_LENGTH(c);
    }
    std::string out;
    nfc->normalize(bare, status).toUTF8String(out);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    return out;
}

// The number of answers the report says can never be answered right; 0 when
// it says nothing of them.
int CountedUnanswerable(const CConvertReport& report) {
    for (const std::string& note : report.notes)
        if (note.find("can never be answered right") != std::string::npos)
            return std::stoi(note);
    return 0;
}

struct CJudgedFile {
    int answers = 0;
    int beyondAscii = 0;
    int withoutWord = 0;
    int typedOtherwise = 0; // typed() gave another text than the answer
};

// Converts the file with the options and judges every expected answer of the
// quiz, loaded back as any quiz is, typed as typed() makes it; adds the counts
// to judged.
void JudgeEveryAnswer(const std::string& path, const std::string& bytes,
                      const CConvertOptions& options, CJudgedFile& judged,
                      std::string (*typed)(std::string_view expected)) {
    std::string quiz;
    CConvertReport report;
    if (!ConvertToQuizText(bytes, EFileFormat::Kvtml, options, quiz, report))
        return;
    const int beyondAsciiBefore = judged.beyondAscii;
    const int withoutWordBefore = judged.withoutWord;
    CQuestionSet set(nullptr);
    EXPECT_TRUE(LoadQuizBytes(set, quiz, nullptr)) << path;
    EXPECT_TRUE(set.IsUtf8()) << path;
    for (const CQuestion* question : set.GetQuestions()) {
        for (const CTextBuffer* answer : question->answers) {
            const std::string expected = TextOf(*answer);
            const CIcuView view = ViewWithIcu(expected);
            ++judged.answers;
            judged.beyondAscii += view.beyondAscii ? 1 : 0;
            judged.withoutWord += view.word ? 0 : 1;
            const std::string typedText = typed(expected);
            judged.typedOtherwise += typedText != expected ? 1 : 0;
            EXPECT_EQ(set.judge.IsCorrect(typedText.c_str(), expected.c_str()), view.word)
                << path << ": typed '" << typedText << "' for '" << expected << "'";
        }
    }
    EXPECT_EQ(CountedUnanswerable(report), judged.withoutWord - withoutWordBefore) << path;
    const bool beyondAscii = judged.beyondAscii > beyondAsciiBefore;
    const char* line =
        options.accentsOptional ? "option:Accents:Optional\n" : "option:Words:Unicode\n";
    EXPECT_EQ(quiz.starts_with(line), options.accentsOptional || beyondAscii) << path;
    EXPECT_EQ(quiz.starts_with("option:"), options.accentsOptional || beyondAscii) << path;
}
} // namespace

// Every file converted as a teacher converts it, with the default options and
// with accents optional: each expected answer that has a word is right when it
// is typed as it stands (in UTF-8, as a learner types), and, with accents
// optional, when it is typed with its accents left off; each answer without a
// word is counted by the report, and none other.
TEST(RealKvtmlFilesTest, EveryAnswerIsJudgedRightInItsOwnLettersWithOrWithoutAccents) {
    if (!std::filesystem::is_directory(kFolder))
        GTEST_SKIP() << kFolder << " is missing (Debian package kdeedu-kvtml-data)";
    int files = 0;
    CJudgedFile all;
    CJudgedFile bare;
    CConvertOptions accents;
    accents.accentsOptional = true;
    for (const auto& item : std::filesystem::recursive_directory_iterator(kFolder)) {
        if (!item.is_regular_file() || item.path().extension() != ".kvtml")
            continue;
        ++files;
        std::string bytes;
        std::string why;
        ASSERT_EQ(ReadWholeFile(item.path(), bytes, why), EReadResult::Read)
            << item.path() << ": " << why;
        JudgeEveryAnswer(item.path(), bytes, {}, all,
                         [](std::string_view expected) { return std::string(expected); });
        JudgeEveryAnswer(item.path(), bytes, accents, bare, WithoutAccents);
    }
    EXPECT_GE(files, 300);
    EXPECT_GT(all.answers, 9000);
    EXPECT_GT(all.beyondAscii, 1000);
    EXPECT_EQ(bare.answers, all.answers);
    // Enough answers lose accents for the second pass to judge something else.
    EXPECT_GT(bare.typedOtherwise, 500);
    std::cout << files << " files, " << all.answers << " expected answers, " << all.beyondAscii
              << " with letters beyond ASCII, " << bare.typedOtherwise
              << " typed otherwise without accents, " << all.withoutWord << " without a word\n";
}
