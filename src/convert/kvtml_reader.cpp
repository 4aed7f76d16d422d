#include "convert/kvtml_reader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "convert/text_decoding.h"
#include "text/ascii.h"
#include "text/encoding.h"

namespace {
struct CDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct CContextFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
using CDoc = std::unique_ptr<xmlDoc, CDocFree>;

bool IsElement(const xmlNode* node, const char* name) {
    return node && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* Child(const xmlNode* parent, const char* name) {
    for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
        if (IsElement(n, name))
            return n;
    return nullptr;
}

std::string Attribute(const xmlNode* node, const char* name) {
    for (const xmlAttr* a = node->properties; a; a = a->next) {
        if (std::strcmp(reinterpret_cast<const char*>(a->name), name) != 0)
            continue;
        std::string value;
        for (const xmlNode* n = a->children; n; n = n->next)
            if (n->type == XML_TEXT_NODE && n->content)
                value += reinterpret_cast<const char*>(n->content);
        return value;
    }
    return {};
}

// The element's text, every text and CDATA piece inside it in order. An entity
// reference is never followed: it makes the whole file fail (entity is set).
void CollectText(const xmlNode* node, std::string& out, std::string& entity) {
    for (const xmlNode* n = node->children; n; n = n->next) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (n->content)
                out += reinterpret_cast<const char*>(n->content);
        } else if (n->type == XML_ENTITY_REF_NODE) {
            if (entity.empty())
                entity = reinterpret_cast<const char*>(n->name);
        } else if (n->type == XML_ELEMENT_NODE) {
            CollectText(n, out, entity);
        }
    }
}

class CKvtmlReader {
public:
    CKvtmlReader(const CConvertOptions& options, std::vector<CQuizRecord>& records,
                 CConvertReport& report)
        : m_options(options), m_records(records), m_report(report) {}

    bool Read(const xmlNode* root) {
        const std::string version = Attribute(root, "version");
        if (version.starts_with("2"))
            ReadVersion2(root);
        else
            ReadVersion1(root);
        if (!m_entity.empty())
            return Fail("the file uses the entity '&" + m_entity + ";', which is not read");
        return !m_report.Failed();
    }

private:
    bool Fail(std::string why) {
        m_report.error = std::move(why);
        m_records.clear();
        return false;
    }

    std::string Text(const xmlNode* node) {
        if (!node)
            return {};
        std::string raw;
        CollectText(node, raw, m_entity);
        return NormalizeText(raw);
    }

    struct CLanguage {
        std::string id;
        std::string name;
        std::string locale;
    };

    // The language a person named, by number, name or locale; -1 when none is.
    static int FindLanguage(const std::vector<CLanguage>& languages, const std::string& wanted) {
        for (size_t i = 0; i < languages.size(); ++i)
            if (languages[i].id == wanted || std::to_string(i) == wanted)
                return static_cast<int>(i);
        for (size_t i = 0; i < languages.size(); ++i)
            if (EqualNoCase(languages[i].name, wanted) || EqualNoCase(languages[i].locale, wanted))
                return static_cast<int>(i);
        return -1;
    }

    // The entries of the lesson and of every lesson inside it.
    static void CollectLesson(const xmlNode* container, std::map<std::string, bool>& ids) {
        for (const xmlNode* n = container->children; n; n = n->next) {
            if (IsElement(n, "entry"))
                ids[Attribute(n, "id")] = true;
            else if (IsElement(n, "container"))
                CollectLesson(n, ids);
        }
    }

    const xmlNode* FindLesson(const xmlNode* parent, std::vector<std::string>& names) {
        for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next) {
            if (!IsElement(n, "container"))
                continue;
            const std::string name = Text(Child(n, "name"));
            if (name == m_options.lesson)
                return n;
            // Listed in a one-line message.
            std::string shown = name;
            std::replace(shown.begin(), shown.end(), '\n', ' ');
            names.push_back(std::move(shown));
            if (const xmlNode* inner = FindLesson(n, names))
                return inner;
        }
        return nullptr;
    }

    void ReadVersion2(const xmlNode* root) {
        std::vector<CLanguage> languages;
        for (const xmlNode* n = Child(Child(root, "identifiers"), "identifier"); n; n = n->next)
            if (IsElement(n, "identifier")) {
                // An identifier without a number is known by its place.
                std::string id = Attribute(n, "id");
                if (id.empty())
                    id = std::to_string(languages.size());
                languages.push_back({id, Text(Child(n, "name")), Text(Child(n, "locale"))});
            }
        if (languages.empty()) {
            Fail("the file names no language (it has no <identifier>)");
            return;
        }

        int ask = 0;
        int answer = languages.size() > 1 ? 1 : 0;
        if (!m_options.askLanguage.empty() &&
            (ask = FindLanguage(languages, m_options.askLanguage)) < 0) {
            Fail("the file has no language '" + m_options.askLanguage + "'");
            return;
        }
        if (!m_options.answerLanguage.empty() &&
            (answer = FindLanguage(languages, m_options.answerLanguage)) < 0) {
            Fail("the file has no language '" + m_options.answerLanguage + "'");
            return;
        }
        if (m_options.reverse)
            std::swap(ask, answer);
        // One language (a word list with hints) asks the hint and expects the word.
        const bool hints = ask == answer;

        std::map<std::string, bool> lesson;
        if (!m_options.lesson.empty()) {
            std::vector<std::string> names;
            const xmlNode* container = FindLesson(Child(root, "lessons"), names);
            if (!container) {
                std::string known;
                for (const std::string& name : names)
                    known += (known.empty() ? "" : ", ") + name;
                Fail("the file has no lesson '" + m_options.lesson + "'" +
                     (known.empty() ? std::string(" (it has none)")
                                    : " (its lessons: " + known + ")"));
                return;
            }
            CollectLesson(container, lesson);
        }

        int32_t position = 0;
        int32_t outside = 0;
        for (const xmlNode* entry = Child(Child(root, "entries"), "entry"); entry;
             entry = entry->next) {
            if (!IsElement(entry, "entry"))
                continue;
            ++position;
            const std::string id = Attribute(entry, "id");
            if (!m_options.lesson.empty() && !lesson.contains(id)) {
                ++outside;
                continue;
            }
            const xmlNode* asking = nullptr;
            const xmlNode* answering = nullptr;
            for (const xmlNode* t = entry->children; t; t = t->next) {
                if (!IsElement(t, "translation"))
                    continue;
                const std::string tid = Attribute(t, "id");
                if (tid == languages[ask].id && !asking)
                    asking = t;
                if (tid == languages[answer].id && !answering)
                    answering = t;
            }
            CQuizRecord record;
            record.where = "entry " + (id.empty() ? std::to_string(position) : id);
            record.sequence = position;
            if (hints) {
                record.question = Text(Child(asking, "comment"));
                if (std::string word = Text(Child(asking, "text")); !word.empty())
                    record.answers.push_back(std::move(word));
            } else {
                record.question = Text(Child(asking, "text"));
                if (std::string word = Text(Child(answering, "text")); !word.empty())
                    record.answers.push_back(std::move(word));
                const std::string first = Text(Child(asking, "comment"));
                const std::string second = Text(Child(answering, "comment"));
                record.comment =
                    first.empty() || second.empty() ? first + second : first + "\n" + second;
            }
            Take(std::move(record), hints);
        }
        if (outside > 0)
            m_report.notes.push_back(std::to_string(outside) +
                                     (outside == 1 ? " entry is" : " entries are") +
                                     " not in the lesson '" + m_options.lesson + "'");
    }

    void ReadVersion1(const xmlNode* root) {
        // A lesson is a number on each entry (m="2"), named in <lesson><desc no="2">.
        std::string lessonNumber;
        if (!m_options.lesson.empty()) {
            for (const xmlNode* d = Child(Child(root, "lesson"), "desc"); d; d = d->next)
                if (IsElement(d, "desc") && Text(d) == m_options.lesson)
                    lessonNumber = Attribute(d, "no");
            if (lessonNumber.empty()) {
                Fail("the file has no lesson '" + m_options.lesson + "'");
                return;
            }
        }
        int32_t position = 0;
        int32_t outside = 0;
        for (const xmlNode* e = root->children; e; e = e->next) {
            if (!IsElement(e, "e"))
                continue;
            ++position;
            if (!lessonNumber.empty() && Attribute(e, "m") != lessonNumber) {
                ++outside;
                continue;
            }
            std::string word = Text(Child(e, "o"));
            std::string translation = Text(Child(e, "t"));
            if (m_options.reverse)
                std::swap(word, translation);
            CQuizRecord record;
            record.where = "entry " + std::to_string(position);
            record.sequence = position;
            record.question = std::move(word);
            if (!translation.empty())
                record.answers.push_back(std::move(translation));
            Take(std::move(record), false);
        }
        if (outside > 0)
            m_report.notes.push_back(std::to_string(outside) +
                                     (outside == 1 ? " entry is" : " entries are") +
                                     " not in the lesson '" + m_options.lesson + "'");
    }

    void Take(CQuizRecord record, bool hints) {
        if (record.question.empty())
            m_report.Skip(record.where, hints ? "nothing to ask (no hint)" : "nothing to ask",
                          record.sequence);
        else if (record.answers.empty())
            m_report.Skip(record.where, "nothing to answer", record.sequence);
        else
            m_records.push_back(std::move(record));
    }

    const CConvertOptions& m_options;
    std::vector<CQuizRecord>& m_records;
    CConvertReport& m_report;
    std::string m_entity;
};

// The encoding the XML declaration names, or "" when it names none.
std::string DeclaredEncoding(std::string_view bytes) {
    if (!bytes.starts_with("<?xml"))
        return {};
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    const size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos)
        return {};
    const size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(declaration.substr(open + 1, close - open - 1));
}

std::string_view SkipSpaceAndMark(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() &&
           (bytes[0] == ' ' || bytes[0] == '\t' || bytes[0] == '\r' || bytes[0] == '\n'))
        bytes.remove_prefix(1);
    return bytes;
}
} // namespace

bool LooksLikeKvtml(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        // An XML file in UTF-16: look at its first characters as UTF-8.
        const std::string start = DecodeToUtf8(bytes.substr(0, 512));
        return LooksLikeKvtml(start);
    }
    bytes = SkipSpaceAndMark(bytes);
    return bytes.starts_with("<?xml") || bytes.starts_with("<kvtml") ||
           bytes.starts_with("<!DOCTYPE kvtml");
}

bool ReadKvtml(std::string_view bytes, const CConvertOptions& options,
               std::vector<CQuizRecord>& records, CConvertReport& report) {
    // Entities a file declares for itself are the way to a file on the disk, to
    // the network, or to an expansion without end; no vocabulary file needs one.
    // In UTF-16 the declaration's bytes stand apart, so such a file is looked
    // at as characters.
    const bool wide = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    const std::string characters = wide ? DecodeToUtf8(bytes) : std::string();
    // XML holds no NUL character in any encoding; such a file is refused as
    // every reader refuses it, not with libxml2's view of its first bytes.
    if (IsBinaryText(wide ? std::string_view(characters) : bytes)) {
        report.error = kNotTextError;
        return false;
    }
    if ((wide ? std::string_view(characters) : bytes).find("<!ENTITY") != std::string_view::npos) {
        report.error = "the file declares XML entities, which are not read";
        return false;
    }
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        report.error = "the file is too large";
        return false;
    }

    // A file that says it is UTF-8 (or says nothing) but is not has its bytes
    // read as the quiz loader reads them: as Windows-1252.
    std::string transcoded;
    const char* encoding = nullptr;
    const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    if (!utf16 && !IsValidUtf8(bytes)) {
        const std::string declared = DeclaredEncoding(SkipSpaceAndMark(bytes));
        if (declared.empty() || EqualNoCase(declared, "UTF-8") || EqualNoCase(declared, "UTF8")) {
            transcoded = Cp1252ToUtf8(bytes);
            bytes = transcoded;
            encoding = "UTF-8";
            report.notes.push_back("the file is not the UTF-8 it says it is; its bytes were "
                                   "read as Windows-1252");
        }
    }

    std::unique_ptr<xmlParserCtxt, CContextFree> context(xmlNewParserCtxt());
    if (!context) {
        report.error = "out of memory";
        return false;
    }
    // No network, no DTD, no entity substitution; libxml2's own limits on the
    // size of one text and the depth of the tree stay on (no XML_PARSE_HUGE).
    const int parseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    CDoc doc(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               encoding, parseOptions));
    if (!doc || !context->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        // libxml2's message may run over several lines; the report gives one.
        std::string why;
        for (const char* c = error && error->message ? error->message : "not well-formed"; *c;
             ++c) {
            const bool blank = *c == '\n' || *c == '\r' || *c == '\t' || *c == ' ';
            if (!blank)
                why += *c;
            else if (!why.empty() && why.back() != ' ')
                why += ' ';
        }
        while (!why.empty() && why.back() == ' ')
            why.pop_back();
        report.error = "the file is not well-formed XML";
        if (error && error->line > 0)
            report.error += " (line " + std::to_string(error->line) + ": " + why + ")";
        else
            report.error += " (" + why + ")";
        return false;
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!IsElement(root, "kvtml")) {
        report.error = "the file is XML but not a vocabulary file (its root is not <kvtml>)";
        return false;
    }
    return CKvtmlReader(options, records, report).Read(root);
}
