// Helpers for the quiz-file tests: a private temporary folder that the test
// writes its quiz files and ignore lists into, removed when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "quiz/question_set.h"
#include "quiz/quiz_file_reader.h"

class CQuizFolder {
public:
    CQuizFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "torvi-quiz-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    CQuizFolder(const CQuizFolder&) = delete;
    CQuizFolder& operator=(const CQuizFolder&) = delete;
    ~CQuizFolder() {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }

    // Writes the bytes exactly as given (no line-end conversion) and returns the path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::string path = (m_path / name).string();
        // A fresh file each time: rewriting a file in place makes the file system
        // flush it to disk on close, which slows many small writes badly.
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::string PathOf(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The bytes of a text, NUL bytes included.
inline std::string Bytes(const CTextBuffer& text) {
    return std::string(text.GetText(), static_cast<size_t>(text.GetLength()));
}

inline std::vector<std::string> AnswersOf(const CQuestion& question) {
    std::vector<std::string> answers;
    for (const CTextBuffer* answer : question.answers)
        answers.push_back(Bytes(*answer));
    return answers;
}

inline std::vector<std::string> WordsOf(const CTextList& list) {
    std::vector<std::string> words;
    for (const CTextBuffer* word : list)
        words.push_back(Bytes(*word));
    return words;
}

// A question set whose ignore list is "the", "of" and "a", read from a file in the
// folder, and a helper that loads a quiz given as text.
// Loads the file at path read chunkBytes at a time (0: the normal size), kept
// whole when there is a report, as Load(path, report) keeps it.
inline bool LoadInPieces(CQuestionSet& set, const std::string& path, size_t chunkBytes,
                         CLoadReport* report) {
    CQuizFileReader file(chunkBytes);
    file.Open(path.c_str(), report != nullptr);
    return set.Load(file, report);
}

class CQuizSetFixture {
public:
    explicit CQuizSetFixture(std::string_view ignoreList = "the\nof\na\n")
        : m_ignorePath(m_folder.Write("IgnoreW.TXT", ignoreList)), m_set(m_ignorePath.c_str()) {}

    bool LoadText(std::string_view quiz, CLoadReport* report = nullptr) {
        const std::string path = m_folder.Write("quiz" + std::to_string(m_nFiles++) + ".txt", quiz);
        return m_set.Load(path.c_str(), report);
    }
    bool LoadTextInPieces(std::string_view quiz, size_t chunkBytes, CLoadReport* report = nullptr) {
        const std::string path = m_folder.Write("quiz" + std::to_string(m_nFiles++) + ".txt", quiz);
        return LoadInPieces(m_set, path, chunkBytes, report);
    }

    const CQuestion& Question(int32_t index) const { return *m_set.GetQuestions().GetAt(index); }
    int32_t Count() const { return m_set.GetQuestions().GetCount(); }

    CQuizFolder m_folder;
    std::string m_ignorePath;
    CQuestionSet m_set;

private:
    int m_nFiles = 0;
};
