#include "hid/hid_paths.h"

#include <cctype>
#include <cstdio>

namespace qx {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

size_t FindNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return std::string_view::npos;
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        size_t j = 0;
        while (j < needle.size() && std::tolower(static_cast<unsigned char>(haystack[i + j])) ==
                                        std::tolower(static_cast<unsigned char>(needle[j]))) {
            ++j;
        }
        if (j == needle.size()) return i;
    }
    return std::string_view::npos;
}

// The hexadecimal number after the token (as many digits as follow, kept to 16 bits).
uint16_t HexAfter(std::string_view path, std::string_view token) {
    const size_t at = FindNoCase(path, token);
    if (at == std::string_view::npos) return 0;
    uint32_t value = 0;
    for (size_t i = at + token.size(); i < path.size(); ++i) {
        const int digit = HexDigit(path[i]);
        if (digit < 0) break;
        value = ((value << 4) | static_cast<uint32_t>(digit)) & 0xFFFFu;
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t PathVendorId(std::string_view path) { return HexAfter(path, "vid_"); }
uint16_t PathProductId(std::string_view path) { return HexAfter(path, "pid_"); }
uint16_t PathInterfaceNumber(std::string_view path) { return HexAfter(path, "&mi_"); }
uint16_t PathCollectionNumber(std::string_view path) { return HexAfter(path, "&col"); }

std::string MakeInterfacePath(std::string_view nodePath, uint16_t vendorId, uint16_t productId,
                              int interfaceNumber, int collection) {
    char tokens[64];
    if (collection > 0) {
        std::snprintf(tokens, sizeof tokens, "#vid_%04x&pid_%04x&mi_%02x&col%02x", vendorId,
                      productId, interfaceNumber & 0xFF, collection & 0xFF);
    } else {
        std::snprintf(tokens, sizeof tokens, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId,
                      interfaceNumber & 0xFF);
    }
    std::string path(nodePath);
    path += tokens;
    return path;
}

std::string_view NodePathOf(std::string_view path) {
    const size_t hash = path.rfind('#');
    return hash == std::string_view::npos ? path : path.substr(0, hash);
}

}  // namespace qx
