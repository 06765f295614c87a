// A scratch place for tests of the real executable: a copy of it in an application directory of its own, an output
// directory, and the path of an input file (with a space in its name, as paths often have).
#pragma once

#include "RunProgram.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

class ProgramFixture : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_app = m_dir / "app";
    std::string m_out = m_dir / "out/";
    std::string m_input = m_dir / "in put.ini";
    std::string m_exe;

    void SetUp() override {
        std::filesystem::create_directory(m_app);
        std::filesystem::create_directory(m_out);
        m_exe = CopyOfTarvenne(m_app);
    }

    // Runs the copy without a display, in the scratch directory.
    ProgramResult Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
        return RunProgram(m_exe, arguments, m_dir.Path(), environment);
    }
};
