// A block of data another program sent (the bus's CopyData), as the main window receives it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace qx::app {

struct CopyDataParam {
    QString sender;
    uint32_t kind = 0;
    QByteArray data;
};

}  // namespace qx::app
