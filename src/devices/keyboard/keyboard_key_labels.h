// The name a key button shows for the function its key carries: a key of the key code table, a
// combination, a mouse, media, system or macro action. Names are language keys turned into text
// by `translate`; macro names are shown as they stand.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "profiles/profile_records.h"

namespace qx::devices {

using Translate = std::function<QString(const QString& key)>;

// The label of a function value; nothing when the key keeps its previous label (a category
// without a name for this value, a macro that does not exist).
std::optional<QString> KeyFunctionLabel(const KeyAssignHalf& function, const Translate& translate,
                                        const QStringList& macroNames);

// The translated name of a logical key's factory function; empty when the key code table has no
// row for it.
QString OwnKeyName(int logicalKey, const Translate& translate);

}  // namespace qx::devices
