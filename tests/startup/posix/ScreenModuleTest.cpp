// The on-screen module through its C entry point, loaded into this process as the program loads it: the window system
// the user asks for wins over the one the display check found, and a display that Qt cannot open gives Qt's reason,
// with nothing shown.
#include "ScreenModule.h"
#include "PosixProgram.h"
#include "TestFiles.h"

#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

class ScreenModuleTest : public testing::Test {
protected:
    void SetUp() override {
        AddScreenModule(m_dir.Path());
        // Never unloaded, as in the program: Qt is not made to be unloaded.
        void* module = ::dlopen((m_dir / kScreenModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << ::dlerror();
        m_open = reinterpret_cast<decltype(&TarvenneOpenScreen)>(::dlsym(module, kOpenScreenName));
        ASSERT_NE(m_open, nullptr);
        // No display at all: only offscreen can open.
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("XDG_RUNTIME_DIR", MakeRuntimeDirectory(m_dir.Path()).c_str(), 1);
    }

    int Open(const char* platform) {
        return m_open(&m_argc, m_argv, platform, &m_screen, m_reason, sizeof m_reason, nullptr, nullptr);
    }

    TempDir m_dir;
    decltype(&TarvenneOpenScreen) m_open = nullptr;
    char m_name[9] = "tarvenne";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    TarvenneScreen m_screen{};
    char m_reason[512] = {};
};

TEST_F(ScreenModuleTest, TheWindowSystemTheUserAsksForWins) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ASSERT_EQ(Open("xcb"), 1) << m_reason;
    m_screen.close();
}

TEST_F(ScreenModuleTest, ADisplayQtCannotOpenGivesQtsReason) {
    ::unsetenv("QT_QPA_PLATFORM");
    EXPECT_EQ(Open("xcb"), 0);
    EXPECT_NE(std::string(m_reason).find("could not connect to display"), std::string::npos) << m_reason;
}

} // namespace
