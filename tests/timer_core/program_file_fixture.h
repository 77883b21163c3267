// A private folder with Program.txt and the Documents folder's ChSet.txt for the reservation
// file tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "tests/support/sandbox.h"

namespace reservation_samples {

class ProgramFileFixture : public ::testing::Test {
  protected:
    std::wstring ProgramPath() const { return sandbox_.Wide("Program.txt"); }
    void WriteProgram(const std::string& bytes) const {
        Write(sandbox_.Native("Program.txt"), bytes);
    }
    std::string ReadProgram() const { return Read(sandbox_.Native("Program.txt")); }

    // <Documents>/Orvandel/ChSet.txt, which the load reads channel values from.
    void WriteChSet(const std::string& bytes) const {
        const std::filesystem::path folder =
            platform::ToNativePath(platform::GetDocumentsFolder()) + "/Orvandel";
        std::filesystem::create_directories(folder);
        Write(folder / "ChSet.txt", bytes);
    }

    static void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    test_support::Sandbox sandbox_;
};

}  // namespace reservation_samples
