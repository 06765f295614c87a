// The joined output text: the same bytes in the same order whether it stays in memory or goes on into the scratch
// file, written whole to every place it is saved to.
#include "JoinedText.h"
#include "FileSystemObject.h"
#include "TestFiles.h"
#include "TextStream.h"

#include "ParamName.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using modCommands::JoinedText;

struct Joining {
    const char* name;
    std::size_t memoryLimit;
    std::size_t sliceSize;
    std::vector<std::size_t> pieces; // the sizes appended, in order
    bool spills;
};

void PrintTo(const Joining& joining, std::ostream* os) {
    *os << joining.name;
}

class JoinedTextTest : public testing::TestWithParam<Joining> {
protected:
    TempDir m_dir;

    // What the stream written from text holds.
    std::string Written(const JoinedText& text, const std::string& name) {
        FileSystemObject fso;
        TextStream stream = fso.CreateTextFile(m_dir / name);
        text.WriteTo(stream);
        stream.Close();
        return ReadFile(m_dir / name).value_or("(not written)");
    }
};

TEST_P(JoinedTextTest, WritesEveryPieceInOrder) {
    const Joining& joining = GetParam();
    JoinedText text(joining.memoryLimit / 3, joining.memoryLimit, joining.sliceSize);
    std::string expected;
    for (std::size_t i = 0; i < joining.pieces.size(); ++i) {
        // Each piece of its own letters, so that a piece out of place or repeated shows.
        std::string piece;
        for (std::size_t j = 0; j < joining.pieces[i]; ++j) {
            piece += static_cast<char>('a' + (i * 7 + j) % 26);
        }
        // Room for more than the piece, as a run asks for it.
        text.Append(piece.size() + 5, [&piece](std::string& out) { out += piece; });
        expected += piece;
    }
    text.Finish();
    EXPECT_EQ(text.Spilled(), joining.spills);
    EXPECT_EQ(text.Size(), expected.size());
    EXPECT_EQ(Written(text, "first.conf"), expected);
    // The fallback place gets the whole text again.
    EXPECT_EQ(Written(text, "second.conf"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, JoinedTextTest,
    testing::Values(Joining{"Empty", 64, 16, {}, false}, Joining{"InMemory", 64, 16, {10, 20, 0, 20}, false},
                    Joining{"UpToTheLimitWithItsRoom", 64, 16, {30, 29}, false},
                    Joining{"OneByteMoreSpills", 64, 16, {30, 30}, true},
                    Joining{"ManySlices", 64, 16, {40, 3, 11, 15, 2, 9, 9, 9, 9, 9, 1, 14, 7, 0, 5}, true},
                    Joining{"PieceLargerThanASlice", 64, 16, {50, 4, 100, 3, 16, 40}, true},
                    Joining{"FirstPieceLargerThanTheLimit", 64, 16, {200, 1}, true},
                    // Past the memory part's first size (half the limit here), up to the limit, then past it.
                    Joining{"MemoryPartGrows", 1 << 20, 4096, {300000, 300000, 300000}, false},
                    Joining{"MemoryPartGrowsThenSpills", 1 << 20, 4096, {300000, 300000, 300000, 300000}, true}),
    ParamName<Joining>);

} // namespace
