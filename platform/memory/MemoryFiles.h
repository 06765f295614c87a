// Files kept in memory, in place of the file system, for fuzzing the whole run many thousand times a second: a
// build with TARVENNE_MEMORY_FILES reads and writes these instead of files on disk.
#pragma once

#include <optional>
#include <string>

namespace MemoryFiles {

// Puts a file in place with these bytes, replacing one of the same path.
void Put(const std::string& path, std::string bytes);
// The bytes of the file at path, or nothing when there is none.
std::optional<std::string> Get(const std::string& path);
// Removes every file, and every place marked as refusing new files.
void Clear();
// From now on no file can be created whose path begins with prefix.
void Refuse(const std::string& prefix);
// How many files are open for reading or writing: none once every stream is released.
int OpenStreams();

} // namespace MemoryFiles
