// Reaching the display, loading the on-screen module, and the console in its place.
#include "ScreenLoader.h"

#include "Display.h"

#include <dlfcn.h>
#include <utility>

namespace {

// Where the module is installed, seen from the directory of the installed executable.
#ifndef TARVENNE_MODULE_FROM_BINARY
#define TARVENNE_MODULE_FROM_BINARY "../lib/tarvenne"
#endif

constexpr const char* kCannotReach = "Tarvenne: the display cannot be reached: ";
constexpr const char* kCannotOpen = "Tarvenne: the display cannot be opened: ";
constexpr const char* kCannotLoad = "Tarvenne: the window module cannot be loaded: ";
constexpr const char* kNoDisplayAvailable = "Tarvenne: no graphical display is available";
constexpr const char* kNoneNamed = " (neither DISPLAY nor WAYLAND_DISPLAY is set)";
constexpr const char* kNoWindow = ", so the main window cannot open.\n"
                                  "To convert without a window: tarvenne -in FILE -out DIRECTORY/ -type yzrk [-s]";
constexpr std::size_t kReasonSize = 512;

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
ScreenLoader::~ScreenLoader() {
    if (m_screen) {
        m_screen->close();
    }
}

const TarvenneScreen* ScreenLoader::Get() {
    if (!std::exchange(m_tried, true)) {
        m_screen = Open();
    }
    return m_screen ? &*m_screen : nullptr;
}

std::optional<TarvenneScreen> ScreenLoader::Open() {
    if (!HasDisplay()) {
        return std::nullopt;
    }
    const DisplayReach reach = ReachDisplay();
    if (!reach.reachable) {
        Detail(kCannotReach + reach.unreachable);
        return std::nullopt;
    }
    std::string error;
    void* module = LoadModule(m_applicationDirectory, error);
    const auto open =
        module != nullptr ? reinterpret_cast<decltype(&TarvenneOpenScreen)>(::dlsym(module, kOpenScreenName)) : nullptr;
    if (open == nullptr) {
        Detail(kCannotLoad + (module != nullptr ? std::string(::dlerror()) : error));
        return std::nullopt;
    }
    TarvenneScreen screen{};
    char reason[kReasonSize] = {};
    if (open(&m_argc, m_argv, reach.platform.c_str(), &screen, reason, sizeof reason) == 0) {
        Detail(kCannotOpen + std::string(reason));
        return std::nullopt;
    }
    return screen;
}

void ScreenLoader::Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) {
    if (const TarvenneScreen* screen = Get()) {
        screen->msgBox(prompt.c_str(), static_cast<int>(style), title.c_str());
    } else {
        m_console.MsgBox(prompt, style, title);
    }
}

void ScreenLoader::MsgBoxWithDetail(const std::string& prompt, MsgBoxStyle style, const std::string& detail) {
    if (Get() != nullptr) {
        MessageBox::MsgBoxWithDetail(prompt, style, detail);
    } else {
        m_console.MsgBoxWithDetail(prompt, style, detail);
    }
}

void ScreenLoader::Detail(const std::string& line) {
    m_console.Detail(line);
}

bool ScreenLoader::Print(const std::string& text) {
    return m_console.Print(text);
}

bool ScreenLoader::ShowMainWindow(const std::string& inputPath) {
    if (const TarvenneScreen* screen = Get()) {
        screen->showMainWindow(m_applicationDirectory.c_str(), inputPath.c_str());
        return true;
    }
    Detail(kNoDisplayAvailable + std::string(HasDisplay() ? "" : kNoneNamed) + kNoWindow);
    return false;
}
