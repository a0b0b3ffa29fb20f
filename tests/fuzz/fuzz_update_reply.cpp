// The update service's reply (JSON from the network) as the update check reads it, in its
// decimal and hexadecimal version forms.
// Input: the reply's bytes.
#include <string_view>

#include "settings/update_reply.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    (void)ParseUpdateReply(reply, 0x0100, false);
    (void)ParseUpdateReply(reply, 0x0100, true);
    return 0;
}
