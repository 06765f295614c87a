// Watched child processes and the test seam's environment.
#include "PosixProgram.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> dropped{"DISPLAY=", "WAYLAND_DISPLAY="};
    for (const std::string& extra : extraEnvironment) {
        dropped.push_back(extra.substr(0, extra.find('=') + 1));
    }
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        if (std::none_of(dropped.begin(), dropped.end(),
                         [&](const std::string& name) { return variable.starts_with(name); })) {
            environment.push_back(variable);
        }
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return environment;
}

ExecArrays::ExecArrays(const std::string& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& extraEnvironment) {
    m_strings.push_back(program);
    m_strings.insert(m_strings.end(), arguments.begin(), arguments.end());
    const std::vector<std::string> environment = ChildEnvironment(extraEnvironment);
    m_strings.insert(m_strings.end(), environment.begin(), environment.end());
    // The strings stay where they are from here on: the arrays point into them.
    for (std::size_t i = 0; i < m_strings.size(); ++i) {
        (i <= arguments.size() ? m_argv : m_envp).push_back(m_strings[i].data());
    }
    m_argv.push_back(nullptr);
    m_envp.push_back(nullptr);
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                   const std::string& outPath, const std::string& errPath) {
    ExecArrays exec(program, arguments, extraEnvironment);
    // Spawned rather than forked, so that the program's peak memory is its own and not this test's.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    const std::string out = outPath.empty() ? "/dev/null" : outPath;
    const std::string err = errPath.empty() ? "/dev/null" : errPath;
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    }
    pid_t child = -1;
    const int error = ::posix_spawn(&child, program.c_str(), &actions, nullptr, exec.Argv(), exec.Envp());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ADD_FAILURE() << program << " could not be started: " << std::strerror(error);
        return -1;
    }
    return child;
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
        std::error_code readError;
        const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), readError);
        if (!readError) {
            files.push_back(target.string());
        }
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
