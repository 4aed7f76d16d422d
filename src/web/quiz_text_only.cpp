// The browser player carries quiz text only: a vocabulary file or a flashcard
// export is converted when the page is made, by the desktop's readers. The
// player is built without those readers and their XML library, and without
// what Emscripten's C library lacks; these take their place, so a page's quiz
// is always opened as the quiz it is.
#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "convert/html_text.h"
#include "convert/kvtml_reader.h"

bool LooksLikeKvtml(std::string_view) {
    return false;
}

bool ReadKvtml(std::string_view, const CConvertOptions&, std::vector<CQuizRecord>&,
               CConvertReport& report) {
    report.error = "vocabulary files are converted when the page is made";
    return false;
}

bool HasMarkup(std::string_view) {
    return false;
}

std::string HtmlToPlainText(std::string_view field) {
    return std::string(field);
}

// Emscripten's C library has no in-memory files by descriptor; the quiz in
// memory that a conversion loads never arises in the player, where the quiz
// is always a file of its own.
extern "C" int memfd_create(const char*, unsigned int) {
    errno = ENOSYS;
    return -1;
}
