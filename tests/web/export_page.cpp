// Writes a quiz as a web page for the browser tests and the benchmark, with
// the exporter the programs use: export_page QUIZ OUTPUT SUPPORT_FOLDER.
// Prints each picture left out on a line of its own.
#include <cstdio>
#include <string>

#include "export/html_export.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: export_page QUIZ OUTPUT SUPPORT_FOLDER\n");
        return 2;
    }
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
