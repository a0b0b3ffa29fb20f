// Kept so that older includes still build: the atomic file writer lives in the platform layer.
#pragma once

#include "platform/atomic_file.h"

namespace qx {

using platform::CopyFileAtomically;
using platform::CreateFileAtomically;
using platform::ReadWholeFile;
using platform::RemoveStaleTemporaries;
using platform::WriteFileAtomically;

}  // namespace qx
