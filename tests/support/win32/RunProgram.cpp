// The real executable as a child process on Windows: its windows are answered as they come, and its boxes' texts
// collected as the program prints them on Linux.
#include "RunProgram.h"

#include "ChildProcess.h"
#include "Unicode.h"
#include "WindowDriver.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

using namespace win32test;

namespace {

// A box's prompt as the console prints it: CR LF becomes LF, and a line break ends it.
std::string AsPrinted(std::string prompt) {
    for (std::size_t at; (at = prompt.find("\r\n")) != std::string::npos;) {
        prompt.erase(at, 1);
    }
    return prompt + "\n";
}

// The console prints the error boxes on stderr. Which box has the error icon is the style's business, tested
// in-process; here the program's two error messages are told by their opening words.
bool IsError(const std::string& prompt) {
    return prompt.starts_with("The conversion failed") || prompt.starts_with("Error in command line arguments");
}

} // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment,
                         int timeoutSeconds) {
    if (!extraEnvironment.empty()) {
        throw std::invalid_argument("RunProgram on Windows runs the program in the test's own environment");
    }
    ChildProcess child(program, arguments, workingDirectory);
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::vector<Window> answered; // a window stays on screen for a moment after it was answered
    while (std::chrono::steady_clock::now() < deadline) {
        if (const std::optional<int> status = child.Wait(Timeout(10))) {
            result.status = *status;
            return result;
        }
        for (Window window : TopLevelWindows(child.Id())) {
            if (std::find(answered.begin(), answered.end(), window) != answered.end()) {
                continue;
            }
            answered.push_back(window);
            if (IsMessageBox(window)) {
                const ShownBox box{WindowText(window), MessageBoxText(window)};
                result.boxes.push_back(box);
                (IsError(box.text) ? result.err : result.out) += AsPrinted(box.text);
                PressButton(window, kOk);
                continue;
            }
            // Nobody is there to use it: close it, so that the program ends the way it does for a user.
            result.windows.push_back(WindowText(window));
            if (ClassName(window) == "#32770") {
                Cancel(window);
            } else {
                result.mainWindowShown = true;
                PostMessageW(window, WM_CLOSE, 0, 0);
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
