// Fuzz target: arbitrary bytes read as a vocabulary file. Beyond not crashing or
// hanging, a file that converts gives quiz text that loads, with exactly the
// questions the report counts; one that does not gives one line saying why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/quiz_checker.h"
#include "convert/quiz_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool reverse : {false, true}) {
        CConvertOptions options;
        options.reverse = reverse;
        if (reverse)
            options.lesson = "Lesson";
        std::string quiz;
        CConvertReport report;
        if (!ConvertToQuizText(bytes, EFileFormat::Kvtml, options, quiz, report)) {
            if (report.error.empty() || report.error.find('\n') != std::string::npos)
                std::abort();
            continue;
        }
        CQuestionSet set(nullptr);
        if (!LoadQuizBytes(set, quiz, nullptr) || set.GetQuestions().GetCount() != report.converted)
            std::abort();
    }
    return 0;
}
