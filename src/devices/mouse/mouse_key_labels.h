// What the mouse's button list and the buttons' tooltips say: each logical button's name and the
// description of the function it carries. Names are language keys turned into text by
// `translate`; macro names are shown as they stand.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "devices/keyboard/keyboard_key_labels.h"
#include "profiles/profile_records.h"

namespace qx::devices {

// The name of logical button `button` (0-10 the mouse's own; a further one by its number).
QString MouseButtonName(int button, const Translate& translate);

// The description of a button's function; nothing when the button keeps what it showed (a
// category or value without a name, a macro that does not exist).
std::optional<QString> MouseFunctionLabel(const KeyAssignHalf& function, const Translate& translate,
                                          const QStringList& macroNames);

}  // namespace qx::devices
