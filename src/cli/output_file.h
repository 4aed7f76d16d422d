// Writing a result file for torvi-cli: into a new file in the same folder that
// is then renamed into place, so a reader never sees half a file and a failure
// leaves nothing behind. An existing file is replaced only when the caller says
// so, and never through a symbolic link.
#pragma once

#include <string>
#include <string_view>

bool WriteNewOutputFile(const std::string& path, std::string_view bytes, bool replace,
                        std::string& why);
