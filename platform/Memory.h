// Hints to the system about how the program uses its memory.
#pragma once

#include <cstddef>

// Asks the system to back a large buffer that is about to be filled with huge pages where it can. Filling such a
// buffer then takes far fewer page faults, and writing it to a file fewer address translations. Only a hint: it
// changes nothing about what the buffer holds, and is ignored where it is not supported.
void AdviseLargeBuffer(char* data, std::size_t size);
