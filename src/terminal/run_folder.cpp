#include "terminal/run_folder.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "text/ascii.h"

namespace {
bool EndsWithWav(const std::string& name) {
    return name.size() >= 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), ".wav");
}

std::string DefaultBaseFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && access(runtime, W_OK | X_OK) == 0)
        return runtime;
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temp.string();
}
} // namespace

CRunFolder::~CRunFolder() {
    if (m_strPath.empty())
        return;
    // Removes the links, never what they point at.
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
}

bool CRunFolder::Create(const std::string& programDirectory, const std::string& baseFolder) {
    if (!m_strPath.empty())
        return true;
    std::string pattern =
        (baseFolder.empty() ? DefaultBaseFolder() : baseFolder) + "/torvi-run-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return false;
    m_strPath = pattern + "/";

    std::error_code error;
    const std::filesystem::path program =
        std::filesystem::absolute(programDirectory.empty() ? "." : programDirectory, error);
    if (error)
        return true;
    for (std::filesystem::directory_iterator entry(program, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!EndsWithWav(name))
            continue;
        std::error_code linkError;
        std::filesystem::create_symlink(entry->path(), m_strPath + name, linkError);
    }
    return true;
}
