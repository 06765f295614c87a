// Starting, waiting for and ending a program under test with CreateProcessW.
#include "ChildProcess.h"

#include "Unicode.h"

#include <windows.h>

#include <stdexcept>

namespace win32test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory) {
    std::wstring line = L"\"" + WideFromUtf8(program) + L"\"";
    for (const std::string& argument : arguments) {
        line += L" " + WideFromUtf8(argument);
    }
    const std::wstring directory = WideFromUtf8(workingDirectory);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // The path goes in apart from the command line, so that a path with spaces is never searched for piece by piece.
    // Wine now and then fails a start with an internal error while it is busy starting others: a few more tries.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::wstring commandLine = line; // the call may write into it
        error = CreateProcessW(WideFromUtf8(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               directory.empty() ? nullptr : directory.c_str(), &startup, &started)
                    ? 0
                    : GetLastError();
        if (error != ERROR_INTERNAL_ERROR) {
            break;
        }
        Sleep(200);
    }
    if (error != 0) {
        throw std::runtime_error("CreateProcessW failed for " + program + " (error " + std::to_string(error) + ")");
    }
    CloseHandle(started.hThread);
    m_process = started.hProcess;
    m_id = started.dwProcessId;
}

ChildProcess::~ChildProcess() {
    Kill();
    CloseHandle(m_process);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    DWORD status = 0;
    if (WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process, &status)) {
        return std::nullopt;
    }
    return static_cast<int>(status);
}

void ChildProcess::Kill() {
    // Ending a program that has already ended does nothing. Bounded all the same: a test reports a program that will
    // not go rather than wait for it.
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, 10000);
}

} // namespace win32test
