// KDE vocabulary files read into records: languages, lessons, hints, the older
// format, every script, and hostile XML that must read nothing and fetch nothing.
#include <gtest/gtest.h>

#include <fstream>

#include "convert/kvtml_reader.h"
#include "convert_test_support.h"
#include "support/temp_dir.h"
#include "text/encoding.h"

using namespace convert_test;

namespace {
std::string Entry(int id, const std::string& first, const std::string& second,
                  const std::string& extra = "") {
    return "<entry id=\"" + std::to_string(id) + "\">" + extra + "<translation id=\"0\">" + first +
           "</translation><translation id=\"1\">" + second + "</translation></entry>";
}

const std::string kTwoLanguages =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kvtml version=\"2.0\"><identifiers>"
    "<identifier id=\"0\"><name>English</name><locale>en</locale></identifier>"
    "<identifier id=\"1\"><name>Greek</name><locale>el</locale></identifier>"
    "</identifiers><entries>" +
    Entry(0, "<text>water</text><comment>noun</comment>",
          "<text>\xCE\xBD\xCE\xB5\xCF\x81\xCF\x8C</text><comment>neuter</comment>") +
    Entry(1, "<text>  sun \n</text>", "<text>\xCE\xAE\xCE\xBB\xCE\xB9\xCE\xBF\xCF\x82</text>",
          "<inactive>true</inactive>") +
    Entry(2, "<text>moon</text>", "<text></text>") + Entry(3, "<text></text>", "<text>x</text>") +
    Entry(4, "<text>star</text>", "<text>\xCE\xB1\xCF\x83\xCF\x84\xCE\xAD\xCF\x81\xCE\xB9</text>") +
    "</entries><lessons>"
    "<container><name>Sky</name><entry id=\"1\"/>"
    "<container><name>Night</name><entry id=\"2\"/><entry id=\"4\"/></container>"
    "</container>"
    "<container><name>Other</name><entry id=\"0\"/></container>"
    "</lessons></kvtml>\n";

struct CRead {
    bool ok = false;
    std::vector<CQuizRecord> records;
    CConvertReport report;
};

CRead Read(std::string_view bytes, const CConvertOptions& options = {}) {
    CRead r;
    r.ok = ReadKvtml(bytes, options, r.records, r.report);
    return r;
}
} // namespace

TEST(KvtmlReaderTest, TwoLanguagesAskTheFirstAndExpectTheSecondWithBothComments) {
    const CRead r = Read(kTwoLanguages);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.records[0].question, "water");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xCE\xBD\xCE\xB5\xCF\x81\xCF\x8C"});
    EXPECT_EQ(r.records[0].comment, "noun\nneuter");
    // Blanks around a text are not part of the word; an inactive entry is taken too.
    EXPECT_EQ(r.records[1].question, "sun");
    EXPECT_EQ(r.records[1].where, "entry 1");
    ASSERT_EQ(r.report.skipped.size(), 2u);
    EXPECT_EQ(r.report.skipped[0].where, "entry 2");
    EXPECT_EQ(r.report.skipped[0].why, "nothing to answer");
    EXPECT_EQ(r.report.skipped[1].where, "entry 3");
    EXPECT_EQ(r.report.skipped[1].why, "nothing to ask");
}

TEST(KvtmlReaderTest, LanguagesAreChosenByReversingOrByNumberNameOrLocale) {
    CConvertOptions reverse;
    reverse.reverse = true;
    CRead r = Read(kTwoLanguages, reverse);
    ASSERT_TRUE(r.ok);
    ASSERT_FALSE(r.records.empty());
    EXPECT_EQ(r.records[0].question, "\xCE\xBD\xCE\xB5\xCF\x81\xCF\x8C");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"water"});
    // The asking side's comment comes first.
    EXPECT_EQ(r.records[0].comment, "neuter\nnoun");

    for (const char* name : {"1", "Greek", "EL"}) {
        CConvertOptions options;
        options.askLanguage = name;
        options.answerLanguage = "en";
        r = Read(kTwoLanguages, options);
        ASSERT_TRUE(r.ok) << name;
        EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"water"}) << name;
    }
    // Identifiers without numbers are known by their places.
    std::string unnumbered = kTwoLanguages;
    for (const char* id : {"<identifier id=\"0\">", "<identifier id=\"1\">"})
        unnumbered.replace(unnumbered.find(id), std::string(id).size(), "<identifier>");
    r = Read(unnumbered);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xCE\xBD\xCE\xB5\xCF\x81\xCF\x8C"});

    CConvertOptions missing;
    missing.askLanguage = "de";
    r = Read(kTwoLanguages, missing);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.report.error, "the file has no language 'de'");
}

TEST(KvtmlReaderTest, LessonTakesItsOwnEntriesAndThoseOfTheLessonsInside) {
    CConvertOptions options;
    options.lesson = "Sky";
    CRead r = Read(kTwoLanguages, options);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].question, "sun");
    EXPECT_EQ(r.records[1].question, "star");
    EXPECT_EQ(r.report.skipped.size(), 1u); // entry 2, in Night, has no answer
    ASSERT_EQ(r.report.notes.size(), 1u);
    EXPECT_EQ(r.report.notes[0], "2 entries are not in the lesson 'Sky'");

    options.lesson = "Night";
    r = Read(kTwoLanguages, options);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "star");

    options.lesson = "Day";
    r = Read(kTwoLanguages, options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.report.error, "the file has no lesson 'Day' (its lessons: Sky, Night, Other)");
}

TEST(KvtmlReaderTest, OneLanguageAsksTheHintAndIgnoresAStrayTranslation) {
    const std::string file =
        "<?xml version=\"1.0\"?><kvtml version=\"2.0\"><identifiers><identifier id=\"0\">"
        "<locale>pa</locale></identifier></identifiers><entries>" +
        Entry(0,
              "<text>\xE0\xA8\xAA\xE0\xA8\xBE\xE0\xA8\xA3\xE0\xA9\x80</text>"
              "<comment>you drink it</comment>",
              "<text>stray</text><comment>stray hint</comment>") +
        "<entry id=\"1\"><translation id=\"0\"><text>word</text></translation></entry>"
        "<entry id=\"2\"><translation id=\"0\"><comment>a hint</comment></translation></entry>"
        "</entries></kvtml>";
    const CRead r = Read(file);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "you drink it");
    EXPECT_EQ(r.records[0].answers,
              std::vector<std::string>{"\xE0\xA8\xAA\xE0\xA8\xBE\xE0\xA8\xA3\xE0\xA9\x80"});
    EXPECT_EQ(r.records[0].comment, "");
    ASSERT_EQ(r.report.skipped.size(), 2u);
    EXPECT_EQ(r.report.skipped[0].why, "nothing to ask (no hint)");
    EXPECT_EQ(r.report.skipped[1].why, "nothing to answer");
}

TEST(KvtmlReaderTest, OlderFormatAsksTheWordAndExpectsItsTranslationByLesson) {
    const std::string file =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n"
        "<kvtml encoding=\"UTF-8\"><lesson><desc no=\"1\">Food</desc>"
        "<desc no=\"2\">Home</desc></lesson>"
        "<e m=\"1\"><o>bread</o><t>\xD1\x85\xD0\xBB\xD0\xB5\xD0\xB1</t></e>"
        "<e m=\"2\"><o>door</o><t>\xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C</t></e>"
        "<e><o>leketid</o><t></t></e></kvtml>";
    CRead r = Read(file);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].question, "bread");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xD1\x85\xD0\xBB\xD0\xB5\xD0\xB1"});
    ASSERT_EQ(r.report.skipped.size(), 1u);
    EXPECT_EQ(r.report.skipped[0].where, "entry 3");

    CConvertOptions options;
    options.lesson = "Home";
    options.reverse = true;
    r = Read(file, options);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].question, "\xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C");
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"door"});
}

TEST(KvtmlReaderTest, BytesThatAreNotTheDeclaredUtf8AreReadAsWindows1252) {
    const std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><kvtml version=\"2.0\">"
                             "<identifiers><identifier id=\"0\"/></identifiers><entries>"
                             "<entry id=\"0\"><translation id=\"0\"><text>\xC4pfel</text>"
                             "<comment>Obst \x80</comment></translation></entry></entries></kvtml>";
    const CRead r = Read(file);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xC3\x84pfel"});
    EXPECT_EQ(r.records[0].question, "Obst \xE2\x82\xAC");
    ASSERT_EQ(r.report.notes.size(), 1u);

    // A declared single-byte encoding is libxml2's to decode.
    std::string latin1 = file;
    latin1.replace(latin1.find("UTF-8"), 5, "ISO-8859-1");
    const CRead l = Read(latin1);
    ASSERT_TRUE(l.ok) << l.report.error;
    EXPECT_EQ(l.records[0].answers, std::vector<std::string>{"\xC3\x84pfel"});
    EXPECT_TRUE(l.report.notes.empty());
}

TEST(KvtmlReaderTest, Utf16FileWithAByteOrderMarkIsRead) {
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><kvtml version=\"2.0\">"
                             "<identifiers><identifier id=\"0\"/></identifiers><entries>"
                             "<entry id=\"0\"><translation id=\"0\"><text>\xD0\x94</text>"
                             "<comment>hint</comment></translation></entry></entries></kvtml>";
    std::string utf16 = "\xFF\xFE";
    for (const char32_t cp : DecodeUtf8(utf8)) {
        utf16 += static_cast<char>(cp & 0xFF);
        utf16 += static_cast<char>(cp >> 8);
    }
    EXPECT_TRUE(LooksLikeKvtml(utf16));
    const CRead r = Read(utf16);
    ASSERT_TRUE(r.ok) << r.report.error;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].answers, std::vector<std::string>{"\xD0\x94"});
}

// Nothing outside the file is read, however the file asks: a file it names as
// an entity, a DTD on the disk or the network, an entity that would grow without end.
TEST(KvtmlReaderTest, HostileXmlReadsNothingAndFailsWithOneReason) {
    const CTempDir dir;
    const std::string secret = dir.Write("secret.txt", "SECRET-WORD");
    const std::string dtd =
        dir.Write("evil.dtd", "<!ENTITY leak SYSTEM \"file://" + secret + "\">");
    const std::string body = "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"/>"
                             "</identifiers><entries><entry id=\"0\"><translation id=\"0\">"
                             "<text>&leak;</text><comment>hint</comment></translation></entry>"
                             "</entries></kvtml>";
    const std::string cases[] = {
        "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY leak SYSTEM \"file://" + secret +
            "\">]>" + body,
        "<?xml version=\"1.0\"?><!DOCTYPE kvtml SYSTEM \"file://" + dtd + "\">" + body,
        "<?xml version=\"1.0\"?><!DOCTYPE kvtml SYSTEM \"http://127.0.0.1:9/kvtml2.dtd\">" + body,
        "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY leak \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
            body,
    };
    for (const std::string& file : cases) {
        const CRead r = Read(file);
        EXPECT_FALSE(r.ok) << file;
        EXPECT_TRUE(r.records.empty());
        EXPECT_NE(r.report.error.find("entit"), std::string::npos) << r.report.error;
        EXPECT_EQ(r.report.error.find("SECRET"), std::string::npos);
    }
}

// A UTF-16 file declares its entities in characters whose bytes stand apart;
// it is refused all the same, also when its only use of one is in an attribute.
TEST(KvtmlReaderTest, EntitiesOfAUtf16FileAreRefusedToo) {
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE kvtml [<!ENTITY z \"0\">]>"
        "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"/></identifiers><entries>"
        "<entry id=\"0\"><translation id=\"&z;\"><text>word</text><comment>hint</comment>"
        "</translation></entry></entries></kvtml>";
    std::string utf16 = "\xFF\xFE";
    for (const char32_t cp : DecodeUtf8(utf8)) {
        utf16 += static_cast<char>(cp & 0xFF);
        utf16 += static_cast<char>(cp >> 8);
    }
    const CRead r = Read(utf16);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.records.empty());
    EXPECT_NE(r.report.error.find("declares XML entities"), std::string::npos) << r.report.error;
}

TEST(KvtmlReaderTest, MalformedTruncatedBinaryAndForeignXmlEachFailWithOneLine) {
    const std::string truncated = kTwoLanguages.substr(0, kTwoLanguages.size() / 2);
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 7919) % 251);
    const std::pair<std::string, std::string> cases[] = {
        {truncated, "not well-formed XML"},
        {binary, "the file is not text (it holds NUL characters)"},
        {"<?xml version=\"1.0\"?>" + std::string(1, '\0') + "<kvtml/>", "not text"},
        {"<?xml version=\"1.0\"?><kvtml version=\"2.0\"><entries></kvtml>", "not well-formed"},
        {"<?xml version=\"1.0\"?><html><body/></html>", "not a vocabulary file"},
        {"<?xml version=\"1.0\"?><kvtml version=\"2.0\"></kvtml>", "no language"},
        {std::string(300, '<'), "not well-formed"},
    };
    for (const auto& [file, reason] : cases) {
        const CRead r = Read(file);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.report.error.find(reason), std::string::npos) << r.report.error;
        EXPECT_EQ(r.report.error.find('\n'), std::string::npos) << r.report.error;
    }
}

TEST(KvtmlReaderTest, DeeplyNestedLessonsDoNotOverflowTheStack) {
    std::string file = "<?xml version=\"1.0\"?><kvtml version=\"2.0\"><identifiers>"
                       "<identifier id=\"0\"/><identifier id=\"1\"/></identifiers><entries>" +
                       Entry(0, "<text>a</text>", "<text>b</text>") + "</entries><lessons>";
    for (int i = 0; i < 100000; ++i)
        file += "<container>";
    CConvertOptions options;
    options.lesson = "deep";
    const CRead r = Read(file, options);
    // libxml2 refuses a tree deeper than its limit before the reader walks it.
    EXPECT_FALSE(r.ok);
}
