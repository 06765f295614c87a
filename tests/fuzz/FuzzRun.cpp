// Fuzzes the whole conversion run on arbitrary file contents, through the text-file layer, over files kept in memory,
// so that it runs many thousand times a second. The file written is the item
// conversions of the lines joined, each followed by CR LF; when a line cannot be converted the run fails with that
// line's number and kind, and the file that was there stays as it was. A byte-order mark is dealt with first. Every
// stream is released either way. Some inputs find the output directory refusing new files: the file then goes to the
// application directory.
#include "Error.h"
#include "Fakes.h"
#include "FuzzCheck.h"
#include "MemoryFiles.h"
#include "ReferenceConversion.h"
#include "modCommands.h"

#include <cstdint>
#include <string>

namespace {

const std::string kInput = "/dock/itemlist.ini";
const std::string kOutputDirectory = "/out/";
const std::string kOutput = "/out/itemlist.conf";
const std::string kApplicationDirectory = "/app";
const std::string kFallbackOutput = "/app/itemlist.conf";
const std::string kPrecious = "[RKDockItem]\r\nname = kept from before\r\n\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    MemoryFiles files;
    files.Put(kInput, content);
    files.Put(kOutput, kPrecious);
    // One input in seven, chosen by its size, finds the output directory refusing new files.
    const bool refused = size % 7 == 3;
    if (refused) {
        files.Fail(kOutputDirectory, MemoryFiles::Failure::Refuse);
    }

    std::string expected;
    int failingLine = 0;
    ErrorKind failingKind{};
    auto lines = reference::Lines(content);
    // A UTF-8 byte-order mark is no part of the first item; a UTF-16 one makes the whole list no item list.
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
        failingLine = 1;
        failingKind = ErrorKind::Utf16Text;
    } else if (!lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) {
        lines[0].remove_prefix(3);
    }
    for (std::size_t i = 0; i < lines.size() && failingLine == 0; ++i) {
        if (const auto failure = reference::Failure(lines[i])) {
            failingLine = static_cast<int>(i) + 1;
            failingKind = *failure;
        } else {
            expected += reference::Convert(lines[i]) + "\r\n";
        }
    }

    FakeMessageBox box;
    modCommands::SavedFile saved;
    try {
        saved = modCommands::RunYzToRK(kInput, kOutputDirectory, {box, nullptr, kApplicationDirectory, &files});
    } catch (const Error& error) {
        FUZZ_CHECK(failingLine != 0);
        FUZZ_CHECK(error.Kind() == failingKind);
        FUZZ_CHECK(error.LineNumber() == failingLine);
        FUZZ_CHECK(files.Get(kOutput) == kPrecious);
        FUZZ_CHECK(!files.Get(kFallbackOutput));
        FUZZ_CHECK(box.shown.empty());
        FUZZ_CHECK(files.OpenStreams() == 0);
        return 0;
    }
    FUZZ_CHECK(failingLine == 0);
    FUZZ_CHECK(files.OpenStreams() == 0);
    if (refused) {
        FUZZ_CHECK(saved.inApplicationDirectory && saved.path == kFallbackOutput);
        FUZZ_CHECK(box.shown.size() == 1);
        FUZZ_CHECK(files.Get(kOutput) == kPrecious);
        FUZZ_CHECK(files.Get(kFallbackOutput) == expected);
    } else {
        FUZZ_CHECK(!saved.inApplicationDirectory && saved.path == kOutput);
        FUZZ_CHECK(box.shown.empty());
        FUZZ_CHECK(files.Get(kOutput) == expected);
    }
    return 0;
}
