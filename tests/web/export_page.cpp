// Writes a quiz as a web page for the browser tests and the benchmark, with
// the exporter the programs use: export_page QUIZ OUTPUT SUPPORT_FOLDER [raw].
// Prints each picture left out and each address turned off on a line of its
// own. "raw" carries the quiz as it is, addresses and all, so that a test can
// show what the page's frame stops by itself.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "export/html_export.h"
#include "ui/program_paths.h"

namespace {
int WriteRaw(const char* quizPath, const char* outputPath, const char* supportFolder) {
    std::ifstream quiz(quizPath, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(quiz), std::istreambuf_iterator<char>()};
    CPlayerFiles player;
    std::string error;
    if (!quiz ||
        !LoadPlayerFiles(supportFolder, ChooseIgnoreWordsFile(supportFolder), player, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::string path = quizPath;
    const std::string name = path.substr(path.rfind('/') + 1);
    std::ofstream(outputPath, std::ios::binary) << ComposeQuizPage(player, name, text);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    const bool raw = argc == 5 && std::string(argv[4]) == "raw";
    if (argc != 4 && !raw) {
        std::fprintf(stderr, "usage: export_page QUIZ OUTPUT SUPPORT_FOLDER [raw]\n");
        return 2;
    }
    if (raw)
        return WriteRaw(argv[1], argv[2], argv[3]);
    CHtmlExportReport report;
    std::string error;
    if (!ExportQuizHtml(argv[1], argv[2], argv[3], report, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const std::string& picture : report.missingPictures)
        std::printf("missing picture: %s\n", picture.c_str());
    for (const std::string& address : report.removedAddresses)
        std::printf("address turned off: %s\n", address.c_str());
    return 0;
}
