// Writing files, the one way every part of the program does it. The bytes go
// into a new file in the target's folder, with room for all of them claimed
// first (a full disk refuses before anything changes), written, synced, and
// only then given the target's name, after which the folder is synced too. A
// reader never sees half a file, and a failure leaves the name as it was.
//
// Where the file system allows, the new file has no name until that last step
// (O_TMPFILE): a process killed at any moment leaves nothing behind. Elsewhere
// it is a hidden named file, removed on every way out the program controls
// (a failure, and SIGINT, SIGTERM, SIGHUP through CNamedTemporary).
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

enum class EWriteResult {
    Written,
    Exists,     // WriteNewFile: something already holds the name
    Link,       // the name is a symbolic link, and nothing is written through one
    NotRegular, // the name is a folder, a pipe, a device
    NoRoom,     // the disk or the user's quota is full
    Failed,     // anything else; the error says what
};

struct CWriteOptions {
    // A new file gets this mode less the umask.
    mode_t newMode = 0666;
    // The program's own file (a page, a recovery copy): it gets exactly
    // newMode, and whatever holds the name, a link too, is replaced by it,
    // never followed or kept.
    bool privateFile = false;
    // ReplaceFile: a symbolic link at the name has the file it leads to
    // replaced, and stays a link to it. Otherwise a link is refused.
    bool followLink = false;
    // ReplaceFile: a file with several names (hard links) cannot be replaced
    // without parting it from the others, so it is written in place, after a
    // copy of it went into this private folder (made when needed). Empty: such
    // a file is refused.
    std::string backupFolder;
    // Always a named temporary file, as on a file system without unnamed ones.
    bool namedTemporary = false;
};

struct CWriteReport {
    EWriteResult result = EWriteResult::Written;
    // One line, when the result is not Written.
    std::string error;
    // What of the old file could not be kept (its owner, an attribute).
    std::vector<std::string> warnings;
    // The copy made before a file with several names was written in place.
    std::string backup;
};

// Writes bytes to path as a new file; anything already at path, even a file
// that appears while this runs, is left as it is (Exists).
bool WriteNewFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                  CWriteReport& report);

// A private file of exactly mode at path, replacing whatever held the name.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode = 0600);

// The next three come with the desktop build only (file_replace.cpp).

// Replaces (or creates) the file at path with bytes. An existing file keeps
// its mode, its owner and group (as far as this user may set them; a warning
// says what could not be kept), its extended attributes and its access
// control list.
bool ReplaceFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                 CWriteReport& report);

// What replacing the file at path would change of its owner and group because
// this user may not set them, said in a sentence; empty when they stay (or
// there is no file).
std::string OwnershipChange(const std::string& path);
// The same from the file's owner and group and the user's own ids and groups.
std::string OwnershipChange(uid_t fileOwner, gid_t fileGroup, uid_t user, gid_t userGroup,
                            const std::vector<gid_t>& otherGroups);

// Creates the folder and its missing parents; folders made here get mode.
// False when the folder is not there afterwards, or is not a folder of this
// user that only they can enter (a shared or planted folder is never written
// into).
bool MakePrivateFolder(const std::string& path, mode_t mode = 0700);
