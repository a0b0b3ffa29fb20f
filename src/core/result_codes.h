// Result codes of the device command channel, shared by every device operation. A result must be
// looked at: the type is nodiscard, so a command whose failure nobody checks is a build error.
#pragma once

namespace qx {

enum [[nodiscard]] Result : int{
    kResultSuccess = 1,
    kResultFailed = 0,             // channel not open, or the read failed, timed out or was cut off
    kResultWriteFailed = -1,       // the request could not be written in time
    kResultUnreachable = -101,     // through the receiver: the device did not answer (0xAA)
    kResultStatusFF = -102,        // the device answered status 0xFF
    kResultStatusFE = -103,        // the device answered status 0xFE
    kResultRefusedProfile = -201,  // key table write for a profile other than 0; nothing sent
};

}  // namespace qx
