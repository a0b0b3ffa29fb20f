#include "profiles/profile_manager.h"

#include <algorithm>
#include <system_error>

#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/text_compare.h"
#include "core/time_stamp.h"

namespace qx {
namespace {

Json::Value ListEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

// A profile document to change: a file that is not a JSON object counts as empty (its bytes are
// kept aside first when it does not parse).
Json::Value ReadDocumentForUpdate(const std::filesystem::path& path) {
    Json::Value document = ReadJsonFile(path);
    if (!document.isObject()) {
        SetAsideDamagedFile(path);
        document = Json::Value(Json::objectValue);
    }
    return document;
}

Json::Value ObjectOrEmpty(Json::Value value) {
    return value.isObject() ? value : Json::Value(Json::objectValue);
}

}  // namespace

void ProfileManager::SetFolders(const std::filesystem::path& deviceFolder,
                                const std::filesystem::path& defaultProfilePath) {
    folder_ = deviceFolder;
    defaultPath_ = defaultProfilePath;
}

std::filesystem::path ProfileManager::ProfilePathFor(const std::string& id) const {
    if (!IsSafeFileStem(id)) return {};
    return folder_ / (id + ".Json");
}

std::string ProfileManager::NewIdentifier() const {
    // Identifiers are unique within this process by construction; the check against the folder
    // also keeps two processes (or a clock set back) from reusing a stored one.
    std::string id = MakeTimeStamp();
    std::error_code error;
    while (std::filesystem::exists(ProfilePathFor(id), error)) id = MakeTimeStamp();
    return id;
}

bool ProfileManager::NameTaken(const std::string& name, int except) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (static_cast<int>(i) != except && EqualsIgnoringCase(names_[i], name)) return true;
    }
    return false;
}

std::vector<ProfileEntry> ProfileManager::ReadEntries() const {
    const Json::Value list = json::Get(ReadJsonFile(ListFilePath()), "profilelist");
    std::vector<ProfileEntry> entries;
    for (Json::ArrayIndex i = 0; i < json::ArraySize(list); ++i) {
        entries.push_back({json::ToString(json::Get(list[i], "profilename")),
                           json::ToString(json::Get(list[i], "profileUUID"))});
    }
    return entries;
}

void ProfileManager::InitProfileList() {
    Json::Value list = ReadJsonFile(ListFilePath());
    if (json::ArraySize(json::Get(list, "profilelist")) == 0) {
        SetAsideDamagedFile(ListFilePath());
        const std::string id = NewIdentifier();
        list = Json::Value(Json::objectValue);
        list["profilelist"] = Json::Value(Json::arrayValue);
        list["profilelist"].append(ListEntry("profile1", id));
        list["profileselect"] = 0;
        WriteJsonFile(ListFilePath(), list);
        Json::Value profile = ObjectOrEmpty(ReadJsonFile(defaultPath_));
        profile["profilename"] = "profile1";
        profile["profileUUID"] = id;
        WriteJsonFile(ProfilePathFor(id), profile);
    }
    names_.clear();
    for (const ProfileEntry& entry : ReadEntries()) names_.push_back(entry.name);
    selected_ = -1;
    currentId_.clear();
    // A stored selection outside the list (a hand-edited or damaged file) selects the first.
    int index = json::ToInt(json::Get(list, "profileselect"));
    if (index < 0 || index >= static_cast<int>(names_.size())) index = 0;
    SelectProfile(index);
}

void ProfileManager::SelectProfile(int index) {
    if (index < 0 || index >= static_cast<int>(names_.size())) return;
    selected_ = index;
    Json::Value list = ReadJsonFile(ListFilePath());
    if (!list.isObject()) list = Json::Value(Json::objectValue);
    list["profileselect"] = index;
    currentId_ = json::ToString(
        json::Get(json::At(json::Get(list, "profilelist"), static_cast<Json::ArrayIndex>(index)),
                  "profileUUID"));
    WriteJsonFile(ListFilePath(), list);
}

int ProfileManager::GetProfileCount() const {
    return static_cast<int>(
        json::ArraySize(json::Get(ReadJsonFile(ListFilePath()), "profilelist")));
}

std::filesystem::path ProfileManager::GetProfilePathAt(int index) const {
    const Json::Value list = json::Get(ReadJsonFile(ListFilePath()), "profilelist");
    if (index < 0 || index >= static_cast<int>(json::ArraySize(list))) return {};
    return ProfilePathFor(json::ToString(json::Get(list[index], "profileUUID")));
}

std::filesystem::path ProfileManager::CurrentProfilePath() const {
    return ProfilePathFor(currentId_);
}

void ProfileManager::AddEntry(const std::string& name, const std::string& id, bool select,
                              Json::Value document) {
    names_.push_back(name);
    const auto position = static_cast<Json::ArrayIndex>(names_.size() - 1);
    Json::Value list = ReadJsonFile(ListFilePath());
    if (!list.isObject()) list = Json::Value(Json::objectValue);
    json::SlotAt(json::Slot(list, "profilelist"), position) = ListEntry(name, id);
    if (select) list["profileselect"] = static_cast<int>(position);
    WriteJsonFile(ListFilePath(), list);
    document["profilename"] = name;
    document["profileUUID"] = id;
    WriteJsonFile(ProfilePathFor(id), document);
}

bool ProfileManager::NewProfile() {
    if (names_.size() >= static_cast<size_t>(kMaxNewProfiles)) return false;
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    // The new entry becomes the stored selection; the shown selection stays until next start.
    AddEntry(name, NewIdentifier(), true, ObjectOrEmpty(ReadJsonFile(defaultPath_)));
    return true;
}

bool ProfileManager::DeleteProfile() {
    if (selected_ < 0 || names_.size() < 2) return false;
    const int next = selected_ == 0 ? 0 : selected_ - 1;
    Json::Value list = ReadJsonFile(ListFilePath());
    if (!list.isObject()) list = Json::Value(Json::objectValue);
    Json::Value& entries = json::Slot(list, "profilelist");
    if (entries.isArray() && static_cast<Json::ArrayIndex>(selected_) < entries.size()) {
        const std::string id = json::ToString(json::Get(entries[selected_], "profileUUID"));
        Json::Value removed;
        entries.removeIndex(static_cast<Json::ArrayIndex>(selected_), &removed);
        if (const std::filesystem::path path = ProfilePathFor(id); !path.empty()) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
    list["profileselect"] = next;
    WriteJsonFile(ListFilePath(), list);
    names_.erase(names_.begin() + selected_);
    // Removing the selected combo item selects the neighbour, which runs the selection flow.
    selected_ = -1;
    SelectProfile(next);
    return true;
}

bool ProfileManager::CopyProfile() {
    if (selected_ < 0) return false;
    std::string name = names_[selected_] + " copy";
    while (NameTaken(name)) name += " copy";
    const Json::Value source = ObjectOrEmpty(ReadJsonFile(CurrentProfilePath()));
    AddEntry(name, NewIdentifier(), false, source);
    return true;
}

bool ProfileManager::IsImportable(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    return document.isObject() && document.isMember("profilename") &&
           document.isMember("profileUUID");
}

bool ProfileManager::ImportProfile(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    if (!document.isObject() || !document.isMember("profilename") ||
        !document.isMember("profileUUID")) {
        return false;
    }
    std::string name = path.stem().string();
    for (int n = 1; NameTaken(name); ++n) name += "(" + std::to_string(n) + ")";
    AddEntry(name, NewIdentifier(), false, document);
    return true;
}

bool ProfileManager::ExportProfile(const std::filesystem::path& path) const {
    if (selected_ < 0) return false;
    const Json::Value document = ReadJsonFile(CurrentProfilePath());
    if (!document.isObject()) return false;
    return WriteJsonFile(path, document);
}

ProfileManager::RenameResult ProfileManager::RenameProfile(const std::string& name) {
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) return RenameResult::Blank;
    if (selected_ < 0) return RenameResult::NoSelection;
    if (NameTaken(name, selected_)) return RenameResult::NameInUse;
    names_[selected_] = name;
    Json::Value list = ReadJsonFile(ListFilePath());
    if (!list.isObject()) list = Json::Value(Json::objectValue);
    json::Slot(
        json::SlotAt(json::Slot(list, "profilelist"), static_cast<Json::ArrayIndex>(selected_)),
        "profilename") = name;
    WriteJsonFile(ListFilePath(), list);
    if (const std::filesystem::path path = CurrentProfilePath(); !path.empty()) {
        Json::Value document = ReadDocumentForUpdate(path);
        document["profilename"] = name;
        WriteJsonFile(path, document);
    }
    return RenameResult::Done;
}

bool ProfileManager::ResetProfile() {
    if (selected_ < 0) return false;
    const Json::Value entry = json::At(json::Get(ReadJsonFile(ListFilePath()), "profilelist"),
                                       static_cast<Json::ArrayIndex>(selected_));
    const std::string id = json::ToString(json::Get(entry, "profileUUID"));
    const std::filesystem::path path = ProfilePathFor(id);
    if (path.empty()) return false;
    Json::Value document = ObjectOrEmpty(ReadJsonFile(defaultPath_));
    document["profilename"] = json::ToString(json::Get(entry, "profilename"));
    document["profileUUID"] = id;
    if (kind_ == DeviceKind::Headset) {
        // The user's own equalisers survive a reset; only blocks the profile has are carried.
        const Json::Value current = json::At(json::Get(ReadJsonFile(path), "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& block = json::Get(current, key);
            if (!block.isNull())
                json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), key) = block;
        }
    }
    SetAsideDamagedFile(path);
    return WriteJsonFile(path, document);
}

}  // namespace qx
