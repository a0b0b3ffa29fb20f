#include "macros/macro_store.h"

#include <system_error>

#include "core/diagnostics.h"
#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/text_compare.h"
#include "core/time_stamp.h"
#include "macros/macro_event.h"
#include "platform/atomic_file.h"

namespace qx {

MacroStore::MacroStore(std::filesystem::path deviceFolder) : folder_(std::move(deviceFolder)) {}

std::filesystem::path MacroStore::MacroFilePath(const std::string& guid) const {
    if (!IsSafeFileStem(guid)) return {};
    return folder_ / (guid + ".mac");
}

std::vector<MacroInfo> MacroStore::ReadMacroList() const {
    const Json::Value info = json::Get(ReadJsonFile(ListPath()), "MacroInfo");
    std::vector<MacroInfo> list;
    for (Json::ArrayIndex i = 0; i < json::ArraySize(info); ++i) {
        list.push_back({json::ToString(json::Get(info[i], "MacroName")),
                        json::ToString(json::Get(info[i], "Guid"))});
    }
    return list;
}

bool MacroStore::WriteList(const std::vector<MacroInfo>& list, Json::Value document) const {
    if (!document.isObject()) {
        // A list of another shape is kept before it is replaced, or left alone.
        if (!KeepFileAside(ListPath()).ok) return false;
        document = Json::Value(Json::objectValue);
    }
    Json::Value info(Json::arrayValue);
    for (const MacroInfo& macro : list) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = macro.name;
        entry["Guid"] = macro.guid;
        info.append(entry);
    }
    document["MacroInfo"] = info;
    return WriteJsonFile(ListPath(), document);
}

std::string MacroStore::NewIdentifier(const std::vector<MacroInfo>& list) const {
    for (;;) {
        std::string id = MakeTimeStamp();
        bool used = false;
        for (const MacroInfo& macro : list) used = used || macro.guid == id;
        std::error_code error;
        if (!used && !std::filesystem::exists(MacroFilePath(id), error)) return id;
    }
}

std::optional<MacroInfo> MacroStore::AddMacro() {
    const Json::Value document = ReadJsonFile(ListPath());
    std::vector<MacroInfo> list = ReadMacroList();
    if (list.size() >= static_cast<size_t>(kMaxMacros)) return std::nullopt;
    std::string name;
    for (int n = 1;; ++n) {
        name = "macro_" + std::to_string(n);
        bool taken = false;
        for (const MacroInfo& macro : list) taken = taken || EqualsIgnoringCase(macro.name, name);
        if (!taken) break;
    }
    MacroInfo macro{name, NewIdentifier(list)};
    list.push_back(macro);
    if (!WriteList(list, document)) return std::nullopt;
    return macro;
}

std::string MacroStore::RenameMacro(int position, const std::string& name) {
    if (name.empty()) return kEmptyNameMarker;
    std::vector<MacroInfo> list = ReadMacroList();
    if (position < 0 || position >= static_cast<int>(list.size())) return "";
    for (const MacroInfo& macro : list) {
        if (EqualsIgnoringCase(macro.name, name)) return "";
    }
    list[position].name = name;
    if (!WriteList(list, ReadJsonFile(ListPath()))) return "";
    return name;
}

int MacroStore::DeleteMacro(int position) {
    std::vector<MacroInfo> list = ReadMacroList();
    if (position < 0 || position >= static_cast<int>(list.size())) return -1;
    const std::string guid = list[position].guid;
    list.erase(list.begin() + position);
    // The entry leaves the list before its file goes: a failure never leaves an entry whose
    // file is gone.
    if (!WriteList(list, ReadJsonFile(ListPath()))) return -1;
    bool shared = false;
    for (const MacroInfo& macro : list) shared = shared || macro.guid == guid;
    if (const std::filesystem::path file = MacroFilePath(guid); !file.empty() && !shared) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    return position;
}

bool MacroStore::SaveMacro(const MacroInfo& macro, const Json::Value& events) {
    const std::filesystem::path file = MacroFilePath(macro.guid);
    if (file.empty()) return false;
    Json::Value document(Json::objectValue);
    document["MacroName"] = macro.name;
    document["Guid"] = macro.guid;
    Json::Value list(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < json::ArraySize(events); ++i) {
        // A row without an event object ends the list.
        if (!events[i].isObject()) break;
        Json::Value event = events[i];
        event["Delay"] = std::to_string(EventDelay(event));
        list.append(event);
    }
    document["Events"] = list;
    document["Version"] = kMacroVersion;
    return WriteJsonFile(file, document);
}

Json::Value MacroStore::LoadMacro(const std::string& guid) const {
    const std::filesystem::path file = MacroFilePath(guid);
    if (file.empty()) return Json::Value(Json::arrayValue);
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& events = json::Get(document, "Events");
    return events.isArray() ? events : Json::Value(Json::arrayValue);
}

std::string MacroStore::ImportMacro(const std::filesystem::path& path) {
    if (path.empty()) return "";
    // A file that is not JSON would only ever read as an empty macro; it is refused up front.
    if (!ReadJsonFile(path).isObject()) return "";
    const std::optional<MacroInfo> macro = AddMacro();
    if (!macro) return "";
    if (!platform::CopyFileAtomically(path, MacroFilePath(macro->guid))) {
        // The entry is taken back so that the list names no macro without its file.
        std::vector<MacroInfo> list = ReadMacroList();
        std::erase_if(list, [&](const MacroInfo& m) { return m.guid == macro->guid; });
        if (!WriteList(list, ReadJsonFile(ListPath()))) DebugLine("macro entry left without file");
        return "";
    }
    return macro->name;
}

bool MacroStore::ExportMacro(int position, const std::filesystem::path& path) const {
    const std::vector<MacroInfo> list = ReadMacroList();
    if (position < 0 || position >= static_cast<int>(list.size()) || path.empty()) return false;
    const std::filesystem::path file = MacroFilePath(list[position].guid);
    return !file.empty() && platform::CopyFileAtomically(file, path);
}

}  // namespace qx
