#include "export/html_export.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "check/quiz_checker.h"
#include "file/file_read.h"
#include "file/file_write.h"
#include "quiz/question_set.h"
#include "sound/sound_bank.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "ui/program_paths.h"

namespace {
constexpr char kTitlePrefix[] = "Halvan Torvi - ";
constexpr char kTitleMarker[] = "@TORVI_TITLE@";
constexpr char kHeadingMarker[] = "@TORVI_HEADING@";
constexpr char kQuizMarker[] = "@TORVI_QUIZ@";
// The cue series the quiz window plays, as it looks for them.
constexpr const char* kCueSeries[] = {"RightAnswer%d.wav", "WrongAnswer%d.wav", "Start%d.wav"};
// A picture larger than this stays out of the page; a page that size would
// not travel by e-mail anyway.
constexpr uintmax_t kMaxPictureBytes = 8 * 1024 * 1024;

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += kDigits[n >> 6 & 63];
        out += kDigits[n & 63];
    }
    if (const size_t rest = bytes.size() - i; rest > 0) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += rest == 2 ? kDigits[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

// A JSON string; <, > and & are escaped too, so that nothing in it can end
// the script element that carries it.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The picture's media type by its first bytes, or null for anything that is
// not a picture a browser shows.
const char* PictureType(std::string_view bytes) {
    if (bytes.starts_with("\x89PNG\r\n\x1a\n"))
        return "image/png";
    if (bytes.starts_with("\xff\xd8\xff"))
        return "image/jpeg";
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"))
        return "image/gif";
    if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
        return "image/webp";
    if (bytes.starts_with("BM"))
        return "image/bmp";
    // A picture shown by an img element runs none of its scripts.
    const std::string_view head = bytes.substr(0, 512);
    if ((head.starts_with("<?xml") || head.starts_with("<svg")) &&
        head.find("<svg") != std::string_view::npos)
        return "image/svg+xml";
    return nullptr;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = FoldAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The file path a local address names, or false for an address elsewhere
// (http:, data:, a fragment) or an empty one.
bool LocalPath(std::string_view address, std::string& path) {
    std::string text;
    // The attribute's own character references: only &amp; is common in paths.
    for (size_t i = 0; i < address.size(); ++i) {
        if (address.substr(i).starts_with("&amp;")) {
            text += '&';
            i += 4;
        } else {
            text += address[i];
        }
    }
    if (text.empty() || text[0] == '#' || text[0] == '?')
        return false;
    size_t colon = text.find(':');
    const size_t slash = text.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
        // A scheme; one letter is a drive and no way on this system.
        if (!StartsWithNoCase(text, "file:"))
            return false;
        text.erase(0, 5);
        if (text.starts_with("//")) {
            // file://host/path: only this machine's host names.
            const size_t pathStart = text.find('/', 2);
            const std::string_view host = std::string_view(text).substr(2, pathStart - 2);
            if (pathStart == std::string::npos ||
                (!host.empty() && !EqualNoCase(host, "localhost")))
                return false;
            text.erase(0, pathStart);
        }
    }
    text = text.substr(0, text.find_first_of("?#"));
    path.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return !path.empty() && path.find('\0') == std::string::npos;
}

// The data: address of the picture a local path names, or empty.
std::string PictureAddress(const std::string& path, const std::vector<std::string>& folders) {
    std::vector<std::string> candidates;
    if (path[0] == '/')
        candidates.push_back(path);
    else
        for (const std::string& folder : folders)
            candidates.push_back(ProgramFilePath(folder, path.c_str()));
    for (const std::string& candidate : candidates) {
        std::string bytes;
        if (!ReadWholeFile(candidate, bytes, kMaxPictureBytes))
            continue;
        if (const char* type = PictureType(bytes))
            return std::string("data:") + type + ";base64," + Base64(bytes);
    }
    return {};
}

bool IsNameCharacter(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Attributes whose value is, or holds, an address the browser may load.
bool IsAddressAttribute(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "href",       "src",     "srcset", "action",   "formaction", "ping",       "poster",
        "background", "data",    "cite",   "longdesc", "manifest",   "content",    "xlink:href",
        "codebase",   "archive", "icon",   "lowsrc",   "dynsrc",     "imagesrcset"};
    for (const std::string_view known : kNames)
        if (EqualNoCase(name, known))
            return true;
    return false;
}

// True for a value that names anything outside the page: a scheme with "//"
// (http, https, ws, ftp, file), a server-relative "//host", or a local file,
// which a page taken to another machine would not find either. The page's
// own fragments and data: addresses stay.
bool LeavesThePage(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                              value.front() == '\n' || value.front() == '\r'))
        value.remove_prefix(1);
    if (value.empty() || value.front() == '#' || StartsWithNoCase(value, "data:") ||
        StartsWithNoCase(value, "about:blank"))
        return false;
    return value.find("//") != std::string_view::npos ||
           value.find(':') == std::string_view::npos || StartsWithNoCase(value, "file:");
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    for (const std::string& present : list)
        if (present == item)
            return;
    list.push_back(item);
}

bool LoadPlayerFiles(const std::string& supportDirectory, const std::string& ignoreListPath,
                     CPlayerFiles& files, std::string& error) {
    const std::string pagePath = ProgramFilePath(supportDirectory, kPlayerPageFile);
    files = {};
    if (!ReadWholeFile(pagePath, files.page, 64 * 1024 * 1024)) {
        error = "The browser player is not installed: " + pagePath + " cannot be read";
        return false;
    }
    for (const char* marker : {kTitleMarker, kHeadingMarker, kQuizMarker}) {
        if (files.page.find(marker) == std::string::npos) {
            error = pagePath + " is not a browser player page";
            return false;
        }
    }
    if (std::string words; !ignoreListPath.empty() && ReadWholeFile(ignoreListPath, words, 1 << 20))
        files.supportFiles.emplace_back(kIgnoreWordsFile, words);
    // The cues the window would find, found the way it finds them.
    for (const char* series : kCueSeries) {
        CSoundBank bank;
        bank.DiscoverSeries(series, supportDirectory.c_str());
        for (const CSoundCue* cue : bank)
            files.supportFiles.emplace_back(
                cue->name, std::string(reinterpret_cast<const char*>(cue->data), cue->length));
    }
    return true;
}

std::string MakePagesSelfContained(const std::string& text,
                                   const std::vector<std::string>& pictureFolders,
                                   CHtmlExportReport& report) {
    std::string out;
    out.reserve(text.size());
    // A picture many pages name is read and encoded once; "" for one not found.
    std::unordered_map<std::string, std::string> addresses;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        if (open == std::string::npos || open + 1 >= text.size() ||
            !IsAsciiLetter(text[open + 1])) {
            const size_t stop = open == std::string::npos ? text.size() : open + 1;
            out.append(text, at, stop - at);
            at = stop;
            continue;
        }
        // Inside a tag: copy it, attribute by attribute, up to its '>'.
        size_t i = open + 1;
        while (i < text.size() && IsNameCharacter(text[i]))
            ++i;
        out.append(text, at, i - at);
        while (i < text.size() && text[i] != '>') {
            if (!IsNameCharacter(text[i])) {
                out += text[i++];
                continue;
            }
            const size_t nameStart = i;
            while (i < text.size() && IsNameCharacter(text[i]))
                ++i;
            const std::string_view name(text.data() + nameStart, i - nameStart);
            size_t j = i;
            while (j < text.size() && IsBlank(text[j]))
                ++j;
            if (j >= text.size() || text[j] != '=') {
                out.append(text, nameStart, i - nameStart);
                continue;
            }
            ++j;
            while (j < text.size() && IsBlank(text[j]))
                ++j;
            size_t valueStart = j;
            size_t valueEnd = j;
            size_t next = j;
            if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
                const size_t close = text.find(text[j], j + 1);
                valueStart = j + 1;
                valueEnd = close == std::string::npos ? text.size() : close;
                next = close == std::string::npos ? text.size() : close + 1;
            } else {
                while (valueEnd < text.size() && !IsBlank(text[valueEnd]) && text[valueEnd] != '>')
                    ++valueEnd;
                next = valueEnd;
            }
            const std::string value = text.substr(valueStart, valueEnd - valueStart);
            std::string path;
            if ((EqualNoCase(name, "src") || EqualNoCase(name, "background")) &&
                LocalPath(value, path)) {
                auto [known, fresh] = addresses.try_emplace(path);
                if (fresh)
                    known->second = PictureAddress(path, pictureFolders);
                if (const std::string& address = known->second; !address.empty()) {
                    out.append(name);
                    out += "=\"" + address + "\"";
                    AddOnce(report.embeddedPictures, value);
                    i = next;
                    continue;
                }
                AddOnce(report.missingPictures, value);
                out.append(name);
                out += "=\"about:blank\"";
                i = next;
                continue;
            }
            if (IsAddressAttribute(name) && LeavesThePage(value) &&
                (!EqualNoCase(name, "content") || ContainsNoCase(value, "url"))) {
                out.append(name);
                out += "=\"about:blank\"";
                AddOnce(report.removedAddresses, value);
                i = next;
                continue;
            }
            out.append(text, nameStart, next - nameStart);
            i = next;
        }
        at = i;
    }
    return out;
}

std::string ComposeQuizPage(const CPlayerFiles& player, const std::string& quizName,
                            const std::string& quizText, const CScormOptions* lms) {
    const std::string name = ToUtf8(quizName);
    std::string data =
        "{\"name\":" + JsonString(name) + ",\"quiz\":\"" + Base64(quizText) + "\",\"support\":{";
    bool first = true;
    for (const auto& [fileName, bytes] : player.supportFiles) {
        if (!first)
            data += ',';
        first = false;
        data += JsonString(fileName) + ":\"" + Base64(bytes) + "\"";
    }
    data += "}";
    if (lms) {
        data += std::string(",\"lms\":{\"version\":") +
                (lms->version == EScormVersion::Scorm12 ? "12" : "2004");
        if (lms->passingPercent)
            data += ",\"passing\":" + std::to_string(*lms->passingPercent);
        data += "}";
    }
    data += "}";

    // The markers sit before the player's script, each once; replacing them
    // in order from the front leaves the script as its hash describes it.
    std::string page = player.page;
    const std::pair<const char*, std::string> fills[] = {
        {kTitleMarker, HtmlEscaped(kTitlePrefix + name)},
        {kHeadingMarker, HtmlEscaped(name)},
        {kQuizMarker, data},
    };
    // Each marker is looked for after the last fill, so a quiz name that holds
    // a marker's text cannot draw the next fill into itself.
    size_t from = 0;
    for (const auto& [marker, fill] : fills) {
        if (const size_t at = page.find(marker, from); at != std::string::npos) {
            page.replace(at, std::strlen(marker), fill);
            from = at + fill.size();
        }
    }
    return page;
}

bool ExportQuizHtml(const std::string& quizPath, const std::string& outputPath,
                    const std::string& supportDirectory, CHtmlExportReport& report,
                    std::string& error) {
    // Read once: the bytes that load are the bytes the page carries.
    std::string quizText;
    if (!ReadWholeFile(quizPath, quizText, 256 * 1024 * 1024)) {
        error = "Cannot read " + quizPath;
        return false;
    }
    CQuestionSet questions;
    if (!LoadQuizBytes(questions, quizText, nullptr)) {
        error = quizPath + " does not load as a quiz; nothing was written";
        return false;
    }
    const size_t slash = quizPath.rfind('/');
    const std::string quizFolder =
        slash == std::string::npos ? "./" : quizPath.substr(0, slash + 1);
    const std::string quizName = slash == std::string::npos ? quizPath : quizPath.substr(slash + 1);
    std::string page;
    if (!MakeQuizPage(quizText, quizName, quizFolder, supportDirectory, page, report, error))
        return false;
    CWriteReport written;
    if (!WriteNewFile(outputPath, page, CWriteOptions(), written)) {
        error = written.error;
        return false;
    }
    return true;
}

bool MakeQuizPage(const std::string& quizText, const std::string& quizName,
                  const std::string& quizFolder, const std::string& supportDirectory,
                  std::string& page, CHtmlExportReport& report, std::string& error,
                  const CScormOptions* lms) {
    CPlayerFiles player;
    if (!LoadPlayerFiles(supportDirectory, ChooseIgnoreWordsFile(supportDirectory), player, error))
        return false;
    const std::string text =
        MakePagesSelfContained(quizText, {quizFolder, supportDirectory}, report);
    page = ComposeQuizPage(player, quizName, text, lms);
    return true;
}

std::vector<std::string> ReportLines(const CHtmlExportReport& report) {
    std::vector<std::string> lines;
    for (const std::string& picture : report.missingPictures)
        lines.push_back("picture not found, left out of the page: " + picture);
    for (const std::string& address : report.removedAddresses)
        lines.push_back("address out of the page turned off: " + address);
    return lines;
}
