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

// Who takes the blocks (the main window), called directly by the bus service on the UI thread.
class CopyDataReceiver {
  public:
    virtual ~CopyDataReceiver() = default;
    // 1 taken, 0 refused (an empty block or an unknown kind).
    virtual int ReceiveCopyData(const CopyDataParam& param) = 0;
};

}  // namespace qx::app
