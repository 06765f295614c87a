// Times the command-line conversion, file to file, whole process: a 50-line item list side by side with the awk
// script of the same conversion in bench/ (target: no slower than it), a generated 1,000,000-line item list
// against the targets of 0.25 s or less and peak memory under three times the output size, and the peak memory of
// a 100 MB list of one-word lines, whose output (2.45 GB) is far larger than the run may hold (target: under
// 512 MB).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 11;
constexpr int kSmallLines = 50;
constexpr int kSmallRuns = 301;
constexpr double kTargetRatio = 1.0;
constexpr double kTargetSeconds = 0.25;
constexpr double kTargetMemoryFactor = 3.0;
// One-word lines: each becomes a 49-byte separator section.
constexpr std::size_t kHugeInputBytes = 100'000'000;
constexpr double kTargetHugePeakBytes = 512e6;

// A realistic mix: mostly shortcuts, some docklets, separators and empty lines; about 60 bytes a line.
std::string GenerateItemList(int lines) {
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 64);
    for (int i = 0; i < lines; ++i) {
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

// Runs a program to its end without a display; with stdoutPath, its output goes to that file.
Run Spawn(std::vector<std::string> args, const std::vector<std::string>& extraEnvironment = {},
          const std::optional<std::string>& stdoutPath = std::nullopt) {
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
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (std::string& variable : env) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutPath) {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
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

Run Convert(const std::string& program, const std::string& input, const std::string& outDir,
            const std::vector<std::string>& extraEnvironment = {}) {
    return Spawn({program, "-in", input, "-out", outDir, "-type", "yzrk", "-s"}, extraEnvironment);
}

// The reference: the awk script, reading the item list and writing itemlist.conf into outDir.
Run ConvertWithAwk(const std::string& script, const std::string& input, const std::string& outDir,
                   const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> environment{"LC_ALL=C"};
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return Spawn({"awk", "-f", script, input}, environment, outDir + "itemlist.conf");
}

std::optional<std::string> Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), {});
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Writes out, untimed, whatever a run left in the page cache on the file system of dir. Without it, the next run
// that syncs would pay for it: committing the file system's journal writes the data of every file changed since
// the last commit (ext4's ordered mode), so the program's sync would also write the awk script's output.
void SettleDisk(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// A 50-line list, whole process, file to file, side by side with the awk script: the runs alternate, in turn
// order, so that both see the same machine. Also timed without the program's two disk syncs (the file before it
// takes the target's name, the directory after), by preloading a library that skips them: the awk script makes
// nothing durable. Returns false when the outputs differ or the target is missed.
bool CompareWithAwk(const std::string& program, const std::string& script, const std::string& noSync,
                    const std::string& dir) {
    const std::string input = dir + "/small.ini";
    const std::string ours = dir + "/tarvenne/";
    const std::string theirs = dir + "/awk/";
    std::filesystem::create_directory(ours);
    std::filesystem::create_directory(theirs);
    {
        const std::string text = GenerateItemList(kSmallLines);
        std::ofstream(input, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const std::vector<std::string> withoutSyncs{"LD_PRELOAD=" + noSync};
    if (Convert(program, input, ours).status != 0 || ConvertWithAwk(script, input, theirs).status != 0 ||
        Convert(program, input, ours, withoutSyncs).status != 0) {
        std::fprintf(stderr, "50 lines: a first run failed\n");
        return false;
    }
    const std::optional<std::string> expected = Contents(ours + "itemlist.conf");
    if (!expected || expected != Contents(theirs + "itemlist.conf")) {
        std::fprintf(stderr, "50 lines: the awk script's output differs from the program's\n");
        return false;
    }
    std::vector<double> tarvenneTimes;
    std::vector<double> awkTimes;
    std::vector<double> unsynced;
    std::vector<double> awkPreloaded;
    for (int i = 0; i < kSmallRuns; ++i) {
        // Each run starts from a settled disk and pays only for what it writes itself.
        const auto ourRun = [&] {
            tarvenneTimes.push_back(Convert(program, input, ours).seconds);
            SettleDisk(dir);
        };
        const auto awkRun = [&] {
            awkTimes.push_back(ConvertWithAwk(script, input, theirs).seconds);
            SettleDisk(dir);
        };
        if (i % 2 == 0) {
            ourRun();
            awkRun();
        } else {
            awkRun();
            ourRun();
        }
        unsynced.push_back(Convert(program, input, ours, withoutSyncs).seconds);
        SettleDisk(dir);
        // The awk script with the same library preloaded (it makes no syncs to skip), so that the unsynced runs
        // are compared under the same start-up cost.
        awkPreloaded.push_back(ConvertWithAwk(script, input, theirs, withoutSyncs).seconds);
        SettleDisk(dir);
    }
    const double ratio = Median(tarvenneTimes) / Median(awkTimes);
    std::printf("50 lines:  tarvenne median %.3f ms, awk median %.3f ms over %d runs each, alternating\n",
                Median(tarvenneTimes) * 1e3, Median(awkTimes) * 1e3, kSmallRuns);
    std::printf("ratio:     %.2f (target %.1f or less): %s\n", ratio, kTargetRatio,
                ratio <= kTargetRatio ? "met" : "MISSED");
    std::printf("unsynced:  tarvenne without its two disk syncs %.3f ms, awk with the same library preloaded %.3f ms, "
                "ratio %.2f\n",
                Median(unsynced) * 1e3, Median(awkPreloaded) * 1e3, Median(unsynced) / Median(awkPreloaded));
    return ratio <= kTargetRatio && Contents(ours + "itemlist.conf") == expected &&
           Contents(theirs + "itemlist.conf") == expected;
}

// A 100 MB list of one-word lines, converted once: its peak memory, against a bound that holds for any input.
// The scratch file goes into dir, like everything else here. Returns false when the run fails or the bound is
// missed.
bool HugeOutputPeak(const std::string& program, const std::string& dir) {
    const std::string input = dir + "/huge.ini";
    const std::string out = dir + "/huge/";
    std::filesystem::create_directory(out);
    {
        std::string lines(kHugeInputBytes, 's');
        for (std::size_t i = 1; i < lines.size(); i += 2) {
            lines[i] = '\n';
        }
        std::ofstream(input, std::ios::binary).write(lines.data(), static_cast<std::streamsize>(lines.size()));
    }
    const Run run = Convert(program, input, out, {"TMPDIR=" + dir});
    std::error_code error;
    const auto outputBytes = std::filesystem::file_size(out + "itemlist.conf", error);
    std::filesystem::remove(input);
    std::filesystem::remove_all(out);
    if (run.status != 0 || error) {
        std::fprintf(stderr, "100 MB of one-word lines: the run ended with status %d\n", run.status);
        return false;
    }
    const double peakBytes = static_cast<double>(run.peakKiB) * 1024;
    const bool bounded = peakBytes < kTargetHugePeakBytes;
    std::printf("huge:      %.0f MB of one-word lines, output %.2f GB in %.1f s\n",
                static_cast<double>(kHugeInputBytes) / 1e6, static_cast<double>(outputBytes) / 1e9, run.seconds);
    std::printf("memory:    peak %.1f MB for it (target under %.0f MB): %s\n", peakBytes / 1e6,
                kTargetHugePeakBytes / 1e6, bounded ? "met" : "MISSED");
    return bounded;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PATH-TO-TARVENNE PATH-TO-AWK-SCRIPT PATH-TO-NO-SYNC-LIBRARY\n", argv[0]);
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const std::string script = std::filesystem::absolute(argv[2]).string();
    const std::string noSync = std::filesystem::absolute(argv[3]).string();
    char pattern[] = "/tmp/tarvennebenchXXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string dir = pattern;
    const bool asFastAsAwk = CompareWithAwk(program, script, noSync, dir);
    const std::string input = dir + "/itemlist.ini";
    {
        const std::string text = GenerateItemList(kLines);
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
    std::fflush(stdout);

    char hugePattern[] = "/tmp/tarvennebenchXXXXXX";
    if (mkdtemp(hugePattern) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const bool bounded = HugeOutputPeak(program, hugePattern);
    std::filesystem::remove_all(hugePattern);
    return fastEnough && smallEnough && asFastAsAwk && bounded ? 0 : 1;
}
