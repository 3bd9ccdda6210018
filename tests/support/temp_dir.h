#pragma once
// A fresh folder under the system's temporary directory, removed with everything in it when
// the test ends. read() gives a file's bytes ("" when it is missing), append() adds bytes to a
// file, making it when it is missing.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class TempDir {
public:
    TempDir() : m_path((std::filesystem::temp_directory_path() / "velmorixon-test-XXXXXX").string())
    {
        if (::mkdtemp(m_path.data()) == nullptr) throw std::runtime_error("mkdtemp " + m_path);
    }
    TempDir(const TempDir&) = delete;
    ~TempDir() { std::error_code ignored; std::filesystem::remove_all(m_path, ignored); }

    std::filesystem::path path() const { return m_path; }
    static std::string read(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void append(const std::filesystem::path& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
    }

private:
    std::string m_path;
};
