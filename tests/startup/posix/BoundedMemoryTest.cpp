// The real executable on inputs whose output is far larger than it may hold in memory, and on lines too long to
// hold: its peak memory, the output byte for byte, and an existing itemlist.conf kept when the run fails.
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "TextStream.h"
#include "WorkedExample.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

// What the run may hold at most: its read buffer and its longest line, whatever the size of the output; with lines
// near the longest a line may be, that line and its converted block. The sanitizers' allocator keeps freed memory
// aside for a while and adds its own bookkeeping.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakBoundKiB = 128 * 1000;
constexpr long kLongLinePeakBoundKiB = 512 * 1000;
#else
constexpr long kPeakBoundKiB = 64 * 1000;
constexpr long kLongLinePeakBoundKiB = 200 * 1000;
#endif

// One-word lines, each a separator section: 6,000,000 of them (12 MB) make 294 MB of output.
constexpr std::size_t kWordLines = 6'000'000;
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
    std::string m_err = m_dir / "stderr";

    void SetUp() override {
        ProgramFixture::SetUp();
        WriteFile(m_out + "itemlist.conf", kPrecious);
    }

    pid_t Start(const std::vector<std::string>& environment) {
        return StartProgram(m_exe, {"-in", m_input, "-out", m_out, "-type", "yzrk", "-s"}, m_dir.Path(), environment,
                            {}, m_err);
    }

    // Writes the input in pieces, each text the given number of times, so that this test does not hold it: the
    // program's peak memory as the system reports it includes what the test held when it started the program.
    void WriteInput(const std::vector<std::pair<std::string, std::size_t>>& pieces) {
        std::ofstream file(m_input, std::ios::binary | std::ios::trunc);
        for (const auto& [text, times] : pieces) {
            for (std::size_t i = 0; i < times; ++i) {
                file << text;
            }
        }
        ASSERT_TRUE(file.good());
    }
};

class OutputLargerThanMemory : public BoundedMemory, public testing::WithParamInterface<bool> {};

// With or without a line that cannot be converted at the very end, found before anything is written.
TEST_P(OutputLargerThanMemory, IsWrittenWholeWithinTheBound) {
    const bool badLastLine = GetParam();
    WriteInput({{kFirstItem, 1}, {"s\n", kWordLines}, {kLastItem, 1}, {"Editor\ttype.app\n", badLastLine ? 1 : 0}});
    const Measured run = Finish(Start({}), m_err);

    EXPECT_LT(run.peakKiB, kPeakBoundKiB);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    if (badLastLine) {
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("Line " + std::to_string(kWordLines + 3) + " is missing a field."), std::string::npos)
            << run.err;
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
        return;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(
        IsRepeated(ReadFile(m_out + "itemlist.conf").value_or(""), kFirstBlock, kSepBlock, kWordLines, kLastBlock));
}

INSTANTIATE_TEST_SUITE_P(Runs, OutputLargerThanMemory, testing::Bool(), [](const testing::TestParamInfo<bool>& param) {
    return std::string(param.param ? "FailsOnItsLastLine" : "Written");
});

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
    constexpr std::size_t kMiB = 1024 * 1024;
    WriteInput({{c.before, 1},
                {std::string(kMiB, 'x'), c.length / kMiB},
                {std::string(c.length % kMiB, 'x'), 1},
                {c.after, 1}});
    const Measured run = Finish(Start({}), m_err);

    EXPECT_LT(run.peakKiB, kLongLinePeakBoundKiB);
    EXPECT_EQ(ListDirectory(m_out), "itemlist.conf");
    if (c.line == 0) {
        EXPECT_EQ(run.status, 0) << run.err;
        // A line without TAB is a separator, however long.
        EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kSepBlock);
        return;
    }
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Line " + std::to_string(c.line) + " is longer than 64 MiB"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kPrecious);
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
