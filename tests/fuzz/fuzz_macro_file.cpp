// One macro file (".mac") as the program meets it: listed in the device's "macro.config" and
// loaded for the editor, built into the macro image for the device, and imported from a file
// the user picks. A saved macro's events read back.
// Input: the macro file's bytes.
#include <json/value.h>

#include <string>

#include "core/json_file.h"
#include "fuzz_support.h"
#include "macros/macro_store.h"
#include "macros/macro_upload.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto folder = fuzz::FreshFolder("macro");
    MacroStore store(folder);
    const auto added = store.AddMacro();
    if (!added) return 0;
    fuzz::WriteBytes(store.MacroFilePath(added->guid), bytes);

    const Json::Value events = store.LoadMacro(added->guid);
    fuzz::Require(events.isArray(), "the events are an array");
    for (const size_t capacity : {size_t(0), size_t(128), size_t(8192)}) {
        const MacroUploadPlan plan = PrepareMacroUpload(folder, {0, 0, 1}, capacity);
        if (plan.result == 0) fuzz::Require(plan.image.size() <= 0x10000, "an image that fits");
    }
    if (store.SaveMacro(*added, events)) {
        const Json::Value again = store.LoadMacro(added->guid);
        fuzz::Require(again.size() == events.size(), "a saved macro keeps its events");
    }

    const auto picked = folder / "picked.mac";
    fuzz::WriteBytes(picked, bytes);
    const std::string name = store.ImportMacro(picked);
    if (!name.empty()) {
        const auto list = store.ReadMacroList();
        fuzz::Require(!list.empty() && list.back().name == name, "an imported macro is listed");
        fuzz::Require(std::filesystem::exists(store.MacroFilePath(list.back().guid)),
                      "an imported macro has its file");
    }
    return 0;
}
