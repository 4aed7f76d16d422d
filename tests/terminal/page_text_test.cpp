// Pages turned into terminal text.
#include <gtest/gtest.h>

#include <string>

#include "terminal/page_text.h"
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

TEST(HtmlToText, UnclosedTagShowsAsText) {
    EXPECT_EQ(HtmlToText("a <b and more"), "a <b and more");
}

TEST(HtmlToText, TagThatRunsToTheEndLeavesLaterMarkupAsText) {
    EXPECT_EQ(HtmlToText("a <b x=\"oops <i>it</i>"), "a <b x=\"oops <i>it</i>");
    EXPECT_EQ(HtmlToText("<title>no end<title>x"), "no endx");
}

TEST(HtmlToText, DropsControlCharacters) {
    EXPECT_EQ(HtmlToText("a\x1B[31mb\x07"
                         "c\xC2\x9B"
                         "d"),
              "a[31mbcd");
    EXPECT_EQ(HtmlToText("a&#27;b"), "ab");
}

} // namespace
