// What the user is told when a conversion fails: the same words in the window and from the command line.
#pragma once

#include <exception>
#include <string>

// Why a run failed, as one sentence: the line and what is wrong with it, or what could not be read or written with
// the system's reason. A reason that ends with a full stop of its own does not get a second one.
std::string FailureReason(const std::exception& error);

// The whole message: that nothing was written, the input file, then the reason.
std::string FailureMessage(const std::string& inputPath, const std::string& reason);

// A reason without the full stops and spaces it ends with, to end a sentence of ours (Windows' reasons bring one).
std::string WithoutFinalStop(std::string reason);
