// The text form of key functions that `qx580ctl key set` and the Keys interface take
// ("mouse:left", "key:ctrl+A", "macro:0,count=3", ...), and the way back from a stored value to
// its text and to the key assignment panel's controls.
// Besides the sanitizers: a function read from text is named by its text again; the text of a
// value the panel makes (unless it is the raw form) reads back as that value; a macro named is
// one of the device's; the value the panel's controls give shows the same function.
// Input: a byte with the device's macro count, three bytes of a stored value, then the text.
#include <string>

#include "fuzz_support.h"
#include "macros/key_functions.h"

using namespace qx;

namespace {

bool Raw(const std::string& text) { return text.rfind("raw:", 0) == 0; }

void RequireReadsBack(const KeyFunction& function, const char* what) {
    const std::string text = FunctionText(function);
    if (Raw(text)) return;
    const ParsedFunction again = ParseFunctionText(text, 256);
    fuzz::Require(again.function && *again.function == function, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    const int macroCount = in.Byte();
    const uint8_t category = in.Byte();
    const uint8_t p1 = in.Byte();
    const uint8_t p2 = in.Byte();
    const std::string_view text(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 4),
                                size - std::min<size_t>(size, 4));

    const ParsedFunction parsed = ParseFunctionText(text, macroCount);
    fuzz::Require(parsed.function.has_value() != (parsed.isDefault || !parsed.error.empty()),
                  "a text gives a function, the default, or an error");
    if (parsed.function) {
        const KeyFunction& f = *parsed.function;
        if (f.category == key_category::kMacro || f.category == key_category::kMacroTimes)
            fuzz::Require(f.p1 < macroCount, "a macro named is one of the device's");
        RequireReadsBack(f, "the text of a function read from text reads back");
    }

    // A stored value may hold bytes the text does not name (a gun key's second byte): its text
    // names the function, which is all that is promised for it.
    const KeyFunction stored{category, p1, p2};
    fuzz::Require(KeyFunction::FromValue(stored.Value()) == stored, "a value's bytes");
    (void)FunctionText(stored);

    // The panel: shown from the value and read back from the controls (which may say less than
    // the value: a right-hand modifier shows as its left one), that shows the same function.
    KeyFunction current = stored;
    KeyFunctionForm form;
    ShowFunction(current, macroCount, form);
    if (form.function != kFunctionNone) {
        const KeyFunction defaults{key_category::kDefault, 0, 0};
        KeyFunction read = ReadFunction(form, current, defaults, macroCount);
        // What the panel makes is what `qx580ctl key get` prints and `key set` takes back (when
        // its controls name nothing new, it keeps the stored value as it is).
        if (read != current)
            RequireReadsBack(read, "the text of a value the panel makes reads back");
        KeyFunctionForm again = form;
        ShowFunction(read, macroCount, again);
        fuzz::Require(again.function == form.function,
                      "the value the panel's controls give shows the same function");
    }
    return 0;
}
