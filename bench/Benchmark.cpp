// Times the command-line conversion of a generated 1,000,000-line item list, file to file, and reports its
// speed and peak memory against the targets: 0.25 s or less, peak memory under three times the output size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 11;
constexpr double kTargetSeconds = 0.25;
constexpr double kTargetMemoryFactor = 3.0;

// A realistic mix: mostly shortcuts, some docklets, separators and empty lines; about 60 bytes a line.
std::string GenerateItemList() {
    std::string text;
    text.reserve(static_cast<std::size_t>(kLines) * 64);
    for (int i = 0; i < kLines; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 10) {
        case 0:
            text += "-----";
            break;
        case 5:
            break;
        case 3:
            text += "Clock " + n + "\ttype.docklet\tC:\\Dock\\c" + n + ".dll\t-\t\tshow.normal\t00000001\t";
            break;
        case 7:
            text += "Web " + n + "\ttype.app\tC:\\Web\\w.exe\t-new\tC:\\Web\tshow.maximized\t00000000\tC:\\w.ico";
            break;
        default:
            text += "App " + n + "\ttype.app\tC:\\Apps\\a" + n + ".exe\t-\tC:\\Apps\tshow.normal\t00000000\tC:\\a.ico";
            break;
        }
        text += "\r\n";
    }
    return text;
}

struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

Run Convert(const std::string& program, const std::string& input, const std::string& outDir) {
    std::vector<std::string> args{program, "-in", input, "-out", outDir, "-type", "yzrk", "-s"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string variable = *e;
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("WAYLAND_DISPLAY=")) {
            env.push_back(variable);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : env) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Summary {
    double median;
    double best;
    double worst;
    long peakKiB;
};

Summary Summarise(const std::vector<Run>& runs) {
    std::vector<double> seconds;
    long peakKiB = 0;
    for (const Run& run : runs) {
        seconds.push_back(run.seconds);
        peakKiB = std::max(peakKiB, run.peakKiB);
    }
    std::sort(seconds.begin(), seconds.end());
    return {seconds[seconds.size() / 2], seconds.front(), seconds.back(), peakKiB};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-TARVENNE\n", argv[0]);
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    char pattern[] = "/tmp/tarvennebenchXXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string dir = pattern;
    const std::string input = dir + "/itemlist.ini";
    {
        const std::string text = GenerateItemList();
        std::ofstream(input, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    // A first run that is not counted warms the caches. Then the timed runs: into an empty directory, the usual
    // case, and replacing an existing output of the same size, which adds the removal of the old file.
    const std::string output = dir + "/itemlist.conf";
    Convert(program, input, dir + "/");
    std::vector<Run> fresh;
    std::vector<Run> replacing;
    for (int i = 0; i < kRuns; ++i) {
        std::filesystem::remove(output);
        fresh.push_back(Convert(program, input, dir + "/"));
        replacing.push_back(Convert(program, input, dir + "/"));
        if (fresh.back().status != 0 || replacing.back().status != 0) {
            std::fprintf(stderr, "a run ended with status %d\n",
                         std::max(fresh.back().status, replacing.back().status));
            std::filesystem::remove_all(dir);
            return 1;
        }
    }
    const auto inputBytes = std::filesystem::file_size(input);
    const auto outputBytes = std::filesystem::file_size(output);
    std::filesystem::remove_all(dir);

    const Summary newFile = Summarise(fresh);
    const Summary replaced = Summarise(replacing);
    const double peakBytes = static_cast<double>(std::max(newFile.peakKiB, replaced.peakKiB)) * 1024;
    const double factor = peakBytes / static_cast<double>(outputBytes);
    const bool fastEnough = newFile.median <= kTargetSeconds && replaced.median <= kTargetSeconds;
    const bool smallEnough = factor < kTargetMemoryFactor;

    std::printf("input:     %d lines, %.1f MB\n", kLines, static_cast<double>(inputBytes) / 1e6);
    std::printf("output:    %.1f MB\n", static_cast<double>(outputBytes) / 1e6);
    std::printf("new file:  median %.3f s, best %.3f s, worst %.3f s over %d runs\n", newFile.median, newFile.best,
                newFile.worst, kRuns);
    std::printf("replacing: median %.3f s, best %.3f s, worst %.3f s over %d runs\n", replaced.median, replaced.best,
                replaced.worst, kRuns);
    std::printf("time:      target %.2f s for both medians: %s\n", kTargetSeconds, fastEnough ? "met" : "MISSED");
    std::printf("speed:     %.2f million lines per second (new file, median)\n", kLines / newFile.median / 1e6);
    std::printf("memory:    peak %.1f MB, %.2f times the output (target under %.1f): %s\n", peakBytes / 1e6, factor,
                kTargetMemoryFactor, smallEnough ? "met" : "MISSED");
    return fastEnough && smallEnough ? 0 : 1;
}
