#include "core/json_file.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <exception>
#include <optional>

#include "core/atomic_file.h"
#include "core/diagnostics.h"

namespace qx {

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    const std::optional<std::string> text = ReadWholeFile(path);
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
    std::string text = writer.write(value);
    // The styled writer ends a document with one newline; keep exactly one whatever the value.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    text.push_back('\n');
    return text;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    return WriteFileAtomically(path, StyledJsonText(value));
}

void SetAsideDamagedFile(const std::filesystem::path& path) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text || text->empty() || !ReadJsonFile(path).isNull()) return;
    std::filesystem::path aside = path;
    aside += ".damaged";
    WriteFileAtomically(aside, *text);
}

}  // namespace qx
