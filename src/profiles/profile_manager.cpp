#include "profiles/profile_manager.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "core/diagnostics.h"
#include "core/file_names.h"
#include "core/json_file.h"
#include "core/json_value.h"
#include "core/text_compare.h"
#include "core/time_stamp.h"
#include "platform/atomic_file.h"

namespace qx {
namespace {

constexpr const char* kProfileExtension = ".Json";

Json::Value ListEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

Json::Value ObjectOrEmpty(Json::Value value) {
    return value.isObject() ? value : Json::Value(Json::objectValue);
}

// A list the manager can work on: an object whose "profilelist" is a non-empty array of
// objects. Anything else was not written by the program and is rebuilt.
bool ListIsUsable(const Json::Value& list) {
    const Json::Value& entries = json::Get(list, "profilelist");
    if (!entries.isArray() || entries.empty()) return false;
    for (const Json::Value& entry : entries) {
        if (!entry.isObject()) return false;
    }
    return true;
}

std::string IdOf(const Json::Value& entry) {
    return json::ToString(json::Get(entry, "profileUUID"));
}

}  // namespace

std::string ProfileListRecovery::Message() const {
    std::string text =
        listWasMissing ? "The profile list was missing" : "The profile list could not be read";
    if (recovered > 0) {
        text += "; " + std::to_string(recovered) + " profile" + (recovered == 1 ? "" : "s") +
                " found in its folder " + (recovered == 1 ? "was" : "were") + " listed again";
    } else {
        text += "; no profile file was found, so a new profile was made";
    }
    if (!keptAs.empty()) text += ". Its old content was kept as \"" + keptAs.string() + "\"";
    return text + ".";
}

void ProfileManager::SetFolders(const std::filesystem::path& deviceFolder,
                                const std::filesystem::path& defaultProfilePath) {
    folder_ = deviceFolder;
    defaultPath_ = defaultProfilePath;
}

std::filesystem::path ProfileManager::ProfilePathFor(const std::string& id) const {
    if (!IsSafeFileStem(id)) return {};
    return folder_ / (id + kProfileExtension);
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

ProfileStatus ProfileManager::Failure(const std::filesystem::path& path) {
    const int error = errno;
    lastError_ = "could not write \"" + path.filename().string() + "\" in the folder \"" +
                 path.parent_path().string() + "\": " + std::strerror(error);
    DebugLine(lastError_);
    return {ProfileStatus::Code::WriteFailed, lastError_};
}

ProfileStatus ProfileManager::WriteList(const Json::Value& list) {
    // A list file that went bad since it was read is kept before it is replaced.
    if (!ListIsUsable(ReadJsonFile(ListFilePath())) && !KeepFileAside(ListFilePath()).ok) {
        return Failure(ListFilePath().string() + ".damaged");
    }
    if (!WriteJsonFile(ListFilePath(), list)) return Failure(ListFilePath());
    return ProfileStatus::Done();
}

Json::Value ProfileManager::ReadListForUpdate() const {
    Json::Value list = ReadJsonFile(ListFilePath());
    if (ListIsUsable(list)) return list;
    // The file went bad after it was loaded: writing what memory holds keeps every entry,
    // where changing the bad file would lose them. Its bytes are kept aside by the caller.
    list = Json::Value(Json::objectValue);
    list["profilelist"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < names_.size(); ++i)
        list["profilelist"].append(ListEntry(names_[i], ids_[i]));
    list["profileselect"] = std::max(selected_, 0);
    return list;
}

void ProfileManager::Adopt(const Json::Value& list) {
    names_.clear();
    ids_.clear();
    const Json::Value& entries = json::Get(list, "profilelist");
    for (Json::ArrayIndex i = 0; i < json::ArraySize(entries); ++i) {
        names_.push_back(json::ToString(json::Get(entries[i], "profilename")));
        ids_.push_back(IdOf(entries[i]));
    }
}

std::vector<ProfileEntry> ProfileManager::ReadEntries() const {
    const Json::Value list = json::Get(ReadJsonFile(ListFilePath()), "profilelist");
    std::vector<ProfileEntry> entries;
    for (Json::ArrayIndex i = 0; i < json::ArraySize(list); ++i) {
        entries.push_back({json::ToString(json::Get(list[i], "profilename")), IdOf(list[i])});
    }
    return entries;
}

std::optional<std::string> ProfileManager::CreateProfileFile(const std::string& name,
                                                             Json::Value document) {
    for (;;) {
        const std::string id = NewIdentifier();
        document["profilename"] = name;
        document["profileUUID"] = id;
        const std::filesystem::path path = ProfilePathFor(id);
        if (platform::CreateFileAtomically(path, StyledJsonText(document))) return id;
        // Another process took the identifier between the check and the write: take the next.
        if (errno != EEXIST) {
            (void)Failure(path);
            return std::nullopt;
        }
    }
}

ProfileStatus ProfileManager::RebuildList(bool listWasMissing) {
    // Every profile file carries its name; its file name is its identifier.
    std::vector<ProfileEntry> found;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(folder_, error)) {
        const std::filesystem::path& path = file.path();
        const std::string id = path.stem().string();
        if (path.extension() != kProfileExtension || !IsSafeFileStem(id)) continue;
        if (!IsImportable(path)) continue;
        found.push_back({json::ToString(json::Get(ReadJsonFile(path), "profilename")), id});
    }
    // Identifiers are creation times, so their order is the order the profiles were made in.
    std::sort(found.begin(), found.end(),
              [](const ProfileEntry& a, const ProfileEntry& b) { return a.id < b.id; });
    if (listWasMissing && found.empty()) {
        // A fresh folder: the first profile, made from the shipped default.
        const std::optional<std::string> id =
            CreateProfileFile("profile1", ObjectOrEmpty(ReadJsonFile(defaultPath_)));
        if (!id) return {ProfileStatus::Code::WriteFailed, lastError_};
        found.push_back({"profile1", *id});
        listWasMissing = false;
    } else {
        ProfileListRecovery recovery;
        recovery.listWasMissing = listWasMissing;
        if (!listWasMissing) {
            const AsideResult aside = KeepFileAside(ListFilePath());
            // Bytes that cannot be kept are not replaced either.
            if (!aside.ok) return Failure(ListFilePath().string() + ".damaged");
            recovery.keptAs = aside.keptAs;
        }
        recovery.recovered = static_cast<int>(found.size());
        if (found.empty()) {
            const std::optional<std::string> id =
                CreateProfileFile("profile1", ObjectOrEmpty(ReadJsonFile(defaultPath_)));
            if (!id) return {ProfileStatus::Code::WriteFailed, lastError_};
            found.push_back({"profile1", *id});
        }
        recovery_ = recovery;
    }
    Json::Value list(Json::objectValue);
    list["profilelist"] = Json::Value(Json::arrayValue);
    for (const ProfileEntry& entry : found)
        list["profilelist"].append(ListEntry(entry.name, entry.id));
    list["profileselect"] = 0;
    if (ProfileStatus status = WriteList(list); !status) {
        recovery_.reset();
        return status;
    }
    Adopt(list);
    return ProfileStatus::Done();
}

void ProfileManager::SplitSharedIdentifiers(Json::Value& list) {
    // Two entries on one file would delete or reset each other's settings: every later entry
    // gets a copy of the file under an identifier of its own.
    std::set<std::string> seen;
    bool changed = false;
    for (Json::Value& entry : list["profilelist"]) {
        const std::string id = IdOf(entry);
        if (ProfilePathFor(id).empty() || seen.insert(id).second) continue;
        const std::string name = json::ToString(json::Get(entry, "profilename"));
        const std::optional<std::string> own =
            CreateProfileFile(name, ObjectOrEmpty(ReadJsonFile(ProfilePathFor(id))));
        if (!own) continue;  // the operations below still refuse to touch a shared file
        entry["profileUUID"] = *own;
        changed = true;
    }
    if (changed && !WriteList(list)) DebugLine("shared profile identifiers stay shared");
}

ProfileStatus ProfileManager::InitProfileList() {
    names_.clear();
    ids_.clear();
    selected_ = -1;
    currentId_.clear();
    recovery_.reset();
    platform::RemoveStaleTemporaries(folder_);

    Json::Value list = ReadJsonFile(ListFilePath());
    if (!ListIsUsable(list)) {
        const std::optional<std::string> bytes = platform::ReadWholeFile(ListFilePath());
        if (ProfileStatus status = RebuildList(!bytes || bytes->empty()); !status) return status;
        list = ReadJsonFile(ListFilePath());
    } else {
        SplitSharedIdentifiers(list);
        Adopt(list);
    }
    // A stored selection outside the list (a hand-edited or damaged file) selects the first.
    int index = json::ToInt(json::Get(list, "profileselect"));
    if (index < 0 || index >= static_cast<int>(names_.size())) index = 0;
    return SelectProfile(index);
}

ProfileStatus ProfileManager::SelectProfile(int index) {
    if (index < 0 || index >= static_cast<int>(names_.size())) return ProfileStatus::Refused();
    Json::Value list = ReadListForUpdate();
    const Json::Value& stored = json::Get(list, "profileselect");
    // Looking at a profile does not rewrite a list that already says so: a file is rewritten
    // only when its content changes.
    if (!stored.isInt() || stored.asInt() != index || !ListIsUsable(ReadJsonFile(ListFilePath()))) {
        list["profileselect"] = index;
        if (ProfileStatus status = WriteList(list); !status) return status;
    }
    selected_ = index;
    currentId_ =
        IdOf(json::At(json::Get(list, "profilelist"), static_cast<Json::ArrayIndex>(index)));
    return ProfileStatus::Done();
}

int ProfileManager::GetProfileCount() const {
    return static_cast<int>(
        json::ArraySize(json::Get(ReadJsonFile(ListFilePath()), "profilelist")));
}

std::filesystem::path ProfileManager::GetProfilePathAt(int index) const {
    const Json::Value list = json::Get(ReadJsonFile(ListFilePath()), "profilelist");
    if (index < 0 || index >= static_cast<int>(json::ArraySize(list))) return {};
    return ProfilePathFor(IdOf(list[index]));
}

std::filesystem::path ProfileManager::CurrentProfilePath() const {
    return ProfilePathFor(currentId_);
}

ProfileStatus ProfileManager::AddEntry(const std::string& name, bool select, Json::Value document) {
    Json::Value list = ReadListForUpdate();
    const std::optional<std::string> id = CreateProfileFile(name, std::move(document));
    if (!id) return {ProfileStatus::Code::WriteFailed, lastError_};
    Json::Value& entries = list["profilelist"];
    entries.append(ListEntry(name, *id));
    if (select) list["profileselect"] = static_cast<int>(entries.size() - 1);
    if (ProfileStatus status = WriteList(list); !status) {
        // The new file is listed nowhere: take it away again.
        std::error_code ignored;
        std::filesystem::remove(ProfilePathFor(*id), ignored);
        return status;
    }
    Adopt(list);
    return ProfileStatus::Done();
}

ProfileStatus ProfileManager::NewProfile() {
    if (names_.size() >= static_cast<size_t>(kMaxNewProfiles)) return ProfileStatus::Refused();
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    // The new entry becomes the stored selection; the shown selection stays until next start.
    return AddEntry(name, true, ObjectOrEmpty(ReadJsonFile(defaultPath_)));
}

ProfileStatus ProfileManager::DeleteProfile() {
    if (selected_ < 0 || names_.size() < 2) return ProfileStatus::Refused();
    const int next = selected_ == 0 ? 0 : selected_ - 1;
    Json::Value list = ReadListForUpdate();
    Json::Value& entries = list["profilelist"];
    if (static_cast<Json::ArrayIndex>(selected_) >= entries.size()) return ProfileStatus::Refused();
    const std::string id = IdOf(entries[selected_]);
    Json::Value removed;
    entries.removeIndex(static_cast<Json::ArrayIndex>(selected_), &removed);
    list["profileselect"] = next;
    // The entry leaves the list before its file goes, so no entry is ever left without its file.
    if (ProfileStatus status = WriteList(list); !status) return status;
    bool shared = false;
    for (const Json::Value& entry : entries) shared = shared || IdOf(entry) == id;
    if (const std::filesystem::path path = ProfilePathFor(id); !path.empty() && !shared) {
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error) DebugLine("profile file left behind: " + path.string());
    }
    Adopt(list);
    // Removing the selected combo item selects the neighbour, which runs the selection flow.
    selected_ = -1;
    return SelectProfile(next);
}

ProfileStatus ProfileManager::CopyProfile() {
    if (selected_ < 0) return ProfileStatus::Refused();
    std::string name = names_[selected_] + " copy";
    while (NameTaken(name)) name += " copy";
    return AddEntry(name, false, ObjectOrEmpty(ReadJsonFile(CurrentProfilePath())));
}

bool ProfileManager::IsImportable(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    return document.isObject() && document.isMember("profilename") &&
           document.isMember("profileUUID");
}

ProfileStatus ProfileManager::ImportProfile(const std::filesystem::path& path) {
    const Json::Value document = ReadJsonFile(path);
    if (!document.isObject() || !document.isMember("profilename") ||
        !document.isMember("profileUUID")) {
        return ProfileStatus::Refused();
    }
    std::string name = path.stem().string();
    for (int n = 1; NameTaken(name); ++n) name += "(" + std::to_string(n) + ")";
    return AddEntry(name, false, document);
}

ProfileStatus ProfileManager::ExportProfile(const std::filesystem::path& path) const {
    if (selected_ < 0) return ProfileStatus::Refused();
    const Json::Value document = ReadJsonFile(CurrentProfilePath());
    if (!document.isObject()) return ProfileStatus::Refused();
    if (!WriteJsonFile(path, document)) {
        const int error = errno;
        return {ProfileStatus::Code::WriteFailed,
                "could not write \"" + path.string() + "\": " + std::strerror(error)};
    }
    return ProfileStatus::Done();
}

ProfileManager::RenameResult ProfileManager::RenameProfile(const std::string& name) {
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) return RenameResult::Blank;
    if (selected_ < 0) return RenameResult::NoSelection;
    if (NameTaken(name, selected_)) return RenameResult::NameInUse;
    Json::Value list = ReadListForUpdate();
    Json::Value& entries = list["profilelist"];
    if (static_cast<Json::ArrayIndex>(selected_) >= entries.size())
        return RenameResult::NoSelection;
    entries[selected_]["profilename"] = name;
    if (!WriteList(list)) return RenameResult::WriteFailed;
    Adopt(list);
    if (const std::filesystem::path path = CurrentProfilePath(); !path.empty()) {
        Json::Value document = ReadJsonFile(path);
        if (!document.isObject()) {
            if (!KeepFileAside(path).ok) {
                (void)Failure(path.string() + ".damaged");
                return RenameResult::WriteFailed;
            }
            document = Json::Value(Json::objectValue);
        }
        document["profilename"] = name;
        if (!WriteJsonFile(path, document)) {
            (void)Failure(path);
            return RenameResult::WriteFailed;
        }
    }
    return RenameResult::Done;
}

ProfileStatus ProfileManager::ResetProfile() {
    if (selected_ < 0) return ProfileStatus::Refused();
    Json::Value list = ReadListForUpdate();
    Json::Value& entries = list["profilelist"];
    const auto index = static_cast<Json::ArrayIndex>(selected_);
    if (index >= entries.size()) return ProfileStatus::Refused();
    const std::string id = IdOf(entries[index]);
    const std::string name = json::ToString(json::Get(entries[index], "profilename"));
    const std::filesystem::path path = ProfilePathFor(id);
    if (path.empty()) return ProfileStatus::Refused();
    Json::Value document = ObjectOrEmpty(ReadJsonFile(defaultPath_));
    if (kind_ == DeviceKind::Headset) {
        // The user's own equalisers survive a reset; only blocks the profile has are carried.
        const Json::Value current = json::At(json::Get(ReadJsonFile(path), "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& block = json::Get(current, key);
            if (!block.isNull())
                json::Slot(json::SlotAt(json::Slot(document, "Device"), 0), key) = block;
        }
    }
    bool shared = false;
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i)
        shared = shared || (i != index && IdOf(entries[i]) == id);
    if (shared) {
        // The file is another entry's too: this entry's reset becomes a file of its own.
        const std::optional<std::string> own = CreateProfileFile(name, document);
        if (!own) return {ProfileStatus::Code::WriteFailed, lastError_};
        entries[index]["profileUUID"] = *own;
        if (ProfileStatus status = WriteList(list); !status) {
            std::error_code ignored;
            std::filesystem::remove(ProfilePathFor(*own), ignored);
            return status;
        }
        Adopt(list);
        currentId_ = *own;
        return ProfileStatus::Done();
    }
    document["profilename"] = name;
    document["profileUUID"] = id;
    if (const AsideResult aside = SetAsideDamagedFile(path); !aside.ok) {
        return Failure(path.string() + ".damaged");
    }
    if (!WriteJsonFile(path, document)) return Failure(path);
    return ProfileStatus::Done();
}

}  // namespace qx
