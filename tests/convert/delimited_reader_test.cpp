// Spreadsheet rows and flashcard exports read into records: RFC 4180 quoting,
// separators and headers told from the file, chosen columns, encodings, HTML.
#include <random>

#include <gtest/gtest.h>

#include "convert/delimited_reader.h"
#include "convert/html_text.h"
#include "convert/text_decoding.h"
#include "convert_test_support.h"

using namespace convert_test;

namespace {
struct CRead {
    bool ok = false;
    std::vector<CQuizRecord> records;
    CConvertReport report;
};

CRead Read(std::string_view bytes, const CConvertOptions& options = {},
           EDelimitedKind kind = EDelimitedKind::Spreadsheet, char fallback = ',') {
    CRead r;
    r.ok = ReadDelimited(bytes, kind, fallback, options, r.records, r.report);
    return r;
}

std::vector<std::string> Texts(const CDelimitedRow& row) {
    std::vector<std::string> texts;
    for (const CDelimitedField& f : row.fields)
        texts.push_back(f.text);
    return texts;
}
} // namespace

TEST(DelimitedReaderTest, QuotedFieldsKeepSeparatorsDoubledQuotesAndLineBreaks) {
    const std::string text = "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
                             "\"two\r\nlines\",\"\",x\n"
                             "\n"
                             "last,\"lone\rCR\"\r"
                             "end";
    const std::vector<CDelimitedRow> rows = SplitRows(text, 0, 1, ',');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(Texts(rows[0]), (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(Texts(rows[1]), (std::vector<std::string>{"two\nlines", "", "x"}));
    EXPECT_TRUE(rows[1].fields[1].quoted);
    EXPECT_EQ(Texts(rows[2]), (std::vector<std::string>{"last", "lone\nCR"}));
    EXPECT_EQ(Texts(rows[3]), (std::vector<std::string>{"end"}));
    // Each row is found by the line it starts on, line breaks in quotes counted.
    EXPECT_EQ(rows[0].line, 1);
    EXPECT_EQ(rows[1].line, 2);
    EXPECT_EQ(rows[2].line, 5);
    EXPECT_EQ(rows[3].line, 7);

    const std::vector<CDelimitedRow> open = SplitRows("a,\"never\nclosed", 0, 1, ',');
    ASSERT_EQ(open.size(), 1u);
    EXPECT_TRUE(open[0].unclosed);
}

TEST(DelimitedReaderTest, SeparatorIsToldFromTheFirstLineOutsideQuotes) {
    EXPECT_EQ(DetectSeparator("a\tb,c,d\n", 0, ','), '\t');
    EXPECT_EQ(DetectSeparator("Frage;Antwort;\"1,5\"\n", 0, ','), ';');
    EXPECT_EQ(DetectSeparator("\"x;y;z\",b\n", 0, ';'), ',');
    EXPECT_EQ(DetectSeparator("one\ntwo,three", 0, '\t'), '\t');

    const CRead european = Read("Frage;Antwort\nHauptstadt von Frankreich?;\"Paris; Stadt\"\n");
    ASSERT_EQ(european.records.size(), 2u); // no header: "Frage" is a question like any
    EXPECT_EQ(european.records[1].answers, std::vector<std::string>{"Paris; Stadt"});
}

TEST(DelimitedReaderTest, HeaderNamesItsColumnsInAnyCaseWithSeveralAnswers) {
    const CRead r = Read("comment,ANSWER,Question,answer,Explanation,Answer\n"
                         "a note,red,Colours?,green,,\n"
                         ",,Nothing to answer?,,,\n"
                         "x,y,,z,,\n"
                         "  ,  blue ,\"  Sky?\",,\"Look up.\",\n");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].question, "Colours?");
    EXPECT_EQ(r.records[0].answers, (std::vector<std::string>{"red", "green"}));
    EXPECT_EQ(r.records[0].comment, "a note");
    EXPECT_EQ(r.records[0].where, "line 2");
    // Blanks outside quotes go; inside quotes they are the author's.
    EXPECT_EQ(r.records[1].question, "  Sky?");
    EXPECT_EQ(r.records[1].answers, std::vector<std::string>{"blue"});
    EXPECT_EQ(r.records[1].explanation, "Look up.");
    ASSERT_EQ(r.report.skipped.size(), 2u);
    EXPECT_EQ(r.report.skipped[0].where, "line 3");
    EXPECT_EQ(r.report.skipped[0].why, "nothing to answer");
    EXPECT_EQ(r.report.skipped[1].where, "line 4");
    EXPECT_EQ(r.report.skipped[1].why, "nothing to ask");
}

TEST(DelimitedReaderTest, ColumnsAreChosenByNumberOrHeaderName) {
    const std::string file = "Word,Meaning,Example,Other\nhund,dog,Der Hund bellt.,hound\n";
    CConvertOptions options;
    options.header = 1;
    options.questionColumn = "meaning";
    options.answerColumns = {"1", "Other"};
    options.commentColumn = "3";
    CRead r = Read(file, options);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "dog");
    EXPECT_EQ(r.records[0].answers, (std::vector<std::string>{"hund", "hound"}));
    EXPECT_EQ(r.records[0].comment, "Der Hund bellt.");

    // Without a header the first column asks and the second answers.
    r = Read(file);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].question, "Word");
    EXPECT_EQ(r.records[1].answers, std::vector<std::string>{"dog"});

    options.answerColumns = {"Translation"};
    r = Read(file, options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.report.error, "the file has no column 'Translation'");
}

TEST(DelimitedReaderTest, EncodingsOfSpreadsheetsAllComeOutAsUtf8) {
    const std::string expected = "\xD0\xB4\xD0\xBE\xD0\xBC"; // дом
    CRead r = Read("\xEF\xBB\xBFQuestion,Answer\nhouse,\xD0\xB4\xD0\xBE\xD0\xBC\n");
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{expected});

    // A spreadsheet's "Unicode text": UTF-16 little-endian with a mark, tabs between.
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (const char16_t u : std::u16string(u"house\t\u0434\u043E\u043C\r\n\U0001D11E\tclef\r\n")) {
        utf16le += static_cast<char>(u & 0xFF);
        utf16le += static_cast<char>(u >> 8);
        utf16be += static_cast<char>(u >> 8);
        utf16be += static_cast<char>(u & 0xFF);
    }
    for (const std::string& file : {utf16le, utf16be}) {
        r = Read(file, {}, EDelimitedKind::Spreadsheet, '\t');
        ASSERT_EQ(r.records.size(), 2u);
        EXPECT_EQ(r.records[0].answers, std::vector<std::string>{expected});
        EXPECT_EQ(r.records[1].question, "\xF0\x9D\x84\x9E");
    }

    r = Read("caf\xE9,\x80\n");
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "caf\xC3\xA9");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xE2\x82\xAC"});
    EXPECT_EQ(r.report.notes.size(), 1u);
}

TEST(DelimitedReaderTest, BinaryFilesAreRefusedWholeAfterDecodingNotBefore) {
    std::mt19937 random(1729);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    ASSERT_NE(noise.find('\0'), std::string::npos);
    ASSERT_FALSE(noise.starts_with("\xFF\xFE") || noise.starts_with("\xFE\xFF"));
    // As a spreadsheet of either kind, as a flashcard export after good header
    // lines, and as a good spreadsheet with one NUL far into it.
    const std::string valid = "Question,Answer\nhouse,Haus\n";
    std::string late = valid;
    for (int i = 0; i < 200; ++i)
        late += "q" + std::to_string(i) + ",a\n";
    late += std::string("tail,\0\n", 7);
    const struct {
        std::string bytes;
        EDelimitedKind kind;
        char fallback;
    } files[] = {
        {noise, EDelimitedKind::Spreadsheet, ','},
        {noise, EDelimitedKind::Spreadsheet, '\t'},
        {"#separator:tab\n#html:true\n" + noise, EDelimitedKind::Flashcards, '\t'},
        {late, EDelimitedKind::Spreadsheet, ','},
    };
    for (const auto& file : files) {
        const CRead r = Read(file.bytes, {}, file.kind, file.fallback);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.report.error, kNotTextError);
        EXPECT_TRUE(r.records.empty());
        EXPECT_TRUE(r.report.skipped.empty());
        EXPECT_EQ(r.report.Lines(), std::vector<std::string>{kNotTextError});
    }

    // UTF-16 holds NUL bytes in any text: only a NUL character refuses it.
    auto utf16 = [](std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t u : text) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
        return bytes;
    };
    CRead r = Read(utf16(u"house\tHaus\r\n"), {}, EDelimitedKind::Spreadsheet, '\t');
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"Haus"});
    r = Read(utf16(std::u16string(u"house\tHa\0us\r\n", 13)), {}, EDelimitedKind::Spreadsheet,
             '\t');
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.report.error, kNotTextError);
}

TEST(DelimitedReaderTest, OneApostropheBeforeAFormulaCharacterIsTakenOffASpreadsheetCell) {
    const CRead r = Read("Question,Answer,Comment\n"
                         "'=1+1, '-5 ,\"'@home\"\n"
                         "''=,'+1,'\n"
                         "it's,'quoted',\"'\tx\"\n"
                         "\"'''-\",a'=,'' \n");
    ASSERT_EQ(r.records.size(), 4u);
    EXPECT_EQ(r.records[0].question, "=1+1");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"-5"});
    EXPECT_EQ(r.records[0].comment, "@home");
    EXPECT_EQ(r.records[1].question, "'=");
    EXPECT_EQ(r.records[1].answers, std::vector<std::string>{"+1"});
    EXPECT_EQ(r.records[1].comment, "'");
    EXPECT_EQ(r.records[2].question, "it's");
    EXPECT_EQ(r.records[2].answers, std::vector<std::string>{"'quoted'"});
    EXPECT_EQ(r.records[2].comment, "\tx");
    EXPECT_EQ(r.records[3].question, "''-");
    EXPECT_EQ(r.records[3].answers, std::vector<std::string>{"a'="});
    EXPECT_EQ(r.records[3].comment, "''");

    // A flashcard export is no spreadsheet's file: its apostrophes are the author's.
    const CRead cards = Read("#separator:tab\n'=\t'-1\n", {}, EDelimitedKind::Flashcards, '\t');
    ASSERT_EQ(cards.records.size(), 1u);
    EXPECT_EQ(cards.records[0].question, "'=");
    EXPECT_EQ(cards.records[0].answers, std::vector<std::string>{"'-1"});
}

TEST(DelimitedReaderTest, FlashcardExportTakesItsHeaderLinesAndMakesItsHtmlPlain) {
    const std::string file = "#separator:tab\n"
                             "#html:true\n"
                             "#guid column:1\n"
                             "#columns:Guid\tFront\tBack\tTags\n"
                             "g1\t<b>Haus</b>\thouse&nbsp;&amp; home<br>flat\tnouns\n"
                             "g2\tsummer &amp; sun\t&lt;b&gt; &#x3A9;&#937;&Omega;\n"
                             "g3\t\t<div></div>\n";
    CRead r = Read(file, {}, EDelimitedKind::Flashcards, '\t');
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].question, "<html><body><b>Haus</b></body></html>");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"house\xC2\xA0& home flat"});
    EXPECT_EQ(r.records[0].where, "line 5");
    // A question without markup stays plain text, its references decoded; an
    // escaped tag in an answer stays text.
    EXPECT_EQ(r.records[1].question, "summer & sun");
    EXPECT_EQ(r.records[1].answers, std::vector<std::string>{"<b> \xCE\xA9\xCE\xA9\xCE\xA9"});
    ASSERT_EQ(r.report.skipped.size(), 1u);
    EXPECT_EQ(r.report.skipped[0].where, "line 7");

    // Without "#html:true" the fields are plain text as they stand.
    r = Read("#separator:Comma\nx &amp; y,<i>z</i>\n", {}, EDelimitedKind::Flashcards, '\t');
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "x &amp; y");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"<i>z</i>"});
}

TEST(DelimitedReaderTest, HtmlBecomesPlainTextWithEveryReferenceDecoded) {
    EXPECT_EQ(HtmlToPlainText("a<br>b<br/>c<p>d</p>e"), "a b c d e");
    EXPECT_EQ(HtmlToPlainText("<span style=\"x\">caf&eacute;</span> &#8364;&#x20AC;"),
              "caf\xC3\xA9 \xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(HtmlToPlainText("<script>alert(1)</script>ok"), "ok");
    EXPECT_EQ(HtmlToPlainText("&unknownname; &#0; &#xD800; & alone"),
              "&unknownname; \xEF\xBF\xBD \xEF\xBF\xBD & alone");
    EXPECT_EQ(HtmlToPlainText("1 < 2 and 3 > 2"), "1 < 2 and 3 > 2");
    // Names newer than libxml2's table, a name for two characters, and the
    // numbers a browser reads as Windows-1252, in markup and outside it.
    EXPECT_EQ(HtmlToPlainText("<b>&check;</b> &NotEqualTilde; &#150;&#x80;"),
              "\xE2\x9C\x93 \xE2\x89\x82\xCC\xB8 \xE2\x80\x93\xE2\x82\xAC");
    EXPECT_EQ(HtmlToPlainText("&check; &#150; &lt;b&gt;"), "\xE2\x9C\x93 \xE2\x80\x93 <b>");
    EXPECT_EQ(HtmlToPlainText("<i>&lt;b&gt;x&lt;/b&gt;</i>"), "<b>x</b>");
    EXPECT_TRUE(HasMarkup("a <b>bold</b>"));
    EXPECT_FALSE(HasMarkup("1 < 2"));
}
