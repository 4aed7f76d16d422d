#include "convert/delimited_reader.h"

#include <algorithm>
#include <charconv>

#include "convert/html_text.h"
#include "convert/text_decoding.h"
#include "text/ascii.h"

namespace {
constexpr std::string_view kFlashcardKeys[] = {
    "#separator:",       "#html:",        "#columns:",     "#tags column:", "#notetype:", "#deck:",
    "#notetype column:", "#deck column:", "#guid column:", "#tags:"};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ParseCount(std::string_view s, int& value) {
    s = Trim(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && value > 0;
}

char SeparatorByName(std::string_view name) {
    name = Trim(name);
    static constexpr std::pair<std::string_view, char> kNames[] = {
        {"tab", '\t'},  {"comma", ','}, {"semicolon", ';'},
        {"space", ' '}, {"pipe", '|'},  {"colon", ':'}};
    for (const auto& [word, c] : kNames)
        if (EqualNoCase(name, word))
            return c;
    return name.size() == 1 ? name[0] : '\0';
}

bool IsTrue(std::string_view s) {
    s = Trim(s);
    return EqualNoCase(s, "true") || EqualNoCase(s, "yes") || EqualNoCase(s, "1") ||
           EqualNoCase(s, "x") || EqualNoCase(s, "ordered");
}

// A whole question page around a field that holds markup; one line, as the quiz
// format keeps a page.
std::string AsPage(std::string_view field) {
    std::string page = "<html><body>";
    for (const char c : field)
        page += (c == '\n' || c == '\r') ? ' ' : c;
    page += "</body></html>";
    return page;
}

// Blanks outside quotes are the spreadsheet's; inside quotes they are the
// author's and stay, but for those that end a one-line text, which no quiz line
// can keep. Line ends in quotes are LF already.
std::string CellText(const CDelimitedField& field) {
    if (!field.quoted)
        return NormalizeText(Trim(field.text));
    std::string text = field.text;
    if (text.find('\n') == std::string::npos)
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
    return text;
}
} // namespace

bool NeedsFormulaGuard(std::string_view text) {
    const size_t start = text.find_first_not_of('\'');
    return start != std::string_view::npos &&
           std::string_view("=+-@\t\r").find(text[start]) != std::string_view::npos;
}

std::string_view WithoutFormulaGuard(std::string_view cell) {
    if (cell.starts_with('\'') && NeedsFormulaGuard(cell.substr(1)))
        cell.remove_prefix(1);
    return cell;
}

bool LooksLikeFlashcards(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    for (const std::string_view key : kFlashcardKeys)
        if (StartsWithNoCase(bytes, key))
            return true;
    return false;
}

char DetectSeparator(std::string_view text, size_t start, char fallback) {
    size_t tabs = 0;
    size_t commas = 0;
    size_t semicolons = 0;
    bool quoted = false;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == '\t')
            ++tabs;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    if (tabs > 0)
        return '\t';
    if (commas == 0 && semicolons == 0)
        return fallback;
    return semicolons > commas ? ';' : ',';
}

bool NextRow(std::string_view text, size_t& position, int32_t& line, char separator,
             CDelimitedRow& row) {
    size_t i = position;
    auto atLineEnd = [&](size_t at) { return text[at] == '\n' || text[at] == '\r'; };
    auto passLineEnd = [&] {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        ++i;
        ++line;
    };
    // The fields of the row are reused from the last one, so their strings keep
    // their room.
    size_t used = 0;
    auto nextField = [&]() -> CDelimitedField& {
        if (used == row.fields.size())
            row.fields.emplace_back();
        CDelimitedField& field = row.fields[used++];
        field.text.clear();
        field.quoted = false;
        return field;
    };
    while (i < text.size()) {
        row.line = line;
        row.unclosed = false;
        used = 0;
        for (;;) {
            CDelimitedField& field = nextField();
            if (i < text.size() && text[i] == '"') {
                field.quoted = true;
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    const size_t stop = text.find_first_of("\"\r\n", i);
                    const size_t end = stop == std::string_view::npos ? text.size() : stop;
                    field.text.append(text.substr(i, end - i));
                    i = end;
                    if (i == text.size())
                        break;
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field.text += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    // A line break inside quotes is part of the field.
                    field.text += '\n';
                    passLineEnd();
                }
                if (!closed)
                    row.unclosed = true;
                // Anything between the closing quote and the separator is kept, as
                // spreadsheets do.
                while (i < text.size() && text[i] != separator && !atLineEnd(i))
                    field.text += text[i++];
            } else {
                const size_t begin = i;
                while (i < text.size() && text[i] != separator && !atLineEnd(i))
                    ++i;
                field.text.assign(text.substr(begin, i - begin));
            }
            if (i < text.size() && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < text.size())
            passLineEnd();
        const bool blank = used == 1 && !row.fields[0].quoted && Trim(row.fields[0].text).empty();
        if (!blank) {
            row.fields.resize(used);
            position = i;
            return true;
        }
    }
    position = i;
    return false;
}

std::vector<CDelimitedRow> SplitRows(std::string_view text, size_t start, int32_t firstLine,
                                     char separator) {
    std::vector<CDelimitedRow> rows;
    CDelimitedRow row;
    while (NextRow(text, start, firstLine, separator, row))
        rows.push_back(row);
    return rows;
}

namespace {
class CColumnChoice {
public:
    // The column a person named, by number from 1 or by its header name; -1 when
    // there is none, with why set.
    static int Find(const std::string& wanted, const std::vector<std::string>& names,
                    std::string& why) {
        int number = 0;
        if (ParseCount(wanted, number))
            return number - 1;
        for (size_t i = 0; i < names.size(); ++i)
            if (EqualNoCase(names[i], Trim(wanted)))
                return static_cast<int>(i);
        why = "the file has no column '" + wanted + "'";
        return -1;
    }
};

std::vector<int> AllNamed(const std::vector<std::string>& names, std::string_view name) {
    std::vector<int> found;
    for (size_t i = 0; i < names.size(); ++i)
        if (EqualNoCase(names[i], name))
            found.push_back(static_cast<int>(i));
    return found;
}
} // namespace

bool ReadDelimited(std::string_view bytes, EDelimitedKind kind, char fallbackSeparator,
                   const CConvertOptions& options, std::vector<CQuizRecord>& records,
                   CConvertReport& report) {
    ESourceEncoding encoding = ESourceEncoding::Utf8;
    const std::string text = DecodeToUtf8(bytes, &encoding);
    // Rows split out of a picture or an archive would be noise, not questions.
    if (IsBinaryText(text)) {
        report.error = kNotTextError;
        return false;
    }
    if (encoding == ESourceEncoding::Windows1252)
        report.notes.push_back("the file is not UTF-8; its bytes were read as Windows-1252");

    // The flashcard export's header lines, each "#key:value".
    size_t start = 0;
    int32_t line = 1;
    char separator = options.separator;
    bool html = false;
    std::vector<std::string> columnNames;
    std::string columnLine;
    std::vector<int> metaColumns; // guid, note type, deck and tags: never asked
    if (kind == EDelimitedKind::Flashcards) {
        while (start < text.size() && text[start] == '#') {
            const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
            const std::string_view header(text.data() + start, end - start);
            const size_t colon = header.find(':');
            const std::string_view key = header.substr(
                1, colon == std::string_view::npos ? std::string_view::npos : colon - 1);
            const std::string_view value =
                colon == std::string_view::npos ? std::string_view() : header.substr(colon + 1);
            int column = 0;
            if (EqualNoCase(key, "separator") && separator == '\0')
                separator = SeparatorByName(value);
            else if (EqualNoCase(key, "html"))
                html = IsTrue(value);
            else if (EqualNoCase(key, "columns"))
                columnLine = std::string(value);
            else if ((EqualNoCase(key, "tags column") || EqualNoCase(key, "guid column") ||
                      EqualNoCase(key, "notetype column") || EqualNoCase(key, "deck column")) &&
                     ParseCount(value, column))
                metaColumns.push_back(column - 1);
            start = end;
            if (start < text.size() && text[start] == '\r')
                ++start;
            if (start < text.size() && text[start] == '\n')
                ++start;
            ++line;
        }
    }
    if (separator == '\0')
        separator = kind == EDelimitedKind::Flashcards
                        ? '\t'
                        : DetectSeparator(text, start, fallbackSeparator);

    // Rows are read one at a time; only the first is looked at before the rest.
    size_t position = start;
    int32_t rowLine = line;
    CDelimitedRow row;
    bool haveRow = NextRow(text, position, rowLine, separator, row);

    // The names of the columns: the flashcard header's, or the first row's when it
    // is a header.
    std::vector<std::string> names;
    if (!columnLine.empty()) {
        const std::vector<CDelimitedRow> header = SplitRows(columnLine, 0, 1, separator);
        for (const CDelimitedField& f :
             header.empty() ? std::vector<CDelimitedField>() : header.front().fields)
            names.push_back(std::string(Trim(f.text)));
    } else if (haveRow && kind == EDelimitedKind::Spreadsheet) {
        bool header = options.header == 1;
        if (options.header < 0)
            for (const CDelimitedField& f : row.fields)
                header = header || EqualNoCase(Trim(f.text), "question") ||
                         EqualNoCase(Trim(f.text), "answer");
        if (header) {
            for (const CDelimitedField& f : row.fields)
                names.push_back(std::string(Trim(f.text)));
            haveRow = NextRow(text, position, rowLine, separator, row);
        }
    }

    std::string why;
    int question = 0;
    std::vector<int> answers;
    int comment = -1;
    int explanation = -1;
    if (kind == EDelimitedKind::Flashcards) {
        // The first two columns that hold a card's own text.
        std::vector<int> sides;
        for (int c = 0; sides.size() < 2 && c < 64; ++c)
            if (std::find(metaColumns.begin(), metaColumns.end(), c) == metaColumns.end())
                sides.push_back(c);
        question = sides[0];
        answers = {sides[1]};
    } else if (!names.empty()) {
        const std::vector<int> named = AllNamed(names, "question");
        question = named.empty() ? 0 : named.front();
        answers = AllNamed(names, "answer");
        if (answers.empty())
            answers = {question == 1 ? 0 : 1};
        const std::vector<int> comments = AllNamed(names, "comment");
        const std::vector<int> explanations = AllNamed(names, "explanation");
        comment = comments.empty() ? -1 : comments.front();
        explanation = explanations.empty() ? -1 : explanations.front();
    } else {
        answers = {1};
    }
    const std::vector<int> orderedColumns = AllNamed(names, "ordered");
    const int ordered = orderedColumns.empty() ? -1 : orderedColumns.front();

    if (!options.questionColumn.empty() &&
        (question = CColumnChoice::Find(options.questionColumn, names, why)) < 0) {
        report.error = why;
        return false;
    }
    if (!options.answerColumns.empty()) {
        answers.clear();
        for (const std::string& wanted : options.answerColumns) {
            const int column = CColumnChoice::Find(wanted, names, why);
            if (column < 0) {
                report.error = why;
                return false;
            }
            answers.push_back(column);
        }
    }
    if (!options.commentColumn.empty() &&
        (comment = CColumnChoice::Find(options.commentColumn, names, why)) < 0) {
        report.error = why;
        return false;
    }
    if (!options.explanationColumn.empty() &&
        (explanation = CColumnChoice::Find(options.explanationColumn, names, why)) < 0) {
        report.error = why;
        return false;
    }

    for (; haveRow; haveRow = NextRow(text, position, rowLine, separator, row)) {
        auto cell = [&](int column) -> const CDelimitedField* {
            return column >= 0 && static_cast<size_t>(column) < row.fields.size()
                       ? &row.fields[static_cast<size_t>(column)]
                       : nullptr;
        };
        CQuizRecord record;
        record.where = "line " + std::to_string(row.line);
        record.sequence = row.line;
        if (row.unclosed) {
            report.Skip(record.where, "a quoted field is never closed", record.sequence);
            continue;
        }
        auto plain = [&](int column) -> std::string {
            const CDelimitedField* f = cell(column);
            if (!f)
                return {};
            if (html)
                return NormalizeText(HtmlToPlainText(f->text));
            std::string text = CellText(*f);
            if (kind == EDelimitedKind::Spreadsheet)
                text.erase(0, text.size() - WithoutFormulaGuard(text).size());
            return text;
        };
        auto pageOrPlain = [&](int column) -> std::string {
            const CDelimitedField* f = cell(column);
            if (f && html && HasMarkup(f->text))
                return AsPage(Trim(f->text));
            return plain(column);
        };
        record.question = pageOrPlain(question);
        for (const int column : answers)
            if (std::string answer = plain(column); !answer.empty())
                record.answers.push_back(std::move(answer));
        record.comment = plain(comment);
        record.explanation = pageOrPlain(explanation);
        if (const CDelimitedField* f = cell(ordered))
            record.ordered = IsTrue(f->text);
        if (record.question.empty())
            report.Skip(record.where, "nothing to ask", record.sequence);
        else if (record.answers.empty() && ordered < 0)
            report.Skip(record.where, "nothing to answer", record.sequence);
        else
            records.push_back(std::move(record));
    }
    return true;
}
