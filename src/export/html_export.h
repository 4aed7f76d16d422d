// A quiz as one web page: the browser player, the quiz, the ignore list, the
// sound cues and the pictures its pages name, all in a single HTML file that
// plays with no network, from a disk, a web server or an e-mail.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "export/scorm_package.h"

// The player's page as built, where it lives among the support files.
inline constexpr char kPlayerPageFile[] = "web/torvi-player.html";

// What goes into the page besides the quiz.
struct CPlayerFiles {
    // The player page with its markers for the quiz's title and data.
    std::string page;
    // Files the player reads from its program folder, by name: the ignore
    // list and the cues, as the desktop program would find them.
    std::vector<std::pair<std::string, std::string>> supportFiles;
};

struct CHtmlExportReport {
    // Pictures the pages name by a local path, as the quiz names them.
    std::vector<std::string> embeddedPictures;
    // Those not embedded: no such file, not a picture, or too large.
    std::vector<std::string> missingPictures;
    // Addresses out of the page that were turned off.
    std::vector<std::string> removedAddresses;
};

// Reads the player page from supportDirectory, and the cues and the ignore
// list the desktop program would use (ignoreListPath; empty for none). False
// with a message for the user when the player page is not there or is not a
// player page.
bool LoadPlayerFiles(const std::string& supportDirectory, const std::string& ignoreListPath,
                     CPlayerFiles& files, std::string& error);

// The quiz's pages made to stand alone. Every picture a tag of text names by
// a local path (src= or background=, a relative path, an absolute one or a
// file: address) that is found in pictureFolders (tried in order for a
// relative path) becomes a data: address in the text; the rest are left as
// they stand and reported. Every other address of a tag that reaches out of
// the page (a link, a frame, a form, a style sheet, a refresh to the web or
// to a file) becomes about:blank and is reported: the page reaches nothing,
// not even by the connection a browser opens ahead of a click.
std::string MakePagesSelfContained(const std::string& text,
                                   const std::vector<std::string>& pictureFolders,
                                   CHtmlExportReport& report);

// The page that plays the quiz quizText (its bytes as in the file) under the
// file name quizName; in a SCORM package (lms given) it reports to the
// platform that launches it.
std::string ComposeQuizPage(const CPlayerFiles& player, const std::string& quizName,
                            const std::string& quizText, const CScormOptions* lms = nullptr);

// The page for quizText (the quiz's bytes as in its file), opened in the page
// as quizName: the player and its files from supportDirectory, the pictures
// found in quizFolder or supportDirectory (both ending with "/") carried in,
// addresses out of the page turned off. False with a message for the user
// when the player is not there.
bool MakeQuizPage(const std::string& quizText, const std::string& quizName,
                  const std::string& quizFolder, const std::string& supportDirectory,
                  std::string& page, CHtmlExportReport& report, std::string& error,
                  const CScormOptions* lms = nullptr);

// Text for HTML or XML, in an element or a quoted attribute.
std::string HtmlEscaped(std::string_view text);

// The report's lines for a person: each picture left out, each address turned off.
std::vector<std::string> ReportLines(const CHtmlExportReport& report);

// The whole export: loads the quiz at quizPath with the quiz loader (a quiz
// that does not load is not written), embeds its pictures and writes the page
// to outputPath as a new file. An existing file or link at outputPath is left
// as it is and counts as a failure. False with a message for the user.
bool ExportQuizHtml(const std::string& quizPath, const std::string& outputPath,
                    const std::string& supportDirectory, CHtmlExportReport& report,
                    std::string& error);
