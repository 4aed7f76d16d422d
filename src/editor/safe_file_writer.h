// Writing a file so that nothing is ever lost: the bytes go into a new file in
// the same folder, which then replaces the old one in a single rename. A crash
// or a full disk leaves either the old file or the new one, never half of each.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Replaces (or creates) the file at path with bytes. An existing file keeps its
// permission bits, its owner and group (as far as this user may set them: see
// OwnershipChange), its extended attributes and its access control list; a new
// one gets newMode (less the umask). When path is a symbolic link, the file it
// points to is resolved once and replaced, so the link stays a link and goes on
// naming the saved file; a link that leads nowhere is refused. False, with a
// one-line reason, when anything fails; the old file is then untouched and no
// new file is left behind.
//
// A file with more than one name (hard links) cannot be replaced without
// parting it from its other names, so it is written in place, after a copy of
// it as it was has gone into backupFolder (a private folder of this user, made
// when needed); backupMade then names that copy. Without a backupFolder such a
// file is refused.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error,
                         mode_t newMode = 0666, const std::string& backupFolder = {},
                         std::string* backupMade = nullptr);

// What replacing the file at path would change of its owner and group because
// this user may not set them, said in a sentence; empty when they stay (or
// there is no file).
std::string OwnershipChange(const std::string& path);
// The same from the file's owner and group and the user's own ids and groups.
std::string OwnershipChange(uid_t fileOwner, gid_t fileGroup, uid_t user, gid_t userGroup,
                            const std::vector<gid_t>& otherGroups);

// The same for the program's own private files (recovery copies, preview
// pages): the new file has exactly mode, and a link at path is itself
// replaced, never followed.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode = 0600);

// Creates the folder and its missing parents; folders made here get mode.
// False when the folder is not there afterwards, or is not a folder of this user
// that only they can enter (a shared or planted folder is never written into).
bool MakePrivateFolder(const std::string& path, mode_t mode = 0700);
