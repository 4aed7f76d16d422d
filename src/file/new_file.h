// The new file every write goes through, shared by the writers of
// file_write.cpp and file_replace.cpp and by nothing outside this folder.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "file/file_write.h"

namespace file_detail {
// 'path', as every message names a file.
std::string Quoted(const std::string& path);
// "what 'path': the system's words".
std::string Reason(const char* what, const std::string& path, int error = errno);
// Fills report with result and error; false, for returning at once.
bool Fail(CWriteReport& report, EWriteResult result, std::string error);
// The same from errno: NoRoom for a full disk or quota, Failed otherwise.
bool FailSystem(CWriteReport& report, const char* what, const std::string& path);
bool IsNoRoom(int error);
std::string FolderOf(const std::string& path);
std::string BaseOf(const std::string& path);
// The process's umask, read without changing it.
mode_t CurrentUmask();
// Claims the room for size bytes in the file, so a full disk refuses before a
// byte is written; false with errno for a full disk or quota.
bool ClaimRoom(int fd, size_t size);

// Writes bytes into a new file beside target and gives it target's name:
// replacing what is there when replace is set, else taking no name already
// held (Exists). prepare, when given, runs on the new file's descriptor
// before its mode is set (the old file's owner and attributes). namedOnly:
// a named new file even where an unnamed one could be made.
bool WriteThroughNewFile(const std::string& target, std::string_view bytes, mode_t mode,
                         const std::function<void(int)>& prepare, bool replace, bool namedOnly,
                         CWriteReport& report);
} // namespace file_detail
