#include "cli/cmd_convert.h"

#include <ostream>
#include <span>
#include <sys/stat.h>
#include <vector>

#include "check/quiz_checker.h"
#include "convert/quiz_export.h"
#include "convert/quiz_import.h"
#include "convert/quiz_writer.h"
#include "export/html_export.h"
#include "file/file_write.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "ui/program_paths.h"

namespace {
// The same name, or another name (a path spelt otherwise, a hard link, a link)
// of the same file.
bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return a == b || (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
                      first.st_dev == second.st_dev && first.st_ino == second.st_ino);
}

// The quiz text as the input's conversion made it; a quiz written again was
// made so too, its option lines kept (see QuizWrittenAgain).
bool WriteQuiz(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    out.assign(quiz.quizText);
    report.converted = quiz.questions;
    return true;
}

// A loaded quiz as quiz text again: in UTF-8, each record checked like any
// converted one, behind the quiz's own option lines.
std::string QuizWrittenAgain(const CQuestionSet& set, const CLoadReport& loadReport,
                             bool accentsOptional, CConvertReport& report) {
    CQuizHeader header;
    header.accentsOptional = accentsOptional;
    header.ownLines.emplace();
    for (const CLoadReport::COptionLine& option : loadReport.options)
        header.ownLines->push_back(set.IsUtf8() ? option.rest : Cp1252ToUtf8(option.rest));
    return WriteQuizText(RecordsOf(set), report, header);
}

bool WriteCsv(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    out = WriteDelimited(quiz.set, ',', report);
    return true;
}

bool WriteTsv(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    out = WriteDelimited(quiz.set, '\t', report);
    return true;
}

bool WriteVocabulary(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    out = WriteKvtml(quiz.set, quiz.title, report);
    return !report.Failed();
}

// A web page that plays the quiz in any browser: the quiz text as it stands
// (a quiz file's own bytes, or the text a conversion made), with the player
// and the pictures its pages name.
bool MakeWebPage(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report,
                 const CScormOptions* lms) {
    const std::string& input = quiz.inputPath;
    const size_t slash = input.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : input.substr(0, slash + 1);
    const std::string text(quiz.quizText);
    // Named as a quiz, so that the page opens it as one whatever it was made
    // from; a quiz file keeps its own name.
    std::string name = quiz.title + ".txt";
    if (quiz.quizTextIsInput)
        name = slash == std::string::npos ? input : input.substr(slash + 1);
    CHtmlExportReport pageReport;
    if (!MakeQuizPage(text, name, folder, FindSupportDirectory(), out, pageReport, report.error,
                      lms))
        return false;
    for (const std::string& line : ReportLines(pageReport))
        report.notes.push_back(line);
    report.converted = quiz.questions > 0 ? quiz.questions : quiz.set.GetQuestions().GetCount();
    return true;
}

bool WriteWebPage(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    return MakeWebPage(quiz, out, report, nullptr);
}

// A SCORM package: the web page, reporting to the platform, in a zip with
// its manifest.
bool WriteScormPackage(const CConvertedQuiz& quiz, EScormVersion version, std::string& out,
                       CConvertReport& report) {
    const CScormOptions options{version, quiz.passingPercent};
    std::string page;
    if (!MakeWebPage(quiz, page, report, &options))
        return false;
    return MakeScormPackage(page, ToUtf8(quiz.title), report.converted, options, out,
                            report.error);
}

bool WriteScorm12(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    return WriteScormPackage(quiz, EScormVersion::Scorm12, out, report);
}

bool WriteScorm2004(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report) {
    return WriteScormPackage(quiz, EScormVersion::Scorm2004, out, report);
}

constexpr COutputFormat kOutputFormats[] = {
    {"quiz", ".txt", true, WriteQuiz},          {"csv", ".csv", false, WriteCsv},
    {"tsv", ".tsv .tab", false, WriteTsv},      {"kvtml", ".kvtml", false, WriteVocabulary},
    {"html", ".html .htm", true, WriteWebPage}, {"scorm12", ".zip", true, WriteScorm12},
    {"scorm2004", "", true, WriteScorm2004},
};

bool IsScorm(const COutputFormat* format) {
    return format->write == WriteScorm12 || format->write == WriteScorm2004;
}

const COutputFormat* FormatNamed(std::string_view name) {
    for (const COutputFormat& format : kOutputFormats)
        if (EqualNoCase(format.name, name) ||
            (EqualNoCase(name, "txt") && std::string_view(format.name) == "quiz"))
            return &format;
    return nullptr;
}

const COutputFormat* FormatForFile(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot == std::string_view::npos)
        return nullptr;
    const std::string_view ending = base.substr(dot);
    for (const COutputFormat& format : kOutputFormats) {
        std::string_view endings = format.endings;
        while (!endings.empty()) {
            const size_t space = endings.find(' ');
            if (EqualNoCase(endings.substr(0, space), ending))
                return &format;
            endings =
                space == std::string_view::npos ? std::string_view() : endings.substr(space + 1);
        }
    }
    return nullptr;
}

bool InputFormatNamed(std::string_view name, EFileFormat& format) {
    static constexpr std::pair<std::string_view, EFileFormat> kNames[] = {
        {"quiz", EFileFormat::Quiz},   {"txt", EFileFormat::Quiz},
        {"kvtml", EFileFormat::Kvtml}, {"csv", EFileFormat::Csv},
        {"tsv", EFileFormat::Tsv},     {"flashcards", EFileFormat::Flashcards}};
    for (const auto& [word, value] : kNames) {
        if (EqualNoCase(word, name)) {
            format = value;
            return true;
        }
    }
    return false;
}

bool SeparatorNamed(std::string_view name, char& separator) {
    static constexpr std::pair<std::string_view, char> kNames[] = {
        {"tab", '\t'}, {"comma", ','}, {"semicolon", ';'}, {"pipe", '|'}};
    for (const auto& [word, c] : kNames) {
        if (EqualNoCase(word, name)) {
            separator = c;
            return true;
        }
    }
    if (name.size() == 1 && name[0] != '"' && name[0] != '\n' && name[0] != '\r') {
        separator = name[0];
        return true;
    }
    return false;
}

std::string TitleOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0)
        base.resize(dot);
    return base;
}

class CConvertCommand final : public CCliCommand {
public:
    const char* GetName() const override { return "convert"; }
    const char* GetDescription() const override {
        return "Convert a vocabulary file (KVTML), a spreadsheet (CSV or TSV) or a flashcard "
               "export into a quiz, or a quiz into a vocabulary file, a spreadsheet or a web "
               "page that plays it in any browser.";
    }

    void Configure(CLI::App& command) override {
        command
            .add_option("INPUT", m_strInput,
                        "The file to convert. Its format is told from its content and name.")
            ->required();
        command
            .add_option("-o,--output", m_strOutput,
                        "Where to write the result; '-' (the default) is standard output. Its "
                        "name's ending (.txt, .csv, .tsv, .kvtml, .html, .zip) chooses the "
                        "format.")
            ->type_name("OUTPUT");
        std::string formats;
        for (const COutputFormat& format : kOutputFormats)
            formats += (formats.empty() ? "" : "|") + std::string(format.name);
        command
            .add_option("--to", m_strTo,
                        "The output format when OUTPUT's name does not tell it: " + formats +
                            ". Default: quiz, or csv for an input that is a quiz.")
            ->type_name("FORMAT");
        command
            .add_option("--from", m_strFrom,
                        "The input format, when its content and name do not tell it: "
                        "quiz|kvtml|csv|tsv|flashcards.")
            ->type_name("FORMAT");
        command
            .add_option("--passing-score", m_nPassingScore,
                        "SCORM package: the percentage of questions right that passes; the "
                        "platform records passed or failed. Default: none, the quiz is "
                        "recorded as completed with its score.")
            ->type_name("PERCENT")
            ->check(CLI::Range(0, 100));
        command.add_flag("-f,--force", m_bForce,
                         "Replace OUTPUT when it exists (through a new file and a rename).");
        command.add_flag("--reverse", m_options.reverse,
                         "Vocabulary: ask the answering language and expect the asking one.");
        command
            .add_option("--ask-language", m_options.askLanguage,
                        "Vocabulary: the language that asks, by number (from 0), name or locale. "
                        "Default: the first.")
            ->type_name("LANGUAGE");
        command
            .add_option("--answer-language", m_options.answerLanguage,
                        "Vocabulary: the language that answers. Default: the second (with one "
                        "language, its word answers the hint in its comment).")
            ->type_name("LANGUAGE");
        command
            .add_option("--lesson", m_options.lesson,
                        "Vocabulary: only the entries of this lesson and the lessons in it.")
            ->type_name("NAME");
        command
            .add_option("--separator", m_strSeparator,
                        "Spreadsheet: tab, comma, semicolon, pipe or one character. Default: "
                        "told from the first line.")
            ->type_name("SEP");
        command.add_flag("--header,!--no-header", m_nHeader,
                         "Spreadsheet: the first row names the columns (or does not). Default: "
                         "it does when it holds a column named Question or Answer.");
        command
            .add_option("--question-column", m_options.questionColumn,
                        "Spreadsheet: the column that asks, by number (from 1) or header "
                        "name. Default: Question, else the first.")
            ->type_name("COLUMN");
        command
            .add_option("--answer-column", m_options.answerColumns,
                        "Spreadsheet: a column of expected answers; repeat it for several. "
                        "Default: every Answer column, else the second.")
            ->type_name("COLUMN");
        command
            .add_option("--comment-column", m_options.commentColumn,
                        "Spreadsheet: the column of comments. Default: Comment.")
            ->type_name("COLUMN");
        command
            .add_option("--explanation-column", m_options.explanationColumn,
                        "Spreadsheet: the column of explanations. Default: Explanation.")
            ->type_name("COLUMN");
        command
            .add_option("--accents", m_strAccents,
                        "Quiz or web page: 'optional' lets typed answers leave accents out, "
                        "written as option:Accents:Optional. Default: required.")
            ->type_name("optional|required");
        command.footer(
            "The report goes to standard error: each record left out, with its line, row or "
            "entry and why, then the number of questions converted.\n"
            "Exit status: 0 when the file was converted (records left out or not), 1 when "
            "nothing in it could be converted or it is not a file of its format, 2 on a usage "
            "error, an unreadable input or an output that cannot be written, " +
            std::string(kExitOutputHelp) + ".");
    }

    int Run(std::ostream& out, std::ostream& err) override {
        if (!m_strSeparator.empty() && !SeparatorNamed(m_strSeparator, m_options.separator))
            return ReportUsageError(err, "--separator: not a separator: '" + m_strSeparator + "'");
        if (m_nHeader != 0)
            m_options.header = m_nHeader > 0 ? 1 : 0;
        if (!m_strAccents.empty()) {
            if (!EqualNoCase(m_strAccents, "optional") && !EqualNoCase(m_strAccents, "required"))
                return ReportUsageError(err, "--accents: '" + TerminalText(m_strAccents) +
                                                 "' is neither optional nor required");
            m_options.accentsOptional = EqualNoCase(m_strAccents, "optional");
        }

        std::string bytes;
        std::string why;
        if (ReadWholeFile(m_strInput, bytes, why) != EReadResult::Read)
            return ReportUsageError(err, TerminalText(m_strInput) + ": " + why);
        EFileFormat from = DetectInputFormat(m_strInput, std::string_view(bytes).substr(0, 4096));
        if (!m_strFrom.empty() && !InputFormatNamed(m_strFrom, from))
            return ReportUsageError(err, "--from: unknown format '" + m_strFrom + "'");

        const COutputFormat* to = nullptr;
        if (!m_strTo.empty()) {
            if (!(to = FormatNamed(m_strTo)))
                return ReportUsageError(err, "--to: unknown format '" + m_strTo + "'");
        } else if (m_strOutput != "-") {
            to = FormatForFile(m_strOutput);
            if (!to)
                return ReportUsageError(err, "the name '" + TerminalText(m_strOutput) +
                                                 "' does not tell the output format; give --to");
        } else {
            to = FormatNamed(from == EFileFormat::Quiz ? "csv" : "quiz");
        }
        if (m_strOutput != "-" && IsSameFile(m_strOutput, m_strInput))
            return ReportUsageError(err, "the output would replace the input");
        if (m_nPassingScore && !IsScorm(to))
            return ReportUsageError(err, std::string("--passing-score: ") + to->name +
                                             " has no passing score; a SCORM package has");
        // Only a quiz has an option line to say it.
        if (m_options.accentsOptional && !to->usesQuizText)
            return ReportUsageError(err, std::string("--accents optional: ") + to->name +
                                             " has no place for it; a quiz or a web page has");

        const std::string name = TerminalText(m_strInput);
        CQuestionSet set(nullptr);
        CConvertReport readReport;
        std::string quizText;
        bool quizTextIsInput = false;
        if (from == EFileFormat::Quiz) {
            // Loaded from the bytes read above: the input is read once.
            CLoadReport loadReport;
            if (!LoadQuizBytes(set, bytes, &loadReport)) {
                err << "torvi-cli: " << name << ": the quiz does not load: "
                    << TerminalText(set.GetLastLoadError().Describe()) << '\n';
                return kExitFailure;
            }
            // The option lines of a quiz's header belong to the quiz format
            // alone: a quiz written again keeps them, and a web page plays the
            // quiz file as it stands unless accents are to be made optional.
            if (to->write == WriteQuiz || (to->usesQuizText && m_options.accentsOptional))
                quizText = QuizWrittenAgain(set, loadReport, m_options.accentsOptional, readReport);
            else if (!to->usesQuizText && !loadReport.options.empty())
                readReport.notes.push_back(CountedNoun(loadReport.options.size(), "option line") +
                                           " of the quiz (line 1 on) " +
                                           (loadReport.options.size() == 1 ? "is" : "are") +
                                           " not kept");
            if (to->usesQuizText && quizText.empty()) {
                quizText = std::move(bytes);
                quizTextIsInput = true;
            }
        } else {
            if (!ConvertToQuizText(bytes, from, m_options, quizText, readReport)) {
                PrintReport(err, name, readReport);
                return kExitFailure;
            }
            // The quiz text was loaded back record by record as it was written;
            // it is loaded again only for a format that reads the questions.
            if (!to->usesQuizText && !LoadQuizBytes(set, quizText, nullptr)) {
                err << "torvi-cli: " << name << ": the converted quiz does not load\n";
                return kExitInternal;
            }
        }
        bytes.clear();
        bytes.shrink_to_fit();

        // Reading leaves records out for the reader's reasons, writing for the
        // output format's: both go into one report.
        CConvertReport writeReport;
        std::string result;
        const CConvertedQuiz quiz{set,        quizText,       readReport.converted,
                                  TitleOf(m_strInput), m_strInput, m_nPassingScore,
                                  quizTextIsInput};
        const bool written = to->write(quiz, result, writeReport);
        CConvertReport report = readReport;
        report.notes.insert(report.notes.end(), writeReport.notes.begin(), writeReport.notes.end());
        report.skipped.insert(report.skipped.end(), writeReport.skipped.begin(),
                              writeReport.skipped.end());
        report.converted = writeReport.converted;
        report.error = writeReport.error;
        if (!written) {
            PrintReport(err, name, report);
            return kExitFailure;
        }

        if (m_strOutput == "-") {
            out << result;
        } else if (!WriteOutput(err, m_strOutput, result, m_bForce)) {
            return kExitUsage;
        }
        PrintReport(err, name, report);
        return kExitSuccess;
    }

private:
    // A new file, or with --force a replaced one that keeps its owner, group,
    // mode and attributes; what of them could not be kept is said, not hidden.
    static bool WriteOutput(std::ostream& err, const std::string& path, std::string_view bytes,
                            bool replace) {
        CWriteReport written;
        const bool ok = replace ? ReplaceFile(path, bytes, CWriteOptions(), written)
                                : WriteNewFile(path, bytes, CWriteOptions(), written);
        for (const std::string& warning : written.warnings)
            err << "torvi-cli: warning: " << TerminalText(warning) << '\n';
        if (ok)
            return true;
        if (written.result == EWriteResult::Exists)
            err << "torvi-cli: '" << TerminalText(path) << "' exists; --force replaces it\n";
        else
            err << "torvi-cli: " << TerminalText(written.error) << '\n';
        return false;
    }

    static void PrintReport(std::ostream& err, const std::string& name,
                            const CConvertReport& report) {
        for (const std::string& line : report.Lines())
            err << (report.Failed() ? "torvi-cli: " : "") << name << ": " << TerminalText(line)
                << '\n';
    }

    std::string m_strInput;
    std::string m_strOutput = "-";
    std::string m_strTo;
    std::string m_strFrom;
    std::string m_strSeparator;
    std::string m_strAccents;
    int m_nHeader = 0;
    std::optional<int> m_nPassingScore;
    bool m_bForce = false;
    CConvertOptions m_options;
};
} // namespace

std::unique_ptr<CCliCommand> MakeConvertCommand() {
    return std::make_unique<CConvertCommand>();
}
