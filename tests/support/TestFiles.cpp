// Temporary directories and whole-file helpers for tests.
#include "TestFiles.h"

#include "Process.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("tarvenne_test_" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            m_path = Utf8Of(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may leave read-only directories and files behind; make them writable again so they can go.
    const std::filesystem::path root = PathOf(m_path);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        if (!entry.is_symlink(error)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
        }
    }
    std::filesystem::permissions(root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(root, error);
}

std::string TempDir::operator/(const std::string& name) const {
    return m_path + kNativeSeparator + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(PathOf(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(PathOf(path), error)) {
        return std::nullopt;
    }
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathOf(path))) {
        names.push_back(Utf8Of(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : " ") + name;
    }
    return list;
}
