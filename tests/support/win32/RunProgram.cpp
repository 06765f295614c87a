// The real executable as a child process on Windows: started with CreateProcessW, its windows answered as they come,
// and its boxes' texts collected as the program prints them on Linux.
#include "RunProgram.h"

#include "Unicode.h"
#include "WindowDriver.h"

#include <windows.h>

#include <set>
#include <stdexcept>

using namespace win32test;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory) {
    std::wstring line = L"\"" + WideFromUtf8(program) + L"\"";
    for (const std::string& argument : arguments) {
        line += L" " + WideFromUtf8(argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // The path goes in apart from the command line, so that a path with spaces is never searched for piece by piece.
    // Wine now and then fails a start with an internal error while it is busy starting others: a few more tries.
    for (int attempt = 0;; ++attempt) {
        std::wstring commandLine = line; // the call may write into it
        if (CreateProcessW(WideFromUtf8(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingDirectory.empty() ? nullptr : WideFromUtf8(workingDirectory).c_str(), &startup,
                           &started)) {
            break;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 4) {
            throw std::runtime_error("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
        }
        Sleep(200);
    }
    CloseHandle(started.hThread);
    m_process = started.hProcess;
    m_id = started.dwProcessId;
}

ChildProcess::~ChildProcess() {
    // Bounded: a test reports a program that will not go rather than wait for it.
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, 10000);
    CloseHandle(m_process);
}

std::optional<int> ChildProcess::Wait(Timeout timeout) {
    DWORD status = 0;
    return WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0 &&
                   GetExitCodeProcess(m_process, &status)
               ? std::optional(static_cast<int>(status))
               : std::nullopt;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                         int timeoutSeconds) {
    if (!extraEnvironment.empty()) {
        throw std::invalid_argument("RunProgram on Windows runs the program in the test's own environment");
    }
    ChildProcess child(program, arguments, workingDirectory);
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::set<Window> answered; // a window stays on screen for a moment after it was answered
    while (std::chrono::steady_clock::now() < deadline) {
        if (const std::optional<int> status = child.Wait(Timeout(10))) {
            result.status = *status;
            return result;
        }
        for (Window window : TopLevelWindows(child.Id())) {
            if (!answered.insert(window).second) {
                continue;
            }
            if (IsMessageBox(window)) {
                ShownBox box{WindowText(window), MessageBoxText(window)};
                // As the console prints it: CR LF as LF, a line break at the end, and the program's two error
                // messages, told by their opening words, on stderr.
                std::string printed = box.text + "\n";
                std::erase(printed, '\r');
                const bool error = box.text.starts_with("The conversion failed") ||
                                   box.text.starts_with("Error in command line arguments");
                (error ? result.err : result.out) += printed;
                result.boxes.push_back(std::move(box));
                PressButton(window, kOk);
            } else {
                // Nobody is there to use it: close it, so that the program ends the way it does for a user.
                result.windows.push_back(WindowText(window));
                const bool dialog = ClassName(window) == "#32770";
                result.mainWindowShown |= !dialog;
                PostMessageW(window, dialog ? WM_COMMAND : WM_CLOSE, dialog ? kCancel : 0, 0);
            }
        }
    }
    return result; // the child is killed as it goes
}

std::string CopyOfTarvenne(const std::string& directory) {
    // A build made on Linux for Wine knows its executable by a Unix path: Wine's drive Z: is the Unix root.
    const std::string built = TARVENNE_EXECUTABLE[0] == '/' ? "Z:" TARVENNE_EXECUTABLE : TARVENNE_EXECUTABLE;
    const std::string copy = directory + "\\tarvenne.exe";
    if (!CopyFileW(WideFromUtf8(built).c_str(), WideFromUtf8(copy).c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + built + " to " + copy + " (error " + std::to_string(GetLastError()) +
                                 ")");
    }
    return copy;
}
