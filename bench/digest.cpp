// Times, in processor time, the digest a run takes of both readings of a list: as many bytes as the two readings
// read, digested a read buffer at a time from a buffer in the cache, as the run digests each buffer right after
// reading it. Prints the seconds it took. Usage: digest FILE
#include "Digest.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: digest FILE\n", stderr);
        return 2;
    }
    constexpr std::size_t kBuffer = 256 * 1024;
    std::string buffer(kBuffer, '\0');
    std::ifstream(argv[1], std::ios::binary).read(buffer.data(), kBuffer);
    const std::uintmax_t pieces = 2 * (std::filesystem::file_size(argv[1]) / kBuffer + 1);
    const std::clock_t start = std::clock();
    Digest digest;
    for (std::uintmax_t piece = 0; piece < pieces; ++piece) {
        digest.Add(buffer);
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    // The value is printed, so that the work cannot be left out.
    std::printf("%.4f %d\n", seconds, static_cast<int>(digest.Value() & 1));
    return 0;
}
