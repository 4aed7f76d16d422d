#include "app/start_arguments.h"

#include <cstddef>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsFileUri(const std::string& argument) {
    return argument.rfind("file:/", 0) == 0;
}

} // namespace

bool LocalPathFromFileUri(const std::string& uri, std::string& path) {
    if (!IsFileUri(uri))
        return false;
    std::string rest = uri.substr(5);
    if (rest.rfind("//", 0) == 0) {
        // The authority: no host, or this host by its usual name. Any other
        // host's file is not one this program can read.
        const std::size_t slash = rest.find('/', 2);
        const std::string host = rest.substr(2, slash == std::string::npos ? slash : slash - 2);
        if (slash == std::string::npos || (!host.empty() && host != "localhost"))
            return false;
        rest.erase(0, slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string decoded;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
            HexValue(rest[i + 2]) >= 0) {
            const char byte = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            // No file name holds a NUL byte, and a path must not be cut short by one.
            if (byte == '\0')
                return false;
            decoded += byte;
            i += 2;
        } else {
            decoded += rest[i];
        }
    }
    if (decoded.empty() || decoded[0] != '/')
        return false;
    path = decoded;
    return true;
}

CStartArguments ReadStartArguments(const std::vector<std::string>& arguments,
                                   const std::string& currentDirectory) {
    CStartArguments result;
    std::vector<std::string> files;
    std::string unknown;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            result.action = EStartAction::Help;
            return result;
        } else if (!optionsEnded && argument == "--version") {
            result.action = EStartAction::Version;
            return result;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            // "-" alone is a file name, as it is to most programs that take one.
            if (unknown.empty())
                unknown = argument;
        } else {
            files.push_back(argument);
        }
    }
    result.action = EStartAction::Fail;
    if (!unknown.empty()) {
        result.message = "torvi: unknown option '" + unknown +
                         "' (a file whose name starts with '-' goes after '--')";
        return result;
    }
    if (!files.empty() && files.front().empty()) {
        result.message = "torvi: the file name is empty";
        return result;
    }
    result.action = EStartAction::Run;
    if (files.empty())
        return result;

    const std::string& named = files.front();
    if (IsFileUri(named)) {
        if (!LocalPathFromFileUri(named, result.file)) {
            result.action = EStartAction::Fail;
            result.message = "torvi: '" + named + "' is not a file on this computer";
            return result;
        }
    } else if (named[0] == '/') {
        result.file = named;
    } else {
        result.file = currentDirectory + (currentDirectory.ends_with('/') ? "" : "/") + named;
    }
    if (files.size() > 1)
        result.message = "torvi: one quiz at a time: opening '" + named + "', not the " +
                         std::to_string(files.size() - 1) +
                         (files.size() == 2 ? " other file named" : " other files named");
    return result;
}

std::string StartUsage() {
    return "Usage: torvi [QT-OPTION...] [--] [FILE]\n"
           "Opens the quiz window; with FILE, opens that quiz at once, as File > Open\n"
           "would: a quiz file, a KDE vocabulary file (.kvtml) or a spreadsheet (.csv,\n"
           ".tsv). Qt's own options, such as -platform, are accepted too.\n"
           "\n"
           "  -h, --help     show this text and exit\n"
           "      --version  show the version and exit\n";
}
