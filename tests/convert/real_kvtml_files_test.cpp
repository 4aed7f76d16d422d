// Every vocabulary file of Debian's kdeedu-kvtml-data converts: each entry with
// both a word and a hint (or both languages) becomes a question, counted here
// with XPath on a tree of the test's own, and a file with nothing to ask says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <libxml/parser.h>
#include <libxml/xpath.h>

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
        ASSERT_TRUE(ReadWholeFile(path, bytes, why)) << path << ": " << why;
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
