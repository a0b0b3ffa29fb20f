// qx580ctl profile: the profile panel's actions on the profile files of one device family, for
// scripts. The device itself is not contacted.
#include <json/value.h>

#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include "core/device_kind.h"
#include "core/json_file.h"
#include "core/paths.h"
#include "ctl/commands.h"
#include "profiles/audio_style_store.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx::ctl {
namespace {

constexpr int kExitNameInUse = 3;
constexpr int kExitBlankName = 4;

constexpr const char* kProfileUsage =
    "usage: qx580ctl profile --device keyboard|mouse|MousePad|HD <action> [--json]\n"
    "actions:\n"
    "  list           the profiles and the selected one\n"
    "  new            add a profile made from the shipped defaults\n"
    "  copy           add a copy of the selected profile\n"
    "  rename NAME    rename the selected profile\n"
    "  delete         delete the selected profile\n"
    "  select N       select profile N (from 0)\n"
    "  export FILE    write the selected profile to FILE\n"
    "  import FILE    add the profile stored in FILE\n"
    "  reset          restore the selected profile to the shipped defaults\n";

struct Family {
    const char* folder;
    DeviceKind kind;
};

constexpr Family kFamilies[] = {{"keyboard", DeviceKind::KeyboardWired},
                                {"mouse", DeviceKind::MouseWired},
                                {"MousePad", DeviceKind::MousePad},
                                {"HD", DeviceKind::Headset}};

int Usage(Context& context, const std::string& message) {
    context.err << "qx580ctl profile: " << message << "\n" << kProfileUsage;
    return kExitUsage;
}

int Fail(Context& context, const std::string& message) {
    context.err << "qx580ctl profile: " << message << "\n";
    return kExitFailure;
}

void PrintList(Context& context, const ProfileManager& manager, bool asJson) {
    const std::vector<ProfileEntry> entries = manager.ReadEntries();
    if (asJson) {
        Json::Value root(Json::objectValue);
        root["profiles"] = Json::Value(Json::arrayValue);
        for (const ProfileEntry& entry : entries) {
            Json::Value item(Json::objectValue);
            item["name"] = entry.name;
            item["id"] = entry.id;
            root["profiles"].append(item);
        }
        root["selected"] = manager.GetSelectedIndex();
        context.out << StyledJsonText(root);
        return;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool selected = static_cast<int>(i) == manager.GetSelectedIndex();
        context.out << (selected ? "* " : "  ") << i << "  " << entries[i].name << "  ("
                    << entries[i].id << ")\n";
    }
}

}  // namespace

int RunProfileCommand(Context& context, Args args) {
    const Family* family = nullptr;
    bool asJson = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device") {
            if (i + 1 >= args.size()) return Usage(context, "--device needs a value");
            const std::string& name = args[++i];
            for (const Family& f : kFamilies) {
                if (name == f.folder) family = &f;
            }
            if (family == nullptr) return Usage(context, "unknown device \"" + name + "\"");
        } else if (args[i] == "--json") {
            asJson = true;
        } else {
            words.push_back(args[i]);
        }
    }
    if (family == nullptr) return Usage(context, "--device is required");
    if (words.empty()) return Usage(context, "an action is required");
    const std::string action = words[0];
    const size_t expected =
        (action == "rename" || action == "select" || action == "export" || action == "import") ? 2
                                                                                               : 1;
    if (words.size() != expected) return Usage(context, "wrong arguments for \"" + action + "\"");

    const std::filesystem::path folder = UserDeviceFolder(family->folder);
    const std::filesystem::path defaults = DefaultProfilePath(family->folder);
    ProfileManager manager;
    manager.SetDeviceKind(family->kind);
    manager.SetFolders(folder, defaults);
    manager.InitProfileList();

    if (action == "list") {
        // Nothing more: the list is printed below.
    } else if (action == "new") {
        if (!manager.NewProfile()) {
            return Fail(context, "a device keeps at most 50 profiles; none was added");
        }
    } else if (action == "copy") {
        if (!manager.CopyProfile()) return Fail(context, "no profile is selected");
    } else if (action == "rename") {
        switch (manager.RenameProfile(words[1])) {
            case ProfileManager::RenameResult::Done:
                break;
            case ProfileManager::RenameResult::NameInUse:
                context.err << "qx580ctl profile: the name \"" << words[1]
                            << "\" is used by another profile\n";
                return kExitNameInUse;
            case ProfileManager::RenameResult::Blank:
                context.err << "qx580ctl profile: a profile name cannot be blank\n";
                return kExitBlankName;
            case ProfileManager::RenameResult::NoSelection:
                return Fail(context, "no profile is selected");
        }
    } else if (action == "delete") {
        if (!manager.DeleteProfile()) return Fail(context, "the only profile cannot be deleted");
    } else if (action == "select") {
        int index = -1;
        const std::string& text = words[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || end != text.data() + text.size()) {
            return Usage(context, "select needs a profile number");
        }
        if (index < 0 || index >= static_cast<int>(manager.Names().size())) {
            return Fail(context, "there is no profile " + text);
        }
        manager.SelectProfile(index);
        // Loading the selected profile gives a new or damaged profile file the default block.
        CBasicProfiledata data;
        data.SetDefaultPath(defaults);
        data.SetProfilePath(manager.CurrentProfilePath());
        data.Load(manager.CurrentProfilePath());
    } else if (action == "export") {
        if (!manager.ExportProfile(words[1])) {
            return Fail(context, "could not export the selected profile to \"" + words[1] + "\"");
        }
    } else if (action == "import") {
        if (!ProfileManager::IsImportable(words[1])) {
            return Fail(context, "\"" + words[1] +
                                     "\" is not a profile file (JSON with \"profilename\" and "
                                     "\"profileUUID\")");
        }
        manager.ImportProfile(words[1]);
    } else if (action == "reset") {
        if (!manager.ResetProfile()) return Fail(context, "the selected profile cannot be reset");
        // The reset flow also restores the sound-lighting styles.
        AudioStyleStore styles;
        styles.ResetAudioStyles();
    } else {
        return Usage(context, "unknown action \"" + action + "\"");
    }
    PrintList(context, manager, asJson);
    return kExitOk;
}

}  // namespace qx::ctl
