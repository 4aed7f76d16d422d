// What the window's command line asks for: a quiz file to open at start (a
// path, or a file: address as some desktops pass), --help or --version. Qt's
// own options are taken out of the command line before the file is looked
// for; everything here is plain bytes, as the file system names files.
#pragma once

#include <string>
#include <vector>

enum class EStartAction { Run, Help, Version, Fail };

struct CStartArguments {
    EStartAction action = EStartAction::Run;
    // The file to open, absolute; empty to start on the welcome page.
    std::string file;
    // One line for standard error: why the run fails, or, for a run, what of
    // the command line was left unused. Empty when there is nothing to say.
    std::string message;
};

// Reads the arguments after the program's name. --help (or -h) and --version
// are answered wherever they stand before "--"; any other argument that starts
// with "-" before "--" is an unknown option. The first file named is opened and
// any further ones are named in the message. A relative path is taken from
// currentDirectory (absolute, without a trailing "/").
CStartArguments ReadStartArguments(const std::vector<std::string>& arguments,
                                   const std::string& currentDirectory);

// The local path a file: address names ("file:///x", "file://localhost/x",
// "file:/x"), its %XX escapes decoded and any query or fragment left off.
// False for an address of another host or one that names no usable path.
bool LocalPathFromFileUri(const std::string& uri, std::string& path);

// The text --help prints.
std::string StartUsage();
