// Pages of windows that ended without removing them. Each window names its
// pages PREFIX-PID-N.html (its process and its own number); a window that
// crashed leaves them, and the next one to start in the folder removes them
// once their process is gone.
#pragma once

#include <string>
#include <vector>

// The name of the number-th page of this process for prefix: "PREFIX-PID-N.html".
std::string OwnPageName(const std::string& prefix, int number);

// Removes from folder each PREFIX-PID-N.html of the prefixes whose process
// PID no longer runs (no /proc/PID), when it is a regular file of this user;
// links, folders and anybody else's files are left alone, as is everything
// on a system without /proc. The count of files removed.
int RemovePagesOfEndedProcesses(const std::string& folder,
                                const std::vector<std::string>& prefixes);

// Removes the file at path when it is a regular file of this user; a link or
// anything else under the name is left alone. True when a file was removed.
bool RemoveOwnFile(const std::string& path);
