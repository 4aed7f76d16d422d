// Helpers shared by the command-line tool's tests: running a command line in-process,
// temporary folders, and a working directory held for the length of a test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "cli/cli_common.h"

namespace cli_test {

struct CRunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs "torvi-cli args..." against the given subcommands.
inline CRunResult RunCli(std::span<const CliCommandFactory> commands,
                         const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"torvi-cli"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CRunResult result;
    result.exitCode =
        RunCommandLine(static_cast<int>(argv.size()), argv.data(), commands, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// A fresh folder under the system's temporary folder, removed with all it holds.
class CTempDir {
public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvi-cli-XXXXXX");
        if (mkdtemp(pattern.data()))
            m_strPath = pattern;
    }
    ~CTempDir() {
        std::error_code ignored;
        if (!m_strPath.empty())
            std::filesystem::remove_all(m_strPath, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string m_strPath;
};

// Makes path the current directory until the guard goes out of scope.
class CCurrentDirectory {
public:
    explicit CCurrentDirectory(const std::string& path)
        : m_strSaved(std::filesystem::current_path().string()) {
        m_bChanged = chdir(path.c_str()) == 0;
    }
    ~CCurrentDirectory() {
        if (m_bChanged && chdir(m_strSaved.c_str()) != 0)
            std::abort();
    }
    CCurrentDirectory(const CCurrentDirectory&) = delete;
    CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;
    bool Changed() const { return m_bChanged; }

private:
    std::string m_strSaved;
    bool m_bChanged = false;
};

} // namespace cli_test
