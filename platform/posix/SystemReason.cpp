// The system's reason for an errno value.
#include "Error.h"

#include <cstring>

std::string SystemReason(int errorNumber) {
    return std::strerror(errorNumber);
}
