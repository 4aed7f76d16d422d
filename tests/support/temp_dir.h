// Helpers shared by the test programs: a private temporary folder and a guard
// that changes the current directory for one test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

// A fresh folder under the system's temporary folder, removed with everything in it.
class CTempDir {
public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvi-test-XXXXXX");
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
    // Writes the bytes exactly as given and returns the file's path.
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
