// The real executable as a child process on Windows: its message boxes are read and answered as they come, and
// their texts collected as the program prints them on Linux.
#include "RunProgram.h"

#include "ChildProcess.h"
#include "Unicode.h"
#include "WindowDriver.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

using namespace win32test;

namespace {

// How the console message box prints a prompt: CR LF becomes LF, and a line break ends it.
std::string AsPrinted(const std::string& prompt) {
    std::string text;
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] == '\r' && i + 1 < prompt.size() && prompt[i + 1] == '\n') {
            continue;
        }
        text += prompt[i];
    }
    return text + "\n";
}

// A path as Windows names it. A build made on Linux for Wine knows its executable by a Unix path, which Wine maps
// to a drive; Wine's kernel32 does the mapping.
std::wstring WindowsPath(const std::string& path) {
    if (!path.starts_with("/")) {
        return WideFromUtf8(path);
    }
    using UnixToDos = wchar_t* (*)(const char*);
    const auto convert = reinterpret_cast<UnixToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    wchar_t* const converted = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (converted == nullptr) {
        return WideFromUtf8(path);
    }
    std::wstring result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

} // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                         int timeoutSeconds) {
    ChildProcess child(program, arguments, workingDirectory, extraEnvironment);
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::vector<Window> answered; // a window stays on screen for a moment after it was answered
    for (;;) {
        if (const std::optional<int> status = child.Wait(Timeout(10))) {
            result.status = *status;
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            child.Kill();
            return result;
        }
        for (Window window : TopLevelWindows(child.Id())) {
            if (std::find(answered.begin(), answered.end(), window) != answered.end()) {
                continue;
            }
            answered.push_back(window);
            if (!IsMessageBox(window)) {
                // Nobody is there to use it: close it, so that the program ends the way it does for a user.
                result.windows.push_back(WindowText(window));
                if (ClassName(window) == "#32770") {
                    Cancel(window);
                } else {
                    result.mainWindowShown = true;
                    PostMessageW(window, WM_CLOSE, 0, 0);
                }
                continue;
            }
            const std::optional<ShownBox> box = ReadMessageBox(window);
            result.boxes.push_back(*box);
            (box->icon == BoxIcon::Error ? result.err : result.out) += AsPrinted(box->text);
            // A box without OK (never one of ours) is closed as its close button would.
            if (!AnswerMessageBox(window, ids::kOk)) {
                Cancel(window);
            }
        }
    }
}

std::string CopyOfTarvenne(const std::string& directory) {
    const std::string copy = directory + "\\tarvenne.exe";
    if (!CopyFileW(WindowsPath(TARVENNE_EXECUTABLE).c_str(), WideFromUtf8(copy).c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " TARVENNE_EXECUTABLE " to " + copy + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    return copy;
}
