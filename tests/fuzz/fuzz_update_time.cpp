// The file that remembers the last update check ("updatetime.config"): read (stamped with today
// when it holds no date) and written. A date written reads back, and the other members stay.
// Input: the file's bytes.
#include "core/check_date_file.h"
#include "core/json_file.h"
#include "fuzz_support.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto folder = fuzz::FreshFolder("update");
    const auto file = folder / "updatetime.config";
    fuzz::WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string date = ReadOrStampCheckDate(file);
    fuzz::Require(!date.empty(), "a date, stored or stamped");
    if (WriteCheckDate("2024-2-29", file)) {
        fuzz::Require(ReadOrStampCheckDate(file) == "2024-2-29", "a written date reads back");
        fuzz::Require(!ReadJsonFile(file).isNull(), "the file parses");
    }
    return 0;
}
