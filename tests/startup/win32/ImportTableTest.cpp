// What tarvenne.exe asks of Windows before any of its code runs, read from the image as the loader maps it: the
// version of Windows it says it needs, and every function it imports. A function missing from Windows 7 would stop
// the program there with "entry point not found", even for a silent run.
#include "RunProgram.h"
#include "TestFiles.h"
#include "Unicode.h"

#include <windows.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// Every function the program may import, by DLL, each one checked against what Windows 7 SP1 exports (and msvcrt.dll,
// Windows' own C runtime, as it ships there). A new import fails the test until it has been checked and added here;
// a function newer than Windows 7 is looked up when the program runs instead (window/win32/Win32Dpi.cpp).
const std::map<std::string, std::set<std::string>> kWindows7Functions = {
    // clang-format off
    {"comctl32.dll", {
        "InitCommonControlsEx"
    }},
    {"comdlg32.dll", {
        "GetOpenFileNameW", "GetSaveFileNameW"
    }},
    {"gdi32.dll", {
        "CreateFontIndirectW", "DeleteObject", "GetDeviceCaps", "GetTextExtentPoint32W", "GetTextMetricsW",
        "SelectObject"
    }},
    {"kernel32.dll", {
        "__C_specific_handler", "AddVectoredExceptionHandler", "CloseHandle", "CompareStringOrdinal", "CreateEventA",
        "CreateFileW", "CreateSemaphoreA", "DeleteCriticalSection", "DeleteFileW", "DuplicateHandle",
        "EnterCriticalSection", "FlushFileBuffers", "FormatMessageW", "GetCommandLineW", "GetCurrentProcess",
        "GetCurrentProcessId", "GetCurrentThread", "GetCurrentThreadId", "GetFileAttributesW",
        "GetFileInformationByHandle", "GetFileType", "GetFinalPathNameByHandleW", "GetFullPathNameW",
        "GetHandleInformation", "GetLastError", "GetModuleFileNameW", "GetModuleHandleW", "GetProcAddress",
        "GetProcessAffinityMask", "GetStartupInfoW", "GetSystemTimeAsFileTime", "GetThreadContext", "GetThreadPriority",
        "GetTickCount64", "InitializeCriticalSection", "IsDBCSLeadByteEx", "IsDebuggerPresent", "LeaveCriticalSection",
        "LoadLibraryExW", "LoadLibraryW", "LocalFree", "MoveFileExW", "MulDiv", "MultiByteToWideChar", "OpenProcess",
        "OutputDebugStringA", "RaiseException", "ReadFile", "ReleaseSemaphore", "RemoveVectoredExceptionHandler",
        "ReplaceFileW", "ResetEvent", "ResumeThread", "RtlCaptureContext", "RtlLookupFunctionEntry", "RtlUnwindEx",
        "RtlVirtualUnwind", "SetEvent", "SetFileAttributesW", "SetFileInformationByHandle", "SetFilePointerEx",
        "SetLastError", "SetProcessAffinityMask", "SetThreadContext", "SetThreadPriority",
        "SetUnhandledExceptionFilter", "Sleep", "SuspendThread", "TlsAlloc", "TlsGetValue", "TlsSetValue",
        "TryEnterCriticalSection", "VirtualProtect", "VirtualQuery", "WaitForMultipleObjects", "WaitForSingleObject",
        "WideCharToMultiByte", "WriteFile"
    }},
    {"msvcrt.dll", {
        "___lc_codepage_func", "___mb_cur_max_func", "__iob_func", "__set_app_type", "__setusermatherr",
        "__wgetmainargs", "__winitenv", "_amsg_exit", "_beginthreadex", "_cexit", "_close", "_commode", "_endthreadex",
        "_errno", "_fmode", "_initterm", "_onexit", "_read", "_setjmp", "_strdup", "_ultoa", "_wcmdln", "abort",
        "calloc", "exit", "fprintf", "fputc", "fputs", "fputwc", "free", "fwprintf", "fwrite", "localeconv", "longjmp",
        "malloc", "memchr", "memcmp", "memcpy", "memmove", "memset", "printf", "realloc", "signal", "strcmp",
        "strerror", "strlen", "strncmp", "tolower", "vfprintf", "wcslen", "wcsncpy"
    }},
    {"shell32.dll", {
        "DragAcceptFiles", "DragFinish", "DragQueryFileW"
    }},
    {"user32.dll", {
        "AdjustWindowRectEx", "AppendMenuW", "CreateMenu", "CreatePopupMenu", "CreateWindowExW", "DefWindowProcW",
        "DestroyIcon", "DestroyMenu", "DestroyWindow", "DialogBoxIndirectParamW", "DispatchMessageW", "EndDialog",
        "GetClientRect", "GetDC", "GetMessageW", "GetMonitorInfoW", "GetSysColorBrush", "GetSystemMetrics",
        "GetWindowLongPtrW", "GetWindowRect", "IsDialogMessageW", "IsIconic", "IsWindow", "IsWindowEnabled",
        "IsWindowVisible", "LoadCursorW", "LoadIconW", "LoadImageW", "MapDialogRect", "MessageBeep",
        "MonitorFromWindow", "PostMessageW", "PostQuitMessage", "RegisterClassExW", "ReleaseDC", "SendMessageW",
        "SetFocus", "SetForegroundWindow", "SetWindowLongPtrW", "SetWindowPos", "SetWindowTextW", "ShowWindow",
        "SystemParametersInfoW", "TranslateMessage", "UpdateWindow"
    }},
    // clang-format on
};

// tarvenne.exe mapped as the loader maps it, none of its code run and none of the DLLs it names loaded: its headers
// and tables where their addresses say.
class ImportTableTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_image, nullptr); }
    void TearDown() override {
        if (m_image != nullptr) {
            FreeLibrary(m_image);
        }
    }

    template <typename T> const T* At(std::size_t address) const {
        return reinterpret_cast<const T*>(reinterpret_cast<const char*>(m_image) + address);
    }
    const IMAGE_OPTIONAL_HEADER64& Header() const {
        return At<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(At<IMAGE_DOS_HEADER>(0)->e_lfanew))->OptionalHeader;
    }

    // Each imported function: its DLL's name in small letters, and its own name, or "#" and its ordinal.
    std::vector<std::pair<std::string, std::string>> Imports() const {
        std::vector<std::pair<std::string, std::string>> imports;
        const IMAGE_DATA_DIRECTORY& directory = Header().DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress); dll->Name != 0; ++dll) {
            std::string dllName = At<char>(dll->Name);
            std::transform(dllName.begin(), dllName.end(), dllName.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            for (auto* entry = At<IMAGE_THUNK_DATA64>(dll->OriginalFirstThunk); entry->u1.AddressOfData != 0; ++entry) {
                // An import by ordinal is named by no one: it cannot be checked, and fails the test.
                std::string name = "#";
                if (IMAGE_SNAP_BY_ORDINAL64(entry->u1.Ordinal)) {
                    name += std::to_string(IMAGE_ORDINAL64(entry->u1.Ordinal));
                } else {
                    name = At<IMAGE_IMPORT_BY_NAME>(entry->u1.AddressOfData)->Name;
                }
                imports.emplace_back(dllName, name);
            }
        }
        return imports;
    }

    TempDir m_dir;
    HMODULE m_image =
        LoadLibraryExW(WideFromUtf8(CopyOfTarvenne(m_dir.Path())).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
};

TEST_F(ImportTableTest, SaysItNeedsWindows7) {
    const IMAGE_OPTIONAL_HEADER64& header = Header();
    EXPECT_EQ(header.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(header.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(std::to_string(header.MajorSubsystemVersion) + "." + std::to_string(header.MinorSubsystemVersion), "6.1");
    EXPECT_EQ(std::to_string(header.MajorOperatingSystemVersion) + "." +
                  std::to_string(header.MinorOperatingSystemVersion),
              "6.1");
    EXPECT_EQ(header.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size, 0u) << "nothing loaded late unchecked";
}

TEST_F(ImportTableTest, ImportsOnlyWhatWindows7Has) {
    const auto imports = Imports();
    EXPECT_GT(imports.size(), 50u) << "the table was read";
    for (const auto& [dll, function] : imports) {
        const auto known = kWindows7Functions.find(dll);
        EXPECT_TRUE(known != kWindows7Functions.end() && known->second.contains(function))
            << dll << "!" << function << " is not known to be in Windows 7";
    }
}

} // namespace
