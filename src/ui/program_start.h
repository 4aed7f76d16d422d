// Handing this process over to another program of ours (File > New starts the
// quiz editor in place of the window). The program file is checked before it is
// trusted, and the new program gets neither this process's open descriptors
// nor the variables it set for itself.
#pragma once

#include <string>

// Keeps a copy of the environment as the user started this program with. Call
// it first thing in main, before anything adds variables of its own.
void SaveStartEnvironment();

// Opens the program at path for starting it, or returns -1 when it may not be
// started: it must be a regular file (not a link), executable, owned by the
// effective user or by root, and not writable by group or others. Anyone who
// can change such a file could already change this program.
int OpenTrustedProgram(const std::string& path);

// Replaces this process with the program opened by OpenTrustedProgram, with
// argv[0] = path and the saved start environment (the current one when none
// was saved). Every descriptor above standard error is closed in the new
// program. Returns only when the program could not be started (the descriptor
// is then closed).
void StartProgramInPlace(int programFd, const std::string& path);
