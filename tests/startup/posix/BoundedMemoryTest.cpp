// The real executable on inputs whose output is far larger than it may hold in memory, and on lines too long to
// hold: its peak memory, the output byte for byte, an existing itemlist.conf kept when the run fails, and nothing
// left in the temporary folder, also when the run is killed.
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "TextStream.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

namespace {

// What the run may hold at most. The sanitizers' allocator keeps freed memory aside for a while and adds its own
// bookkeeping, so there the bound is the one promised for any input; otherwise it is well below the output's size,
// so that an output held whole in memory fails.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakBoundKiB = 512 * 1000;
#else
constexpr long kPeakBoundKiB = 300 * 1000;
#endif

// One-word lines, each a separator section: 6,000,000 of them (12 MB) make 294 MB of output.
constexpr std::size_t kWordLines = 6'000'000;
const std::string kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n\r\n";
const std::string kOld = "[RKDockItem]\r\nname = kept from before\r\n\r\n";
// Items around the one-word lines, so that the parts of the output cannot change places unseen.
const std::string kFirstItem = "First\ttype.app\tC:\\f.exe\t-\t\t12345normal\t1\n";
const std::string kFirstBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = First\r\nlink = C:\\f.exe\r\nshow = normal\r\n\r\n";
const std::string kLastItem = "Last\ttype.app\tC:\\l.exe\t-\t\t12345normal\t1\n";
const std::string kLastBlock =
    "[RKDockItem]\r\ntype = shortcut\r\nname = Last\r\nlink = C:\\l.exe\r\nshow = normal\r\n\r\n";

struct Measured {
    int status = -1; // the exit status, or -1 when the program did not exit by itself
    long peakKiB = 0;
    std::string err;
};

// Waits for a child started by StartProgram with its stderr in errPath, and reads its peak memory.
Measured Finish(pid_t child, const std::string& errPath) {
    rusage usage{};
    const int status = WaitForProgram(child, 120, &usage);
    if (status == -1) {
        ADD_FAILURE() << "the program did not end within 120 s";
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss, ReadFile(errPath).value_or("")};
}

// first, then block count times over, then last, and nothing else.
bool IsRepeated(const std::string& text, const std::string& first, const std::string& block, std::size_t count,
                const std::string& last) {
    if (text.size() != first.size() + block.size() * count + last.size() || !text.starts_with(first) ||
        !text.ends_with(last)) {
        return false;
    }
    for (std::size_t at = first.size(); at < first.size() + block.size() * count; at += block.size()) {
        if (std::memcmp(text.data() + at, block.data(), block.size()) != 0) {
            return false;
        }
    }
    return true;
}

class BoundedMemory : public ProgramFixture {
protected:
    std::string m_tmp = m_dir / "tmp";
    std::string m_err = m_dir / "stderr";

    void SetUp() override {
        ProgramFixture::SetUp();
        std::filesystem::create_directory(m_tmp);
        WriteFile(m_out + "itemlist.conf", kOld);
    }

    pid_t Start(const std::vector<std::string>& environment) {
        return StartProgram(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path(), environment,
                            {}, m_err);
    }

    static std::string WordLines(std::size_t count) {
        std::string lines;
        lines.reserve(count * 2);
        for (std::size_t i = 0; i < count; ++i) {
            lines += "s\n";
        }
        return lines;
    }
};

struct Spill {
    const char* name;
    bool badLastLine; // the run fails once the text is in the scratch file
    bool noUnnamedFiles;
    bool tmpdirMissing; // TMPDIR names no directory: the usual places serve
};

void PrintTo(const Spill& c, std::ostream* os) {
    *os << c.name;
}

class OutputLargerThanMemory : public BoundedMemory, public testing::WithParamInterface<Spill> {};

TEST_P(OutputLargerThanMemory, IsWrittenWholeWithinTheBound) {
    const Spill& c = GetParam();
    WriteFile(m_input, kFirstItem + WordLines(kWordLines) + kLastItem + (c.badLastLine ? "Editor\ttype.app\n" : ""));
    std::vector<std::string> environment{"TMPDIR=" + (c.tmpdirMissing ? m_dir / "missing" : m_tmp)};
    if (c.noUnnamedFiles) {
        environment = WithSeam({environment.front(), "TARVENNE_TEST_NO_TMPFILE=1"});
    }
    const Measured run = Finish(Start(environment), m_err);

    EXPECT_LT(run.peakKiB, kPeakBoundKiB);
    EXPECT_EQ(ListDirectory(m_tmp), "");
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    if (c.badLastLine) {
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("Line " + std::to_string(kWordLines + 3) + " is missing a field."), std::string::npos)
            << run.err;
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kOld);
        return;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(IsRepeated(ReadFile(m_out + "itemlist.conf").value_or(""), kFirstBlock, kSeparatorBlock, kWordLines,
                           kLastBlock));
}

INSTANTIATE_TEST_SUITE_P(Runs, OutputLargerThanMemory,
                         testing::Values(Spill{"Written", false, false, false},
                                         Spill{"FailsOnItsLastLine", true, false, false},
                                         Spill{"WhereNoFileIsUnnamed", false, true, false},
                                         Spill{"WithoutItsTemporaryFolder", false, false, true}),
                         [](const testing::TestParamInfo<Spill>& param) { return std::string(param.param.name); });

// Killed while it writes, with the text in the scratch file: the scratch file never had a name, so nothing is left.
TEST_F(BoundedMemory, ScratchFileGoesWithAKilledRun) {
    WriteFile(m_input, WordLines(kWordLines));
    const pid_t child = Start(WithSeam({"TMPDIR=" + m_tmp, "TARVENNE_TEST_HOLD_SYNC=1"}));
    const auto holdsScratchFile = [&] {
        for (const std::string& file : OpenFilesOf(child)) {
            if (file.starts_with(m_tmp + "/") && file.ends_with(" (deleted)")) {
                return true;
            }
        }
        return false;
    };
    // The output is synced (and held there) only once it is written whole, the scratch file still open.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool held = false;
    while (!(held = holdsScratchFile()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(held) << "the program never held an unnamed file in " << m_tmp;
    ::kill(child, SIGKILL);
    const Measured run = Finish(child, m_err);
    EXPECT_EQ(run.status, -1);
    EXPECT_EQ(ListDirectory(m_tmp), "");
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kOld);
}

// The longest line a run takes, and one byte more: refused, naming the line, before it is held whole.
struct LongLine {
    const char* name;
    std::string before; // lines before the long one
    std::size_t length;
    const char* after;
    int line; // the line refused, or 0 when the run succeeds
};

void PrintTo(const LongLine& c, std::ostream* os) {
    *os << c.name;
}

class LongLines : public BoundedMemory, public testing::WithParamInterface<LongLine> {};

TEST_P(LongLines, AreConvertedUpToTheLimit) {
    const LongLine& c = GetParam();
    WriteFile(m_input, c.before + std::string(c.length, 'x') + c.after);
    const Measured run = Finish(Start({"TMPDIR=" + m_tmp}), m_err);

    EXPECT_LT(run.peakKiB, kPeakBoundKiB);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    if (c.line == 0) {
        EXPECT_EQ(run.status, 0) << run.err;
        // A line without TAB is a separator, however long.
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kSeparatorBlock);
        return;
    }
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Line " + std::to_string(c.line) + " is longer than 64 MiB"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kOld);
}

constexpr std::size_t kLongest = TextStream::kLongestLine;

INSTANTIATE_TEST_SUITE_P(Lengths, LongLines,
                         testing::Values(LongLine{"LongestAtTheEnd", "", kLongest, "", 0},
                                         LongLine{"LongestWithItsBreak", "", kLongest, "\r\n", 0},
                                         LongLine{"OneByteLonger", "", kLongest + 1, "", 1},
                                         LongLine{"LongerAfterAnother", "\r\n", kLongest + 1, "\r\n", 2},
                                         LongLine{"FarLongerWithoutBreak", "", 3 * kLongest, "", 1}),
                         [](const testing::TestParamInfo<LongLine>& param) { return std::string(param.param.name); });

} // namespace
