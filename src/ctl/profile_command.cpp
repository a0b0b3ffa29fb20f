// qx580ctl profile: the profile panel's actions on the profiles of one device family, for
// scripts. When the program runs, the actions go through it (it owns the devices and the files,
// and its window shows the change at once); otherwise they work on the files, and the device
// itself is not contacted.
#include <json/value.h>

#include <QFileInfo>
#include <QString>
#include <QVariantList>
#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include "core/device_kind.h"
#include "core/json_file.h"
#include "ctl/bus_call.h"
#include "ctl/command_help.h"
#include "ctl/commands.h"
#include "platform/user_folders.h"
#include "profiles/audio_style_store.h"
#include "profiles/basic_profiledata.h"
#include "profiles/profile_manager.h"

namespace qx::ctl {
namespace {

constexpr int kExitNameInUse = 3;
constexpr int kExitBlankName = 4;

const char* const kProfileUsage = CommandUsage("profile");

using Family = CtlFamily;

int Usage(Context& context, const std::string& message) {
    context.err << "qx580ctl profile: " << message << "\n" << kProfileUsage;
    return kExitUsage;
}

int Fail(Context& context, const std::string& message) {
    context.err << "qx580ctl profile: " << message << "\n";
    return kExitFailure;
}

// A write failure names the file and its folder; a refusal gets the action's own reason.
int Fail(Context& context, const ProfileStatus& status, const std::string& refusal) {
    if (status.code == ProfileStatus::Code::WriteFailed) return Fail(context, status.error);
    return Fail(context, refusal);
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

// The action through the running program. Nothing (and `done` false) when no program runs or
// it has not seen the device: then the files are worked on directly. Else the exit status to
// return at once (a failure), or nothing with `done` set when the action was done.
std::optional<int> RunThroughProgram(Context& context, const Family& family,
                                     const std::vector<std::string>& words, bool verbose,
                                     bool& done) {
    BusCall bus("qx580ctl-profile", kDevicesInterface, "qx580");
    if (!bus.ProgramRunning()) {
        if (verbose) context.err << "qx580ctl: no program runs\n";
        return std::nullopt;
    }
    const std::string& action = words[0];
    const QString device = QString::fromLatin1(family.name);
    auto absolute = [](const std::string& path) {
        return QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    };
    QString method;
    QVariantList arguments{device};
    if (action == "list") {
        method = QStringLiteral("List");
        arguments.clear();
    } else if (action == "new") {
        method = QStringLiteral("NewProfile");
    } else if (action == "copy") {
        method = QStringLiteral("CopyProfile");
    } else if (action == "delete") {
        method = QStringLiteral("DeleteProfile");
    } else if (action == "reset") {
        method = QStringLiteral("ResetProfile");
    } else if (action == "rename") {
        method = QStringLiteral("RenameProfile");
        arguments << QString::fromStdString(words[1]);
    } else if (action == "import") {
        method = QStringLiteral("ImportProfile");
        arguments << absolute(words[1]);
    } else if (action == "export") {
        method = QStringLiteral("ExportProfile");
        arguments << absolute(words[1]);
    } else if (action == "select") {
        int index = -1;
        const std::string& text = words[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || end != text.data() + text.size() || index < 0)
            return Usage(context, "select needs a profile number");
        method = QStringLiteral("SelectProfile");
        arguments << uint(index);
    } else {
        return Usage(context, "unknown action \"" + action + "\"");
    }
    if (const std::optional<QVariantList> reply = bus.Call(context, method, arguments, false)) {
        // A list is the program's only when it has the device.
        if (action == "list" && !reply->value(0).toString().contains(
                                    QStringLiteral("\"device\" : \"%1\"").arg(device))) {
            if (verbose)
                context.err << "qx580ctl: the running program has no " << family.name
                            << "; reading the files directly\n";
            return std::nullopt;
        }
        if (verbose) context.err << "qx580ctl: done by the running program\n";
        done = true;
        return std::nullopt;
    }
    const QString error = bus.LastError();
    if (error == QLatin1String("org.mirvel.QX580.Error.UnknownDevice")) {
        if (verbose)
            context.err << "qx580ctl: the running program has no " << family.name
                        << "; working on the files directly\n";
        return std::nullopt;
    }
    context.err << "qx580ctl profile: " << bus.LastMessage().toStdString() << "\n";
    if (error == QLatin1String("org.mirvel.QX580.Error.NameInUse")) return kExitNameInUse;
    if (error == QLatin1String("org.mirvel.QX580.Error.BlankName")) return kExitBlankName;
    return kExitFailure;
}

}  // namespace

int RunProfileCommand(Context& context, Args args) {
    const Family* family = nullptr;
    bool asJson = false;
    bool verbose = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device") {
            if (i + 1 >= args.size()) return Usage(context, "--device needs a value");
            const std::string& name = args[++i];
            family = FindCtlFamily(name);
            if (family == nullptr)
                return Usage(context,
                             "unknown device \"" + name + "\" (devices: " + kCtlFamilyNames + ")");
        } else if (args[i] == "--json") {
            asJson = true;
        } else if (args[i] == "--verbose") {
            verbose = true;
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

    // Through the running program when it has this device.
    bool throughProgram = false;
    if (const std::optional<int> outcome =
            RunThroughProgram(context, *family, words, verbose, throughProgram)) {
        return *outcome;
    }
    if (verbose && !throughProgram) context.err << "qx580ctl: working on the files directly\n";

    std::error_code folderError;
    const std::filesystem::path folder = platform::UserDeviceFolder(family->folder, &folderError);
    const std::filesystem::path defaults = platform::DefaultProfilePath(family->folder);
    ProfileManager manager;
    manager.SetDeviceKind(family->kind);
    manager.SetFolders(folder, defaults);
    if (ProfileStatus status = manager.InitProfileList(); !status) {
        if (folderError) {
            return Fail(context, "could not create the folder \"" + folder.string() +
                                     "\": " + folderError.message());
        }
        return Fail(context, status,
                    "could not load the profile list in \"" + folder.string() + "\"");
    }
    if (manager.Recovery())
        context.err << "qx580ctl profile: " << manager.Recovery()->Message() << "\n";

    if (action == "list" || throughProgram) {
        // Nothing more: the list is printed below.
    } else if (action == "new") {
        if (ProfileStatus status = manager.NewProfile(); !status) {
            return Fail(context, status, "a device keeps at most 50 profiles; none was added");
        }
    } else if (action == "copy") {
        if (ProfileStatus status = manager.CopyProfile(); !status) {
            return Fail(context, status, "no profile is selected");
        }
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
            case ProfileManager::RenameResult::WriteFailed:
                return Fail(context, manager.LastError());
        }
    } else if (action == "delete") {
        if (ProfileStatus status = manager.DeleteProfile(); !status) {
            return Fail(context, status, "the only profile cannot be deleted");
        }
    } else if (action == "select") {
        int index = -1;
        const std::string& text = words[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || end != text.data() + text.size()) {
            return Usage(context, "select needs a profile number");
        }
        if (ProfileStatus status = manager.SelectProfile(index); !status) {
            return Fail(context, status, "there is no profile " + text);
        }
        // Loading the selected profile gives a new or damaged profile file the default block.
        CBasicProfiledata data;
        data.SetDefaultPath(defaults);
        data.SetProfilePath(manager.CurrentProfilePath());
        data.Load(manager.CurrentProfilePath());
        if (data.LoadWriteFailed()) {
            return Fail(context, "could not write the default settings into \"" +
                                     manager.CurrentProfilePath().string() + "\"");
        }
    } else if (action == "export") {
        if (ProfileStatus status = manager.ExportProfile(words[1]); !status) {
            return Fail(context, status,
                        "could not export the selected profile to \"" + words[1] + "\"");
        }
    } else if (action == "import") {
        const ProfileStatus status = manager.ImportProfile(words[1]);
        if (status.code == ProfileStatus::Code::Refused) {
            return Fail(context, "\"" + words[1] +
                                     "\" is not a profile file (JSON with \"profilename\" and "
                                     "\"profileUUID\")");
        }
        if (!status) return Fail(context, status.error);
    } else if (action == "reset") {
        if (ProfileStatus status = manager.ResetProfile(); !status) {
            return Fail(context, status, "the selected profile cannot be reset");
        }
        // The reset flow also restores the sound-lighting styles.
        AudioStyleStore styles;
        if (!styles.ResetAudioStyles()) {
            return Fail(context,
                        "the profile was reset, but the sound-lighting styles could not "
                        "be restored in \"" +
                            platform::UserFolder().string() + "\"");
        }
    } else {
        return Usage(context, "unknown action \"" + action + "\"");
    }
    PrintList(context, manager, asJson);
    return kExitOk;
}

}  // namespace qx::ctl
