// Where the program's own files are: the folder that holds the program file,
// and the folder its generated pages are written into.
#pragma once

#include <string>

// The folder of the running program file, ending with "/". When the program
// file cannot be found the current folder is used instead.
std::string GetProgramDirectory();

// A file name placed in a folder that ends with "/" (one is put in between
// when the folder lacks it).
std::string ProgramFilePath(const std::string& directory, const char* fileName);

// True when path names an existing folder this process may create files in.
bool IsWritableDirectory(const std::string& path);

// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

// True when path is a real folder (not a link to one) of the effective user
// that nobody else may write in, and the user may create files in it.
bool IsPrivateDirectory(const std::string& path);

// True when the support folder is a portable program folder, safe to hold the
// pages: it is the folder of the running program file itself (an installed
// program keeps its support files elsewhere, so it never is), it belongs to
// the effective user, and neither group nor others may write in it.
bool IsPortableProgramDirectory(const std::string& supportDirectory,
                                const std::string& runningProgramDirectory);

// The folder the question and explanation pages are written into, ending with
// "/": the support folder when it is a portable program folder; otherwise
// "torvi" in the user's cache folder (xdgCacheHome when it is an absolute
// path, else home + "/.cache", home taken from the password database when
// null), made with mode 0700 when missing; otherwise a private folder under
// the system's temporary folder. A cache or temporary folder that is a link,
// belongs to someone else or that others may write in is never taken. Empty
// when no safe folder exists: then no page is written. The two texts may be
// null (unset variables).
std::string ChoosePageDirectory(const std::string& supportDirectory,
                                const std::string& runningProgramDirectory,
                                const char* xdgCacheHome, const char* home);
// The same choice for this process: the folder of /proc/self/exe, and
// $XDG_CACHE_HOME and $HOME.
std::string ChoosePageDirectory(const std::string& supportDirectory);

// The stems of the pages each window writes into a shared page folder, as
// STEM-PID-N.html (see OwnPageName): the quiz window's question and
// explanation, the quiz editor's preview.
inline constexpr char kQuestionPageStem[] = "QuestionTemp";
inline constexpr char kExplanationPageStem[] = "ExplanationTemp";
inline constexpr char kEditorPreviewStem[] = "EditorPreview";
// Removes from pageDirectory the pages of those stems that windows whose
// process is gone left behind (a crash, a kill).
void RemovePagesLeftBehind(const std::string& pageDirectory);

// ---- Support files ------------------------------------------------------------

// The folder that holds the program's support files (Welcome.htm, the sound cues,
// the ignore-word list), ending with "/": programDirectory itself in a build or a
// portable copy, the configured data folder (by default "../share/torvi/")
// beside it for an installed program, and
// programDirectory again when neither holds Welcome.htm.
std::string FindSupportDirectory(const std::string& programDirectory);
// The same with the way from the bin folder to the data folder given, instead
// of the one this build was configured with ("../share/torvi" by default).
std::string FindSupportDirectory(const std::string& programDirectory,
                                 const std::string& configuredWay);
// The same search from the running program's folder.
std::string FindSupportDirectory();

// The folder of the example quizzes, "quizzes" in the support folder, ending
// with "/"; empty when there is no such folder.
std::string FindExampleQuizFolder(const std::string& supportDirectory);

// The ignore-word list's name.
inline constexpr char kIgnoreWordsFile[] = "IgnoreW.TXT";
// The ignore-word list to read: kIgnoreWordsFile in the current folder when a
// regular file of that name is there, else the one in supportDirectory. Anything
// else under that name in the current folder (a folder, a pipe, a device) counts
// as no list.
std::string ChooseIgnoreWordsFile(const std::string& supportDirectory);
