// Waiting for something a program under test does, with a deadline, so that a test fails instead of hanging.
#pragma once

#include <chrono>
#include <thread>

// Calls find until it returns something (true, a window, a text) or the timeout passes, and returns its last answer.
template <typename Find> auto Poll(std::chrono::milliseconds timeout, Find find) -> decltype(find()) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto found = find();
    for (; !found && std::chrono::steady_clock::now() < deadline; found = find()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return found;
}
