// The real executable's own output on the console: the help and the version on stdout whether or not a display is
// named, a failure to write them reported, and a closed pipe that never takes back a file already written.
#include "PosixProgram.h"
#include "ProgramFixture.h"
#include "WorkedExample.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kCannotWrite = "Tarvenne: the output could not be written: ";

class ConsoleOutput : public ProgramFixture {
protected:
    // Runs the copy with its standard output into a pipe nobody reads any more; its errors go to errPath.
    int RunIntoClosedPipe(const std::vector<std::string>& arguments, const std::string& errPath) {
        int pipe[2];
        EXPECT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        std::vector<std::string> argv{m_exe};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> pointers;
        for (std::string& argument : argv) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        char* environment[] = {nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT, 0644);
        pid_t child = -1;
        EXPECT_EQ(::posix_spawn(&child, m_exe.c_str(), &actions, nullptr, pointers.data(), environment), 0);
        posix_spawn_file_actions_destroy(&actions);
        // The read end is closed before the program can write: its copy in the child went at exec.
        ::close(pipe[0]);
        ::close(pipe[1]);
        return WaitForProgram(child);
    }
};

TEST_F(ConsoleOutput, HelpAndVersionArePrintedEvenWithADisplay) {
    // A display that is named but not there: what was asked for is printed without trying it.
    const ProgramResult version = Run({"--version"}, {"DISPLAY=:97"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Tarvenne 1.00\n");
    EXPECT_EQ(version.err, "");
    const ProgramResult help = Run({"--help"}, {"DISPLAY=:97"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Below is the standard for command line arguments")) << help.out;
    EXPECT_EQ(help.err, "");
}

TEST_F(ConsoleOutput, WhatCannotBePrintedIsAFailureOfItsOwn) {
    for (const std::string request : {"--help", "--version"}) {
        const pid_t child = StartProgram(m_exe, {request}, m_dir.Path(), {}, "/dev/full", m_dir / "err");
        const int status = WaitForProgram(child);
        ASSERT_TRUE(WIFEXITED(status)) << request;
        EXPECT_EQ(WEXITSTATUS(status), 1) << request;
        EXPECT_EQ(ReadFile(m_dir / "err"), kCannotWrite + "No space left on device\n") << request;
    }
}

// The confirmation into a closed pipe: one line on stderr, and the status says the file was written.
TEST_F(ConsoleOutput, AClosedPipeDoesNotUndoAWrittenFile) {
    WriteFile(m_input, kItem + "\r\n");
    const int status = RunIntoClosedPipe({"-in", m_input, "-out", m_out, "-type", "yzrk"}, m_dir / "err");
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(m_out + "itemlist.conf"), kItemBlock);
    EXPECT_EQ(ReadFile(m_dir / "err"), kCannotWrite + "Broken pipe\n");
}

} // namespace
