#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace qx::fuzz {

const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx580-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        const std::filesystem::path made(pattern);
        std::filesystem::create_directories(made / "home");
        setenv("XDG_DATA_HOME", (made / "home").c_str(), 1);
        setenv("QX580_DATA_DIR", QX580_SOURCE_DATA_DIR, 1);
        // The folder goes with the process.
        static struct Remover {
            std::filesystem::path path;
            ~Remover() {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        } remover{made};
        return made;
    }();
    return folder;
}

std::filesystem::path FreshFolder(std::string_view name) {
    const std::filesystem::path folder = ScratchFolder() / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string_view> SplitInput(const uint8_t* data, size_t size, size_t parts) {
    static constexpr std::string_view kSeparator = "\n--8<--\n";
    std::vector<std::string_view> pieces;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (pieces.size() + 1 < parts) {
        const size_t at = rest.find(kSeparator);
        if (at == std::string_view::npos) break;
        pieces.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kSeparator.size());
    }
    pieces.push_back(rest);
    pieces.resize(parts);
    return pieces;
}

std::filesystem::path ShippedData() { return QX580_SOURCE_DATA_DIR; }

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

}  // namespace qx::fuzz
