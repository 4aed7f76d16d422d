#include "convert/quiz_export.h"

#include <algorithm>
#include <memory>

#include <libxml/xmlwriter.h>

#include "convert/delimited_reader.h"
#include "text/encoding.h"

namespace {
std::string Utf8Of(const CTextBuffer& text, bool utf8) {
    const std::string_view bytes(text.GetText(), static_cast<size_t>(text.GetLength()));
    return utf8 ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

// XML 1.0 cannot carry most control characters, not even as references.
bool XmlCanCarry(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
            return false;
    }
    return true;
}

struct CWriterFree {
    void operator()(xmlTextWriter* w) const { xmlFreeTextWriter(w); }
};
struct CBufferFree {
    void operator()(xmlBuffer* b) const { xmlBufferFree(b); }
};

const xmlChar* X(const char* s) {
    return reinterpret_cast<const xmlChar*>(s);
}
} // namespace

std::vector<CQuizRecord> RecordsOf(const CQuestionSet& set) {
    std::vector<CQuizRecord> records;
    const bool utf8 = set.IsUtf8();
    int32_t number = 0;
    for (const CQuestion* q : set.GetQuestions()) {
        CQuizRecord r;
        r.where = "question " + std::to_string(++number);
        r.question = Utf8Of(q->text, utf8);
        for (const CTextBuffer* a : q->answers)
            r.answers.push_back(Utf8Of(*a, utf8));
        r.comment = Utf8Of(q->comment, utf8);
        r.explanation = Utf8Of(q->explanation, utf8);
        r.ordered = q->ordered;
        records.push_back(std::move(r));
    }
    return records;
}

std::string WriteKvtml(const CQuestionSet& set, const std::string& title, CConvertReport& report) {
    std::unique_ptr<xmlBuffer, CBufferFree> buffer(xmlBufferCreate());
    std::unique_ptr<xmlTextWriter, CWriterFree> writer(
        buffer ? xmlNewTextWriterMemory(buffer.get(), 0) : nullptr);
    if (!writer) {
        report.error = "out of memory";
        return {};
    }
    xmlTextWriter* w = writer.get();
    xmlTextWriterSetIndent(w, 1);
    xmlTextWriterSetIndentString(w, X("  "));
    bool ok = xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0;
    auto element = [&](const char* name, const std::string& text) {
        ok = ok && xmlTextWriterWriteElement(w, X(name), X(text.c_str())) >= 0;
    };
    auto start = [&](const char* name) { ok = ok && xmlTextWriterStartElement(w, X(name)) >= 0; };
    auto attribute = [&](const char* name, const std::string& value) {
        ok = ok && xmlTextWriterWriteAttribute(w, X(name), X(value.c_str())) >= 0;
    };
    auto end = [&] { ok = ok && xmlTextWriterEndElement(w) >= 0; };

    start("kvtml");
    attribute("version", "2.0");
    start("information");
    element("generator", "torvi");
    element("title", XmlCanCarry(title) && IsValidUtf8(title) ? title : std::string("Quiz"));
    end();
    start("identifiers");
    for (int i = 0; i < 2; ++i) {
        start("identifier");
        attribute("id", std::to_string(i));
        element("name", i == 0 ? "Question" : "Answer");
        end();
    }
    end();
    start("entries");
    int32_t entry = 0;
    for (const CQuizRecord& r : RecordsOf(set)) {
        if (!XmlCanCarry(r.question) || !XmlCanCarry(r.comment) ||
            !std::all_of(r.answers.begin(), r.answers.end(),
                         [](const std::string& a) { return XmlCanCarry(a); })) {
            report.Skip(r.where, "it holds a control character that XML cannot carry");
            continue;
        }
        if (r.answers.size() > 1)
            report.notes.push_back(r.where + ": only the first of " +
                                   std::to_string(r.answers.size()) + " answers is kept");
        else if (r.answers.empty())
            report.notes.push_back(r.where + ": it has no answer; its entry has none either");
        if (!r.explanation.empty())
            report.notes.push_back(r.where + ": its explanation is not kept");
        start("entry");
        attribute("id", std::to_string(entry++));
        start("translation");
        attribute("id", "0");
        element("text", r.question);
        if (!r.comment.empty())
            element("comment", r.comment);
        end();
        start("translation");
        attribute("id", "1");
        element("text", r.answers.empty() ? std::string() : r.answers.front());
        end();
        end();
        ++report.converted;
    }
    end();
    end();
    ok = ok && xmlTextWriterEndDocument(w) >= 0;
    writer.reset(); // flushes into the buffer
    if (!ok) {
        report.error = "the vocabulary file could not be written";
        return {};
    }
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}

namespace {
// A cell that could be taken for a formula is quoted with its apostrophe
// inside, as a spreadsheet shows a text cell: "'=1+1".
void AppendCell(std::string& out, std::string_view text, char separator) {
    const bool guard = NeedsFormulaGuard(text);
    const bool quote =
        guard || text.find_first_of(std::string("\"\r\n") + separator) != std::string_view::npos ||
        (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' ||
                           text.back() == '\t'));
    if (!quote) {
        out += text;
        return;
    }
    out += '"';
    if (guard)
        out += '\'';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}
} // namespace

std::string WriteDelimited(const CQuestionSet& set, char separator, CConvertReport& report) {
    const std::vector<CQuizRecord> records = RecordsOf(set);
    size_t columns = 1;
    for (const CQuizRecord& r : records)
        columns = std::max(columns, r.answers.size());
    std::string out = "Question";
    for (size_t i = 0; i < columns; ++i)
        out.append(1, separator).append("Answer");
    out.append(1, separator).append("Ordered");
    out.append(1, separator).append("Comment");
    out.append(1, separator).append("Explanation");
    out += "\r\n";
    for (const CQuizRecord& r : records) {
        // A spreadsheet has no empty answer cell to keep: an empty cell is no answer.
        if (std::find(r.answers.begin(), r.answers.end(), std::string()) != r.answers.end()) {
            report.Skip(r.where, "an answer is empty, which a row cannot hold");
            continue;
        }
        AppendCell(out, r.question, separator);
        for (size_t i = 0; i < columns; ++i) {
            out += separator;
            if (i < r.answers.size())
                AppendCell(out, r.answers[i], separator);
        }
        out.append(1, separator).append(r.ordered ? "yes" : "");
        out += separator;
        AppendCell(out, r.comment, separator);
        out += separator;
        AppendCell(out, r.explanation, separator);
        out += "\r\n";
        ++report.converted;
    }
    return out;
}
