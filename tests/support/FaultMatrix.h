// The fixture of the fault matrix on the real executable: an item list to convert and an existing itemlist.conf that
// no failure may touch, with the texts the program answers in.
#pragma once

#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <string>
#include <vector>

inline const std::string kFallback = "No directory selected. Saving in application directory.\n";
inline const std::string kFailed = "The conversion failed; nothing was written.\n";

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
