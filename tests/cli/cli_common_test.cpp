// The tool's shared parts: threshold parsing and bytes turned into JSON strings.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "cli/cli_common.h"

TEST(ParseThreshold, AcceptsFiniteNumbersAboveZero) {
    for (const auto& [text, value] : {std::pair<const char*, double>{"0.65", 0.65},
                                      {"1", 1.0},
                                      {"80", 80.0},
                                      {"1e-3", 0.001},
                                      {".5", 0.5},
                                      {"+0.5", 0.5},
                                      {"5E-1", 0.5}}) {
        double threshold = -1;
        EXPECT_TRUE(ParseThreshold(text, threshold)) << text;
        EXPECT_EQ(threshold, value) << text;
    }
}

TEST(ParseThreshold, RefusesAnythingElseAndKeepsTheOldValue) {
    for (const char* text :
         {"0",     "0.0", "-1", "",      " 1",     "1 ",       "1,5",  "abc",  "nan",   "inf",
          "1e400", "0x",  "+",  "0x0.8", "0x1p-1", "infinity", "-inf", "0.5e", "1.5.5", "."}) {
        double threshold = 0.65;
        EXPECT_FALSE(ParseThreshold(text, threshold)) << text;
        EXPECT_EQ(threshold, 0.65) << text;
    }
}

TEST(JsonText, ValidUtf8PassesThrough) {
    EXPECT_EQ(JsonText("caf\xc3\xa9 \xe2\x82\xac").get<std::string>(), "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(JsonText("plain").dump(), "\"plain\"");
}

TEST(JsonText, OtherBytesAreReadAsWindows1252) {
    EXPECT_EQ(JsonText("caf\xe9").get<std::string>(), "caf\xc3\xa9");
    EXPECT_EQ(JsonText("\x80 \x93q\x94").get<std::string>(),
              "\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d");
    // Whatever the bytes, the result can be written out as JSON.
    std::string every;
    for (int b = 1; b <= 255; ++b)
        every.push_back(static_cast<char>(b));
    EXPECT_NO_THROW((void)JsonText(every).dump());
}

TEST(JsonText, ListKeepsOrderAndConvertsEachText) {
    CTextList texts;
    texts.Add(new CTextBuffer("one"));
    texts.Add(new CTextBuffer("d\xe9j\xe0"));
    EXPECT_EQ(JsonTextList(texts).dump(), "[\"one\",\"d\xc3\xa9j\xc3\xa0\"]");
    EXPECT_EQ(JsonTextList(CTextList()).dump(), "[]");
}

TEST(ReportUsageError, WritesOneLineAndReturnsTheUsageCode) {
    std::ostringstream err;
    EXPECT_EQ(ReportUsageError(err, "bad\nthing\r"), kExitUsage);
    EXPECT_EQ(err.str(), "torvi-cli: bad thing \n");
}
