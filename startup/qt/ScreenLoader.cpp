// Reaching the display, loading the on-screen module and the console stand-ins.
#include "ScreenLoader.h"

#include "Process.h"

#include <cstdio>
#include <dlfcn.h>
#include <initializer_list>
#include <string_view>

namespace {

// Where the module is installed, seen from the directory of the installed executable.
#ifndef TARVENNE_MODULE_FROM_BINARY
#define TARVENNE_MODULE_FROM_BINARY "../lib/tarvenne"
#endif

// A line on stderr, in parts. Through the C library rather than std::cerr: <iostream> would be set up before main
// in every run, also in the many that never print.
void PrintError(std::initializer_list<std::string_view> parts) {
    for (const std::string_view part : parts) {
        std::fwrite(part.data(), 1, part.size(), stderr);
    }
    std::fflush(stderr);
}

constexpr const char* kCannotReach = "Tarvenne: the display cannot be reached: ";
constexpr const char* kCannotOpen = "Tarvenne: the display cannot be opened: ";
constexpr const char* kCannotLoad = "Tarvenne: the window module cannot be loaded: ";
constexpr const char* kNoDisplayAvailable = "Tarvenne: no graphical display is available";
constexpr const char* kNoneNamed = " (neither DISPLAY nor WAYLAND_DISPLAY is set)";
constexpr const char* kNoWindow = ", so the main window cannot open.\n"
                                  "To convert without a window: tarvenne -in FILE -out DIRECTORY/ -type yzrk [-s]\n";

void* LoadModule(const std::string& applicationDirectory, std::string& error) {
    // Beside the executable in a build tree; in the library directory once installed.
    for (const std::string& directory :
         {applicationDirectory, applicationDirectory + "/" + TARVENNE_MODULE_FROM_BINARY}) {
        const std::string path = directory + "/" + kScreenModuleName;
        if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return module;
        }
        if (error.empty()) {
            error = ::dlerror();
        }
    }
    return nullptr;
}

} // namespace

ScreenLoader::ScreenLoader(int& argc, char** argv, std::string applicationDirectory)
    : m_argc(argc), m_argv(argv), m_applicationDirectory(std::move(applicationDirectory)) {}

// The module stays loaded: Qt is not made to be unloaded.
ScreenLoader::~ScreenLoader() = default;

Screen* ScreenLoader::Get() {
    if (m_screen) {
        return *m_screen;
    }
    m_screen = nullptr;
    if (!HasDisplay()) {
        return nullptr;
    }
    const DisplayReach reach = ReachDisplay();
    if (!reach.reachable) {
        PrintError({kCannotReach, reach.unreachable, "\n"});
        return nullptr;
    }
    std::string error;
    void* module = LoadModule(m_applicationDirectory, error);
    const auto open =
        module != nullptr ? reinterpret_cast<OpenScreenFunction>(::dlsym(module, kOpenScreenName)) : nullptr;
    if (open == nullptr) {
        PrintError({kCannotLoad, module != nullptr ? std::string_view(::dlerror()) : std::string_view(error), "\n"});
        return nullptr;
    }
    std::string reason;
    m_owned.reset(open(&m_argc, m_argv, reach.platform.c_str(), &reason));
    if (!m_owned) {
        PrintError({kCannotOpen, reason, "\n"});
        return nullptr;
    }
    m_screen = m_owned.get();
    return *m_screen;
}

void OnDemandMessageBox::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    if (Screen* screen = m_loader.Get()) {
        screen->OnScreenMessageBox().MsgBox(prompt, style, title);
    } else {
        m_console.MsgBox(prompt, style, title);
    }
}

void OnDemandMessageBox::ShowWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) {
    if (m_loader.Get() != nullptr) {
        MessageBox::ShowWithDetail(prompt, style, detail);
    } else {
        m_console.MsgBoxWithDetail(prompt, style, detail);
    }
}

void OnDemandMessageBox::Detail(const std::string& line) {
    if (m_loader.Get() == nullptr) {
        m_console.Detail(line);
    }
}

bool OnDemandLauncher::ShowMainWindow() {
    if (Screen* screen = m_loader.Get()) {
        screen->ShowMainWindow(m_applicationDirectory);
        return true;
    }
    PrintError({kNoDisplayAvailable, HasDisplay() ? "" : kNoneNamed, kNoWindow});
    return false;
}
