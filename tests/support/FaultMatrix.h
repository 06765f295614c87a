// The fixture of the fault matrix: an item list to convert and an existing itemlist.conf that no failure may touch,
// with the texts the program answers in.
#pragma once

#include "ProgramFixture.h"

#include <string>
#include <vector>

using namespace std::string_literals;

inline const std::string kItem = "Editor\ttype.app\tC:\\e.exe\t-\t\t12345normal\t1";
inline const std::string kItemBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Editor\r\nlink = C:\\e.exe\r\nshow = normal\r\n\r\n";
inline const std::string kSepBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
inline const std::string kPrecious = "[RKDockItem]\r\nname = kept from before\r\n\r\n";
inline const std::string kCommandLineError = "Error in command line arguments. Full program will run.\n";
inline const std::string kFallback = "No directory selected. Saving in application directory.\n";
inline const std::string kFailed = "The conversion failed; nothing was written.\n";

inline std::string Repeat(const std::string& text, int times) {
    std::string result;
    result.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

// The text with every {in} and {out} replaced by in and out.
inline std::string Fill(std::string text, const std::string& in, const std::string& out) {
    for (const auto& [mark, value] : {std::pair{std::string("{in}"), in}, std::pair{std::string("{out}"), out}}) {
        for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
            text = text.substr(0, at) + value + text.substr(at + mark.size());
        }
    }
    return text;
}

class FaultMatrix : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        WriteFile(m_out + "itemlist.conf", kPrecious);
        WriteFile(m_input, kItem + "\r\n");
    }

    // The argument text handed over exactly: cut at every space into arguments, which the program joins again.
    ProgramResult RunText(const std::string& text, const std::vector<std::string>& environment = {}) {
        std::vector<std::string> arguments;
        if (!text.empty()) {
            std::size_t start = 0;
            for (std::size_t space; (space = text.find(' ', start)) != std::string::npos; start = space + 1) {
                arguments.push_back(text.substr(start, space - start));
            }
            arguments.push_back(text.substr(start));
        }
        return Run(arguments, environment);
    }
    ProgramResult Convert(const std::string& input, const std::string& out,
                          const std::vector<std::string>& environment = {}, bool silent = true) {
        return RunText("-in " + input + " -out " + out + " -type yzrk" + (silent ? " -s" : ""), environment);
    }

    // A failed conversion says why on stderr, with or without -s, never confirms, and changes nothing.
    void ExpectFailure(const std::string& input, const std::string& reason) {
        for (const bool silent : {true, false}) {
            const ProgramResult result = Convert(input, m_out, {}, silent);
            EXPECT_EQ(result.status, 1) << silent;
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(result.err.starts_with(kFailed + "\nInput file: " + input + "\n")) << result.err;
            EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
            ExpectNothingChanged();
        }
    }

    // The first place failed: the application directory took the file, and the old one is as it was. In a box the
    // message goes on with why and where the file goes now; on the console those lines are on stderr.
    void ExpectFellBack(const ProgramResult& result) {
        EXPECT_EQ(result.status, 3);
        EXPECT_TRUE(kConsoleMessages ? result.out == kFallback : result.out.starts_with(kFallback + "\n"))
            << result.out;
        EXPECT_EQ(ReadFile(InApp("itemlist.conf")), kItemBlock);
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
    }

    void ExpectNothingChanged() {
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
        EXPECT_EQ(ListDirectory(m_app), kTarvenneFileName);
    }
};
