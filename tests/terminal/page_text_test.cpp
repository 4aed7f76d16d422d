// Pages turned into terminal text.
#include <gtest/gtest.h>

#include <string>

#include "terminal/page_text.h"
#include "terminal/terminal_style.h"
#include "ui/page_composer.h"

namespace {

std::string Page(const char* text, bool utf8 = true) {
    const CTextBuffer page = ComposePage(text, 474, utf8);
    return std::string(page.GetText(), static_cast<size_t>(page.GetLength()));
}

TEST(PageFileToText, TemplatePageGivesThePlainQuestionAsWritten) {
    EXPECT_EQ(PageFileToText(Page("What is the capital of France?"), true),
              "What is the capital of France?");
    EXPECT_EQ(PageFileToText(Page("Name the colours,\nin  any order."), true),
              "Name the colours,\nin  any order.");
}

TEST(PageFileToText, TemplatePageOfEmptyTextIsEmpty) {
    EXPECT_EQ(PageFileToText(Page(""), true), "");
}

TEST(PageFileToText, PlainQuestionKeepsLoneMarkupCharacters) {
    // "<", ">" and "&" that start no tag or reference show as they are.
    EXPECT_EQ(PageFileToText(Page("Is 3 < 5 & 2 > 1?"), true), "Is 3 < 5 & 2 > 1?");
}

TEST(PageFileToText, PlainQuestionShowsItsMarkupAsABrowserWould) {
    EXPECT_EQ(PageFileToText(Page("Translate <i>el perro</i> &amp; <b>el gato</b>"), true),
              "Translate el perro & el gato");
    EXPECT_EQ(PageFileToText(Page("one<br>two\nthree"), true), "one\ntwo\nthree");
}

TEST(PageFileToText, Windows1252PageIsReadByteByByte) {
    // "¿Qué?" in Windows-1252, and "\xC3\xA9" that would pass for UTF-8 "é" but
    // is two Windows-1252 letters.
    EXPECT_EQ(PageFileToText(Page("\xBFQu\xE9? \xC3\xA9 \x80", false), false),
              "\xC2\xBFQu\xC3\xA9? \xC3\x83\xC2\xA9 \xE2\x82\xAC");
}

TEST(PageFileToText, HtmlPageIsConvertedWhole) {
    const std::string page = "<html><head><title>Hidden</title></head><body><p>Which "
                             "river?</p><ul><li>Seine</li><li>Loire</li></ul></body></html>";
    EXPECT_EQ(PageFileToText(Page(page.c_str()), true), "Which river?\n\n- Seine\n- Loire");
}

TEST(PageFileToText, AlteredTemplateIsReadAsHtml) {
    std::string page = Page("a  b");
    page.replace(page.find("height:235px"), 12, "height:236px");
    EXPECT_EQ(PageFileToText(page, true), "a b");
}

TEST(HtmlToText, DropsTagsHeadScriptStyleAndComments) {
    EXPECT_EQ(HtmlToText("<html><head><title>T</title><style>p{color:red}</style></head>"
                         "<body><!-- note --><script>var a = '<b>';</script><span "
                         "class=\"x > y\">shown</span></body></html>"),
              "shown");
}

TEST(HtmlToText, CollapsesBlanksAndLineEnds) {
    EXPECT_EQ(HtmlToText("  one\n\n  two\t three  "), "one two three");
}

TEST(HtmlToText, LineBreaksForBlockElements) {
    EXPECT_EQ(HtmlToText("a<br>b<br/>c<div>d</div>e"), "a\nb\nc\nd\ne");
    EXPECT_EQ(HtmlToText("<p>one</p><p>two</p>"), "one\n\ntwo");
    EXPECT_EQ(HtmlToText("<h1>Title</h1>text"), "Title\n\ntext");
    EXPECT_EQ(HtmlToText("a<br><br><br><br>b"), "a\n\nb");
}

TEST(HtmlToText, TableRowsAreLinesAndCellsStandApart) {
    EXPECT_EQ(HtmlToText("<table><tr><td>Length</td><td>777 km</td></tr><tr><th>Basin</th>"
                         "<td>big</td></tr></table>"),
              "Length  777 km\nBasin  big");
}

TEST(HtmlToText, PreKeepsItsBlanks) {
    EXPECT_EQ(HtmlToText("<pre>a  b\n  c</pre>d  e"), "a  b\n  c\nd e");
}

TEST(HtmlToText, ImagesShowTheirAlternativeText) {
    EXPECT_EQ(HtmlToText("Which flag? <img src=\"f.png\" alt=\"red &amp; white\">"),
              "Which flag? [image: red & white]");
    EXPECT_EQ(HtmlToText("<img src=f.png>"), "[image]");
}

TEST(HtmlToText, DecodesNamedEntities) {
    EXPECT_EQ(HtmlToText("&amp; &lt; &gt; &quot; &apos;"), "& < > \" '");
    EXPECT_EQ(HtmlToText("&eacute;&aacute;&ntilde;&Uuml;&szlig;&yuml;&nbsp;x"),
              "\xC3\xA9\xC3\xA1\xC3\xB1\xC3\x9C\xC3\x9F\xC3\xBF x");
    EXPECT_EQ(HtmlToText("&euro;&ndash;&hellip;"), "\xE2\x82\xAC\xE2\x80\x93\xE2\x80\xA6");
}

TEST(HtmlToText, NonBreakingSpacesDoNotCollapse) {
    EXPECT_EQ(HtmlToText("a&nbsp;&nbsp;&nbsp;b"), "a   b");
}

TEST(HtmlToText, DecodesNumericEntities) {
    EXPECT_EQ(HtmlToText("&#39;&#233;&#xE9;&#X263a;&#65"), "'\xC3\xA9\xC3\xA9\xE2\x98\xBA"
                                                           "A");
    // 128 to 159 are read as Windows-1252, as browsers do.
    EXPECT_EQ(HtmlToText("&#150;&#128;"), "\xE2\x80\x93\xE2\x82\xAC");
    EXPECT_EQ(HtmlToText("&#0;&#xD800;&#99999999;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(HtmlToText, LeavesUnknownOrUnfinishedReferences) {
    EXPECT_EQ(HtmlToText("&bogus; &amp &# &x; AT&T"), "&bogus; &amp &# &x; AT&T");
}

TEST(HtmlToText, TagThatRunsToTheEndIsDroppedAsABrowserDropsIt) {
    EXPECT_EQ(HtmlToText("a <b and more"), "a");
    EXPECT_EQ(HtmlToText("a <b x=\"oops <i>it</i>"), "a");
    // A title that never ends holds the rest of the page, which is not shown.
    EXPECT_EQ(HtmlToText("<title>no end<title>x"), "");
}

TEST(HtmlToText, DropsControlCharacters) {
    EXPECT_EQ(HtmlToText("a\x1B[31mb\x07"
                         "c\xC2\x9B"
                         "d"),
              "a[31mbcd");
    EXPECT_EQ(HtmlToText("a&#27;b"), "ab");
}

TEST(HtmlToText, DecodesEveryHtmlName) {
    EXPECT_EQ(HtmlToText("&hearts; &Omega; &check; &ccaron; &rArr;"),
              "\u2665 \u03A9 \u2713 \u010D \u21D2");
    // A name for two characters, and names told apart by case alone.
    EXPECT_EQ(HtmlToText("&NotEqualTilde;|&Dagger;&dagger;"), "\u2242\u0338|\u2021\u2020");
    EXPECT_EQ(HtmlToText("<img alt=\"&check; &ccaron;\">"), "[image: \u2713 \u010D]");
}

TEST(HtmlToText, NumericReferencesOfEveryKind) {
    EXPECT_EQ(HtmlToText("&#8364;|&#x20ac;|&#x1F600;|&#0065;"), "\u20AC|\u20AC|\U0001F600|A");
    // Surrogates, zero and numbers past the last character are not characters.
    EXPECT_EQ(HtmlToText("&#xDFFF;&#x110000;&#00;"), "\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(HtmlToText("&#xZZ; &#; &#x;"), "&#xZZ; &#; &#x;");
    // References to line ends and blanks are whitespace like any other.
    EXPECT_EQ(HtmlToText("a&#10;&#32;&#9;b"), "a b");
}

TEST(HtmlToText, ReferencesMakeNoMarkup) {
    EXPECT_EQ(HtmlToText("&lt;b&gt;not bold&lt;/b&gt; &amp;amp;"), "<b>not bold</b> &amp;");
}

TEST(HtmlToText, ListsNumberedAndNested) {
    EXPECT_EQ(HtmlToText("<ol><li>one<li>two</ol>"), "1. one\n2. two");
    EXPECT_EQ(HtmlToText("<ul><li>rivers<ul><li>Seine<li>Loire<ol><li>upper</ol></ul>"
                         "<li>mountains</ul>after"),
              "- rivers\n  - Seine\n  - Loire\n    1. upper\n- mountains\nafter");
}

TEST(HtmlToText, TableCellsOfBrokenRowsStillStandApart) {
    EXPECT_EQ(HtmlToText("<table><tr><th>River<th>Length<tr><td>Seine<td>777 km</table>x"),
              "River  Length\nSeine  777 km\nx");
}

TEST(HtmlToText, CommentsScriptAndStyleHideTheirMarkup) {
    EXPECT_EQ(HtmlToText("a<!-- <p>hidden</p> -->b<script>document.write('<p>x</p>')</script>"
                         "c<style>p::after{content:'</p>'}</style>d"),
              "abcd");
}

TEST(HtmlToText, IgnoresThePagesOwnCharset) {
    // The page's bytes are UTF-8 by the time they are read, whatever it declares.
    EXPECT_EQ(HtmlToText("<html><head><meta charset=\"iso-8859-1\"></head><body>\u00BFQu\u00E9?"
                         "</body></html>"),
              "\u00BFQu\u00E9?");
}

TEST(HtmlToText, ControlCharactersNeverReachTheText) {
    const CTerminalStyle colour(true);
    // An escape in the text, as a reference, and in an image's alternative text.
    const std::string page = "<b>a\x1B]0;owned\x07</b>b&#x1b;[2J<img alt=\"c\x1B[31md\">"
                             "<img alt=\"&#27;e&#155;\">";
    EXPECT_EQ(HtmlToText(page), "a]0;ownedb[2J[image: c[31md][image: e\u203A]");
    EXPECT_EQ(HtmlToText(page, colour),
              "\x1B[1ma]0;owned\x1B[0mb[2J[image: c[31md][image: e\u203A]");
}

TEST(HtmlToText, BoldThroughTheStyleWhenColourIsOn) {
    const CTerminalStyle colour(true);
    EXPECT_EQ(
        HtmlToText("<h2>Rivers</h2>Name <b>two</b> of <strong>them <i>now</i></strong>.", colour),
        "\x1B[1mRivers\x1B[0m\n\nName \x1B[1mtwo\x1B[0m of \x1B[1mthem\x1B[0m "
        "\x1B[1mnow\x1B[0m.");
    // Nested bold ends with the outer element, not the inner one.
    EXPECT_EQ(HtmlToText("<b>a <b>b</b> c</b> d", colour),
              "\x1B[1ma\x1B[0m \x1B[1mb\x1B[0m \x1B[1mc\x1B[0m d");
    EXPECT_EQ(HtmlToText("<h2>Rivers</h2>Name <b>two</b>", CTerminalStyle(false)),
              "Rivers\n\nName two");
}

TEST(HtmlToText, DeeplyNestedMarkupIsReadAsFarAsTheParserGoes) {
    const auto nested = [](int depth) {
        std::string page = "before ";
        for (int i = 0; i < depth; ++i)
            page += "<div><b>";
        return page + "deep";
    };
    EXPECT_EQ(HtmlToText(nested(100)), "before\ndeep");
    // Past the parser's depth limit the rest is cut, not the whole page.
    EXPECT_EQ(HtmlToText(nested(20000)), "before");
}

TEST(PageFileToText, StyledTemplatePageKeepsItsLinesAndBlanks) {
    const CTerminalStyle colour(true);
    EXPECT_EQ(PageFileToText(Page("Translate:\n\n\n   <b>el r\u00EDo</b>  now"), true, colour),
              "Translate:\n\n\n   \x1B[1mel\x1B[0m \x1B[1mr\u00EDo\x1B[0m  now");
    EXPECT_EQ(PageFileToText(Page("Translate:\n  <b>x</b>"), true), "Translate:\n  x");
}

} // namespace
