#include "convert/quiz_import.h"

#include <algorithm>

#include "check/quiz_checker.h"
#include "convert/delimited_reader.h"
#include "convert/kvtml_reader.h"
#include "convert/quiz_writer.h"
#include "file/file_read.h"
#include "text/ascii.h"

namespace {
std::string_view Extension(std::string_view name) {
    const size_t slash = name.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const size_t dot = base.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : base.substr(dot + 1);
}

bool StartsVocabulary(std::string_view start) {
    if (!LooksLikeKvtml(start))
        return false;
    // An XML declaration alone could begin anything; the element names the format.
    return start.find("kvtml") != std::string_view::npos || start.starts_with("\xFF\xFE") ||
           start.starts_with("\xFE\xFF");
}
} // namespace

const char* FormatName(EFileFormat format) {
    switch (format) {
    case EFileFormat::Quiz:
        return "quiz";
    case EFileFormat::Kvtml:
        return "KVTML";
    case EFileFormat::Csv:
        return "CSV";
    case EFileFormat::Tsv:
        return "TSV";
    case EFileFormat::Flashcards:
        return "flashcard export";
    }
    return "quiz";
}

EFileFormat DetectInputFormat(std::string_view name, std::string_view start) {
    const std::string_view ext = Extension(name);
    if (EqualNoCase(ext, "kvtml") || StartsVocabulary(start))
        return EFileFormat::Kvtml;
    if (LooksLikeFlashcards(start))
        return EFileFormat::Flashcards;
    if (EqualNoCase(ext, "csv"))
        return EFileFormat::Csv;
    if (EqualNoCase(ext, "tsv") || EqualNoCase(ext, "tab") || start.starts_with("\xFF\xFE") ||
        start.starts_with("\xFE\xFF"))
        return EFileFormat::Tsv;
    return EFileFormat::Quiz;
}

bool ConvertToQuizText(std::string_view bytes, EFileFormat format, const CConvertOptions& options,
                       std::string& quizText, CConvertReport& report) {
    std::vector<CQuizRecord> records;
    bool read = false;
    switch (format) {
    case EFileFormat::Kvtml:
        read = ReadKvtml(bytes, options, records, report);
        break;
    case EFileFormat::Csv:
    case EFileFormat::Tsv:
        read = ReadDelimited(bytes, EDelimitedKind::Spreadsheet,
                             format == EFileFormat::Tsv ? '\t' : ',', options, records, report);
        break;
    case EFileFormat::Flashcards:
        read = ReadDelimited(bytes, EDelimitedKind::Flashcards, '\t', options, records, report);
        break;
    case EFileFormat::Quiz:
        report.error = "the file is a quiz already";
        break;
    }
    if (!read) {
        if (report.error.empty())
            report.error = "the file could not be read";
        return false;
    }
    // Records left out by the reader and by the writer, in one report.
    CConvertReport written;
    CQuizHeader header;
    header.accentsOptional = options.accentsOptional;
    quizText = WriteQuizText(records, written, header);
    report.converted = written.converted;
    report.skipped.insert(report.skipped.end(), written.skipped.begin(), written.skipped.end());
    report.notes.insert(report.notes.end(), written.notes.begin(), written.notes.end());
    std::stable_sort(report.skipped.begin(), report.skipped.end(),
                     [](const auto& a, const auto& b) { return a.sequence < b.sequence; });
    if (report.converted == 0) {
        // An empty quiz would only show a score of nothing; the first record's
        // fate says more.
        report.error = "nothing in the file can be asked";
        if (!report.skipped.empty())
            report.error += " (" + report.skipped.front().where + ": " +
                            report.skipped.front().why +
                            (report.skipped.size() > 1 ? ", and so on" : "") + ")";
        return false;
    }
    return true;
}

EImportResult ImportQuizFile(CQuestionSet& set, const std::string& path,
                             const CConvertOptions& options, CConvertReport& report,
                             std::string* quizText, EFileFormat* format) {
    // The first bytes tell the format; a quiz is left to the loader, which reads
    // it a piece at a time.
    const std::string start = ReadFileStart(path);
    const EFileFormat found = DetectInputFormat(path, start);
    if (format)
        *format = found;
    if (found == EFileFormat::Quiz)
        return EImportResult::NotConverted;

    std::string bytes;
    std::string why;
    if (ReadWholeFile(path, bytes, why) != EReadResult::Read) {
        report.error = why;
        return EImportResult::Failed;
    }
    std::string text;
    if (!ConvertToQuizText(bytes, found, options, text, report))
        return EImportResult::Failed;
    if (!LoadQuizBytes(set, text, nullptr)) {
        report.error = "the converted quiz did not load";
        return EImportResult::Failed;
    }
    if (quizText)
        *quizText = std::move(text);
    return EImportResult::Converted;
}
