// Starting, waiting for and ending a program under test with CreateProcessW.
#include "ChildProcess.h"

#include "Unicode.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>

namespace win32test {

namespace {

std::wstring NameOf(const std::wstring& entry) {
    // Entries such as "=C:=C:\dir" keep the drive's directory; their name starts after the first "=".
    return entry.substr(0, entry.find(L'=', 1));
}

bool SameName(const std::wstring& left, const std::wstring& right) {
    return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// This process's environment with the extra entries in place of any of the same name, as a block for
// CREATE_UNICODE_ENVIRONMENT: sorted by name without regard to case, as Windows keeps it, and ending in two NULs.
std::wstring EnvironmentBlock(const std::vector<std::string>& extraEnvironment) {
    std::vector<std::wstring> extras;
    for (const std::string& extra : extraEnvironment) {
        extras.push_back(WideFromUtf8(extra));
    }
    std::vector<std::wstring> entries;
    wchar_t* const current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring name = NameOf(entry);
        if (std::none_of(extras.begin(), extras.end(),
                         [&](const std::wstring& extra) { return SameName(NameOf(extra), name); })) {
            entries.emplace_back(entry);
        }
    }
    FreeEnvironmentStringsW(current);
    entries.insert(entries.end(), extras.begin(), extras.end());
    std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& left, const std::wstring& right) {
        const std::wstring a = NameOf(left);
        const std::wstring b = NameOf(right);
        return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
               CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const std::wstring& entry : entries) {
        block += entry;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

} // namespace

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + WideFromUtf8(program) + L"\"";
    for (const std::string& argument : arguments) {
        line += L' ';
        line += WideFromUtf8(argument);
    }
    return line;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment) {
    std::wstring line = CommandLine(program, arguments);
    std::wstring environment = EnvironmentBlock(extraEnvironment);
    const std::wstring directory = WideFromUtf8(workingDirectory);
    const std::wstring path = WideFromUtf8(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // The path goes in apart from the command line, so that a path with spaces is never searched for piece by piece.
    // Wine now and then fails a start with an internal error while it is busy starting others: a few more tries.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::wstring commandLine = line; // the call may write into it
        if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                           environment.data(), directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
            error = 0;
            break;
        }
        error = GetLastError();
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
    if (!Wait(std::chrono::milliseconds(0))) {
        Kill();
    }
    CloseHandle(m_process);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD status = 0;
    GetExitCodeProcess(m_process, &status);
    return static_cast<int>(status);
}

void ChildProcess::Kill() {
    TerminateProcess(m_process, 1);
    // Bounded all the same: a test reports a program that will not go rather than wait for it.
    WaitForSingleObject(m_process, 10000);
}

} // namespace win32test
