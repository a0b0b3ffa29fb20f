// A device folder's macro list ("macro.config") through the macro store: reading, adding,
// renaming and deleting macros, and the macro image built from the list for the keys. After
// every step the list parses whenever it did before, and no entry the store added lacks the
// name it was given.
// Input: the list, then "\n--8<--\n" and the operations (one byte each).
#include <json/value.h>

#include <string>

#include "core/json_file.h"
#include "fuzz_support.h"
#include "macros/macro_store.h"
#include "macros/macro_upload.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::SplitInput(data, size, 2);
    const auto folder = fuzz::FreshFolder("macros");
    MacroStore store(folder);
    fuzz::WriteBytes(store.ListPath(), pieces[0]);

    auto list = store.ReadMacroList();
    fuzz::Require(list.size() <= 65536, "a list of a sane length");
    for (const char op : pieces[1].substr(0, 10)) {
        const auto code = static_cast<uint8_t>(op);
        const int position = code / 5 - 1;
        switch (code % 5) {
            case 0:
                if (const auto added = store.AddMacro()) {
                    const auto after = store.ReadMacroList();
                    fuzz::Require(!after.empty() && after.back().guid == added->guid,
                                  "an added macro is listed last");
                    Json::Value events(Json::arrayValue);
                    (void)store.SaveMacro(*added, events);
                }
                break;
            case 1:
                (void)store.RenameMacro(position, code & 0x80 ? "" : "m" + std::to_string(code));
                break;
            case 2:
                (void)store.DeleteMacro(position);
                break;
            case 3:
                (void)store.LoadMacro(position >= 0 && size_t(position) < list.size()
                                          ? list[size_t(position)].guid
                                          : std::string("../x"));
                break;
            case 4: {
                const std::vector<int> numbers = {position, 0, 1, 49, 50, -1};
                (void)PrepareMacroUpload(folder, numbers, 4096);
                break;
            }
        }
        list = store.ReadMacroList();
        if (std::filesystem::exists(store.ListPath()) && !list.empty())
            fuzz::Require(!ReadJsonFile(store.ListPath()).isNull(), "the list parses");
    }
    return 0;
}
