// Memory hints on Windows: none. Large pages need a privilege that a user's program does not hold, so the advice
// has nothing to ask for.
#include "Memory.h"

void AdviseLargeBuffer(char* /*data*/, std::size_t /*size*/) {}
