// Runs qx580ctl as a user does (a shell command line) and keeps its status and both outputs.
#pragma once

#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qx::ctl::test {

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs qx580ctl with the arguments (a shell fragment) and an optional environment prefix.
inline CtlRun Ctl(const std::string& arguments, const std::string& environment = "") {
    static std::atomic<int> runs{0};
    const auto errPath =
        std::filesystem::temp_directory_path() / ("qx580ctl-test-" + std::to_string(::getpid()) +
                                                  "-" + std::to_string(runs.fetch_add(1)) + ".err");
    const std::string command =
        environment + " " + QX580CTL + " " + arguments + " 2>" + errPath.string();
    CtlRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    std::filesystem::remove(errPath);
    return run;
}

inline Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << errors << text;
    return value;
}

}  // namespace qx::ctl::test
