// Argument text and application directory on Linux.
#include "Process.h"

#include <filesystem>
#include <system_error>

std::string ArgumentText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i];
    }
    return text;
}

std::vector<std::size_t> ArgumentStarts(int argc, const char* const* argv) {
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    for (int i = 1; i < argc; ++i) {
        starts.push_back(at);
        at += std::string_view(argv[i]).size() + 1;
    }
    return starts;
}

std::string ApplicationDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return ".";
    }
    // The root directory without its trailing separator is the empty string.
    const std::string directory = exe.parent_path().string();
    return directory == "/" ? std::string() : directory;
}
