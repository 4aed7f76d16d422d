// CRunFolder: a program folder of one's own for one terminal session.
//
// The quiz window writes its question and explanation pages under fixed names
// into its program folder. Two sessions started from the same installation
// (two learners, a script playing quizzes in parallel, the desktop program
// next to the terminal) would overwrite each other's pages between writing and
// reading them, and show each other's questions. So each terminal session gets
// a private folder that stands in for the program folder: it holds links to
// the program's sound cues, so they are found as before, and receives the
// session's pages. The folder is removed when the session ends.
#pragma once

#include <string>

class CRunFolder {
public:
    CRunFolder() = default;
    ~CRunFolder();
    CRunFolder(const CRunFolder&) = delete;
    CRunFolder& operator=(const CRunFolder&) = delete;

    // Makes the folder under baseFolder (the runtime or temporary folder when
    // empty) and links every ".wav" file of programDirectory into it. False
    // when no folder could be made.
    bool Create(const std::string& programDirectory, const std::string& baseFolder = {});
    // The folder, ending with "/"; empty before Create succeeded.
    const std::string& GetPath() const { return m_strPath; }

private:
    std::string m_strPath;
};
