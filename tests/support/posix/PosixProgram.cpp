// Child processes, watched while they run or run to their end with their output collected.
#include "PosixProgram.h"

#include "RunProgram.h"
#include "TestFiles.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                   const std::string& outPath, const std::string& errPath, bool closeAll) {
    // env drops the display variables, adds the extra ones, changes directory and finds the program, then becomes it.
    std::vector<std::string> argv{
        "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-C", workingDirectory.empty() ? "." : workingDirectory};
    argv.insert(argv.end(), extraEnvironment.begin(), extraEnvironment.end());
    argv.push_back(program);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    // Spawned rather than forked, so that the program's peak memory is its own and not this test's.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    for (const auto& [fd, path] : {std::pair{STDOUT_FILENO, outPath}, std::pair{STDERR_FILENO, errPath}}) {
        if (closeAll) {
            posix_spawn_file_actions_addclose(&actions, fd);
        } else {
            const char* file = path.empty() ? "/dev/null" : path.c_str();
            posix_spawn_file_actions_addopen(&actions, fd, file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
    }
    pid_t child = -1;
    const bool started = ::posix_spawnp(&child, "env", &actions, nullptr, pointers.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_TRUE(started) << "env could not be started";
    return started ? child : -1;
}

int WaitForProgram(pid_t child, int timeoutSeconds, rusage* usage) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (::wait4(child, &status, WNOHANG, usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, usage);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return status;
}

std::vector<std::string> OpenFilesOf(pid_t child) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
        // Empty for a descriptor closed since it was listed.
        files.push_back(std::filesystem::read_symlink(entry.path(), error).string());
    }
    return files;
}

void AddScreenModule(const std::string& directory) {
    const std::filesystem::path module = std::filesystem::path(TARVENNE_EXECUTABLE).parent_path() / "tarvenne-qt.so";
    std::filesystem::create_symlink(module, directory + "/tarvenne-qt.so");
}

std::string MakeRuntimeDirectory(const std::string& directory) {
    const std::string runtime = directory + "/runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    return runtime;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                         int timeoutSeconds) {
    const TempDir output;
    const pid_t child =
        StartProgram(program, arguments, workingDirectory, extraEnvironment, output / "out", output / "err");
    const int status = child == -1 ? -1 : WaitForProgram(child, timeoutSeconds);
    ProgramResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(output / "out").value_or("");
    result.err = ReadFile(output / "err").value_or("");
    return result;
}

std::string CopyOfTarvenne(const std::string& directory) {
    const std::string copy = directory + "/tarvenne";
    std::filesystem::copy_file(TARVENNE_EXECUTABLE, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}
