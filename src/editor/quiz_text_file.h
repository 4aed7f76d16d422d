// A quiz file as the editor holds it: UTF-8 text with LF line ends, plus what it
// takes to write the file back as it was found (its encoding, its line ends and
// a UTF-8 byte-order mark), so that opening and saving a file changes nothing
// the author did not change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class EQuizEncoding { Utf8, Windows1252 };
enum class ELineEnds { Lf, CrLf, Cr };

struct CQuizTextFormat {
    EQuizEncoding encoding = EQuizEncoding::Utf8;
    ELineEnds lineEnds = ELineEnds::Lf;
    bool byteOrderMark = false;

    bool operator==(const CQuizTextFormat&) const = default;
    // "UTF-8", "Windows-1252", with " (BOM)" and the line ends: "UTF-8, LF".
    std::string Describe() const;
};

// The file's bytes as editor text. A file that is valid UTF-8 is UTF-8; any
// other is Windows-1252, one character per byte. The line ends are the kind
// the file uses most (LF when it has none); every line end becomes LF.
void DecodeQuizBytes(std::string_view bytes, std::string& text, CQuizTextFormat& format);

// A character the chosen encoding cannot hold, with where it stands.
struct CUnencodable {
    char32_t character = 0;
    int line = 0;   // from 1
    int column = 0; // from 1, in characters
};

// The editor text as file bytes in format. False, with the first character that
// cannot be written, when the encoding cannot hold it: nothing is ever
// replaced or dropped. bytes is then left with the text encoded up to that point.
bool EncodeQuizText(std::string_view text, const CQuizTextFormat& format, std::string& bytes,
                    CUnencodable* unencodable = nullptr);

// Every character of text that the format's encoding cannot hold, in order.
std::vector<CUnencodable> FindUnencodable(std::string_view text, const CQuizTextFormat& format);

// The same, for checking while the author types: a character the encoding
// cannot hold becomes "?" so the rest can still be looked at.
std::string EncodeQuizTextLoosely(std::string_view text, const CQuizTextFormat& format);

// "U+20AC" style name of a character, with the character itself.
std::string DescribeCharacter(char32_t character);
