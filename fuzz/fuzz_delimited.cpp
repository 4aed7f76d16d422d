// Fuzz target: arbitrary bytes read as a spreadsheet (CSV, TSV) and as a
// flashcard export. A file that converts gives quiz text that loads, with exactly
// the questions the report counts, and what a CSV export of that quiz holds comes
// back whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/quiz_checker.h"
#include "convert/quiz_export.h"
#include "convert/quiz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const EFileFormat format : {EFileFormat::Csv, EFileFormat::Tsv, EFileFormat::Flashcards}) {
        std::string quiz;
        CConvertReport report;
        if (!ConvertToQuizText(bytes, format, {}, quiz, report))
            continue;
        CQuestionSet set(nullptr);
        if (!LoadQuizBytes(set, quiz, nullptr) || set.GetQuestions().GetCount() != report.converted)
            std::abort();

        // Written out as CSV and read back, no question changes or goes missing
        // silently: every row either comes back or is reported.
        CConvertReport exported;
        const std::string sheet = WriteDelimited(set, ',', exported);
        std::string again;
        CConvertReport reread;
        if (exported.converted > 0 &&
            ConvertToQuizText(sheet, EFileFormat::Csv, {}, again, reread) &&
            reread.converted + static_cast<int32_t>(reread.skipped.size()) < exported.converted)
            std::abort();
    }
    return 0;
}
