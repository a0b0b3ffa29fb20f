// A PipeWire configuration text read back as JSON through PipeWire's own reader (spa-json-dump);
// nothing when the tool is missing or the text does not parse.
#pragma once

#include <json/json.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace qx::audio {

inline std::optional<Json::Value> AsJson(const std::string& config) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("qx580-chain-" + std::to_string(::getpid()) + ".conf");
    std::ofstream(file) << config;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        ::popen(("spa-json-dump " + file.string() + " 2>/dev/null").c_str(), "r"), ::pclose);
    if (!pipe) return std::nullopt;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
    std::filesystem::remove(file);
    Json::Value root;
    std::istringstream in(text);
    std::string errors;
    if (text.empty() || !Json::parseFromStream(Json::CharReaderBuilder(), in, &root, &errors))
        return std::nullopt;
    return root;
}

}  // namespace qx::audio
