// A temporary folder that stands in for the user's data folder during a test: XDG_DATA_HOME
// points into it, so no test ever touches a real home folder. Removed at the end of the test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qx::test {

class TestDataHome : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx580-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        std::filesystem::create_directories(root_ / "data");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    const std::filesystem::path& Root() const { return root_; }

    static void WriteText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path root_;
};

}  // namespace qx::test
