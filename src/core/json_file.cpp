#include "core/json_file.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <exception>
#include <optional>

#include "core/diagnostics.h"
#include "platform/atomic_file.h"

namespace qx {
namespace {

// Far more than any folder should ever collect; past it the file is left alone.
constexpr int kMaxAsideCopies = 1000;

bool HasNameWithNul(const Json::Value& value) {
    if (!value.isObject() && !value.isArray()) return false;
    if (value.isObject()) {
        for (const std::string& name : value.getMemberNames())
            if (name.find('\0') != std::string::npos) return true;
    }
    for (const Json::Value& child : value)
        if (HasNameWithNul(child)) return true;
    return false;
}

// The styled writer cuts a member name at its first NUL: a name such as "MacroInfo\0x" would be
// written as a second "MacroInfo" and read back over the real one. Such a name whose cut form
// meets another member is written with U+FFFD in place of each NUL (left out if even that meets
// one); other such names are written cut, as before.
Json::Value WithWritableNames(const Json::Value& value) {
    if (value.isArray()) {
        // By index: iterating a sparse array visits only the elements set, and appending those
        // would move them down to the front.
        Json::Value copy(Json::arrayValue);
        copy.resize(value.size());
        for (Json::ArrayIndex i = 0; i < value.size(); ++i) copy[i] = WithWritableNames(value[i]);
        return copy;
    }
    if (!value.isObject()) return value;
    Json::Value copy(Json::objectValue);
    for (const std::string& name : value.getMemberNames()) {
        if (name.find('\0') == std::string::npos) copy[name] = WithWritableNames(value[name]);
    }
    for (const std::string& name : value.getMemberNames()) {
        const size_t nul = name.find('\0');
        if (nul == std::string::npos) continue;
        if (!copy.isMember(name.substr(0, nul))) {
            copy[name] = WithWritableNames(value[name]);
            continue;
        }
        std::string written;
        for (const char c : name)
            written += c == '\0' ? std::string("\xEF\xBF\xBD") : std::string(1, c);
        if (!copy.isMember(written)) copy[written] = WithWritableNames(value[name]);
    }
    return copy;
}

}  // namespace

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    DebugLine("readjsonFile 错误吗：：" + std::to_string(text ? 0 : errno));
    if (!text || text->empty()) {
        DebugLine(path.string());
        return Json::Value();
    }
    try {
        Json::Reader reader;
        Json::Value root;
        if (!reader.parse(text->data(), text->data() + text->size(), root, true)) {
            return Json::Value();
        }
        return root;
    } catch (const std::exception&) {
        // The reader gives up on absurdly deep nesting by throwing; such a file reads as missing.
        return Json::Value();
    }
}

std::string StyledJsonText(const Json::Value& value) {
    Json::StyledWriter writer;
    std::string text = writer.write(HasNameWithNul(value) ? WithWritableNames(value) : value);
    // The styled writer ends a document with one newline; keep exactly one whatever the value.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    text.push_back('\n');
    return text;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    return platform::WriteFileAtomically(path, StyledJsonText(value));
}

AsideResult KeepFileAside(const std::filesystem::path& path) {
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    if (!text || text->empty()) return {};
    for (int n = 1; n <= kMaxAsideCopies; ++n) {
        std::filesystem::path aside = path;
        aside += n == 1 ? std::string(".damaged") : ".damaged-" + std::to_string(n);
        if (const std::optional<std::string> kept = platform::ReadWholeFile(aside)) {
            if (*kept == *text) return {true, aside};
            continue;
        }
        // Created, never replaced: a name another writer took meanwhile is skipped.
        if (platform::CreateFileAtomically(aside, *text)) return {true, aside};
        if (errno != EEXIST) return {false, {}};
    }
    errno = EEXIST;
    return {false, {}};
}

AsideResult SetAsideDamagedFile(const std::filesystem::path& path) {
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    if (!text || text->empty() || !ReadJsonFile(path).isNull()) return {};
    return KeepFileAside(path);
}

}  // namespace qx
