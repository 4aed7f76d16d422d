// What the file tests look at: a folder's names (hidden ones too) and a file's
// bytes.
#pragma once

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

#include "file/file_read.h"

inline std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string Content(const std::string& path) {
    std::string bytes;
    std::string why;
    CReadRules rules;
    rules.followLinks = false;
    if (ReadWholeFile(path, bytes, why, rules) != EReadResult::Read)
        return "<" + why + ">";
    return bytes;
}
