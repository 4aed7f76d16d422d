// Reading a quiz file piece by piece gives the lines, bytes and line numbers of
// the whole file text, wherever the pieces begin and end.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "quiz/quiz_file_reader.h"
#include "quiz_files.h"
#include "text/encoding.h"

namespace {
class QuizFileReaderTest : public ::testing::TestWithParam<size_t> {
protected:
    CQuizFolder m_folder;
};

// Lines as the whole-text NextLine gives them, with the positions after each.
std::vector<std::pair<std::string, int32_t>> WholeTextLines(const std::string& bytes) {
    CTextBuffer text;
    text.AssignRange(bytes.data(), static_cast<int32_t>(bytes.size()));
    std::vector<std::pair<std::string, int32_t>> lines;
    CTextBuffer line;
    for (int32_t position = 0; text.NextLine(position, line);)
        lines.emplace_back(Bytes(line), position);
    return lines;
}

TEST_P(QuizFileReaderTest, LinesMatchTheWholeTextReading) {
    std::mt19937 random(99);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0', ' ', '\xC3', '\xA9'};
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 60, ' ');
        for (char& c : bytes)
            c = alphabet[random() % sizeof alphabet];
        const std::string path = m_folder.Write("lines.txt", bytes);
        CQuizFileReader reader(GetParam());
        ASSERT_TRUE(reader.Open(path.c_str(), round % 2 == 0));
        std::vector<std::pair<std::string, int32_t>> read;
        CTextBuffer line;
        for (int32_t position = 0; reader.NextLine(position, line);) {
            read.emplace_back(Bytes(line), position);
            reader.Release(position);
        }
        EXPECT_EQ(WholeTextLines(bytes), read) << bytes;
        reader.Finish();
        EXPECT_EQ(IsValidUtf8(bytes), reader.IsUtf8());
    }
}

TEST_P(QuizFileReaderTest, BytesAndKeywordsAreFoundAcrossPieces) {
    const std::string path = m_folder.Write("bytes.txt", "xxOption:yy");
    CQuizFileReader reader(GetParam());
    ASSERT_TRUE(reader.Open(path.c_str(), false));
    EXPECT_TRUE(reader.StartsWithNoCase(2, "OPTION:"));
    EXPECT_FALSE(reader.StartsWithNoCase(3, "option:"));
    EXPECT_FALSE(reader.StartsWithNoCase(8, "yyz"));
    EXPECT_EQ('y', reader.ByteAt(10));
    EXPECT_EQ('\0', reader.ByteAt(11));
}

TEST_P(QuizFileReaderTest, LineNumbersCountEveryKindOfLineEnd) {
    const std::string bytes = "one\r\ntwo\rthree\n\nfive\n\rseven";
    for (const bool keepAll : {true, false}) {
        const std::string path = m_folder.Write("numbers.txt", bytes);
        CQuizFileReader reader(GetParam());
        ASSERT_TRUE(reader.Open(path.c_str(), keepAll));
        int32_t position = 0;
        CTextBuffer line;
        while (reader.NextLine(position, line) && Bytes(line) != "seven")
            reader.Release(position);
        EXPECT_EQ("seven", reader.LineFrom(static_cast<int32_t>(bytes.size()) - 5, 200));
        EXPECT_EQ("sev", reader.LineFrom(static_cast<int32_t>(bytes.size()) - 5, 3));
        reader.Finish();
        EXPECT_EQ(7, reader.LineAt(static_cast<int32_t>(bytes.size()) - 5)) << keepAll;
    }
}

INSTANTIATE_TEST_SUITE_P(PieceSizes, QuizFileReaderTest, ::testing::Values(0, 1, 2, 3, 7, 64));

TEST(QuizFileReaderOpenTest, MissingFilesAndFoldersDoNotOpen) {
    CQuizFolder folder;
    CQuizFileReader missing;
    EXPECT_FALSE(missing.Open(folder.PathOf("none.txt").c_str(), false));
    CQuizFileReader directory;
    EXPECT_FALSE(directory.Open(folder.PathOf("").c_str(), false));
    CQuizFileReader null;
    EXPECT_FALSE(null.Open(nullptr, false));
}
} // namespace
