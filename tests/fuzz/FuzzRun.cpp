// Fuzzes the whole conversion run on arbitrary file contents, through the text-file layer, into a temporary
// directory. The file written is the item conversions of the lines joined, each followed by CR LF; when a line
// cannot be converted the run fails with that line's number and kind, and nothing is written.
#include "Error.h"
#include "Fakes.h"
#include "FuzzCheck.h"
#include "ReferenceConversion.h"
#include "modCommands.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A scratch directory for the whole fuzzing session, removed when it ends.
class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvenne_fuzz_XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        m_path = pattern;
        std::filesystem::create_directory(m_path + "/out");
        std::filesystem::create_directory(m_path + "/app");
    }
    ~Scratch() { std::filesystem::remove_all(m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& WorkDirectory() {
    static const Scratch scratch;
    return scratch.Path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string input = WorkDirectory() + "/itemlist.ini";
    const std::string output = WorkDirectory() + "/out/itemlist.conf";
    std::ofstream(input, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(size));
    std::filesystem::remove(output);

    std::string expected;
    int failingLine = 0;
    ErrorKind failingKind{};
    const auto lines = reference::Lines(content);
    for (std::size_t i = 0; i < lines.size() && failingLine == 0; ++i) {
        if (const auto failure = reference::Failure(lines[i])) {
            failingLine = static_cast<int>(i) + 1;
            failingKind = *failure;
        } else {
            expected += reference::Convert(lines[i]) + "\r\n";
        }
    }

    FakeMessageBox box;
    try {
        modCommands::RunYzToRK(input, WorkDirectory() + "/out/", {box, nullptr, WorkDirectory() + "/app"});
    } catch (const Error& error) {
        FUZZ_CHECK(failingLine != 0);
        FUZZ_CHECK(error.Kind() == failingKind);
        FUZZ_CHECK(error.LineNumber() == failingLine);
        FUZZ_CHECK(!std::filesystem::exists(output));
        return 0;
    }
    FUZZ_CHECK(failingLine == 0);
    FUZZ_CHECK(box.shown.empty());
    std::ifstream file(output, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    FUZZ_CHECK(written == expected);
    return 0;
}
