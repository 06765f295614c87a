// Fuzzes the item conversion on arbitrary bytes.
// It fails only with one of its two error kinds, exactly when a plain reading of the fields says it must; otherwise
// it returns the reference section, whose lines (for a line without line breaks in it) each end with CR LF, the
// first being "[RKDockItem]".
#include "Error.h"
#include "FuzzCheck.h"
#include "ReferenceConversion.h"
#include "YzLineToRK.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::optional<ErrorKind> expectedFailure = reference::Failure(line);
    std::string block;
    try {
        block = modCommands::YzLineToRK(line);
    } catch (const modCommands::ItemError& error) {
        FUZZ_CHECK(expectedFailure == (error.ItemKind() == modCommands::ItemError::Kind::MissingField
                                           ? ErrorKind::MissingField
                                           : ErrorKind::ShowFieldTooShort));
        return 0;
    }
    FUZZ_CHECK(!expectedFailure);
    FUZZ_CHECK(block == reference::Convert(line));
    FUZZ_CHECK(block.size() <= line.size() + modCommands::kLongestBlockOverhead);
    if (line.empty()) {
        FUZZ_CHECK(block.empty());
        return 0;
    }
    FUZZ_CHECK(block.starts_with("[RKDockItem]\r\n"));
    FUZZ_CHECK(block.ends_with("\r\n"));
    if (line.find_first_of("\r\n") == std::string::npos) {
        // Every line of the section ends with CR LF: no lone CR or LF anywhere in it.
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (block[i] == '\r') {
                FUZZ_CHECK(i + 1 < block.size() && block[i + 1] == '\n');
            } else if (block[i] == '\n') {
                FUZZ_CHECK(i > 0 && block[i - 1] == '\r');
            }
        }
    }
    return 0;
}
