// Writing a file so that nothing is ever lost: the bytes go into a new file in
// the same folder, which then replaces the old one in a single rename. A crash
// or a full disk leaves either the old file or the new one, never half of each.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// Replaces (or creates) the file at path with bytes. An existing file keeps its
// permission bits; a new one gets newMode (less the umask). When path is a
// symbolic link, the file it points to is resolved once and replaced, so the
// link stays a link and goes on naming the saved file; a link that leads
// nowhere is refused. False, with a one-line reason, when anything fails; the
// old file is then untouched and no new file is left behind.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error,
                         mode_t newMode = 0666);

// The same for the program's own private files (recovery copies, preview
// pages): the new file has exactly mode, and a link at path is itself
// replaced, never followed.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode = 0600);

// Creates the folder and its missing parents; folders made here get mode.
// False when the folder is not there afterwards, or is not a folder of this user
// that only they can enter (a shared or planted folder is never written into).
bool MakePrivateFolder(const std::string& path, mode_t mode = 0700);
