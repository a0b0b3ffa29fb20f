// Suspend and resume of the machine, from logind's PrepareForSleep signal on the system bus,
// handed to the main window as the power broadcast message (suspend / resume).
#pragma once

#include <QObject>
#include <QPointer>

namespace qx::app {

class PowerWatcher : public QObject {
    Q_OBJECT
  public:
    explicit PowerWatcher(QObject* handler, QObject* parent = nullptr);
    // False when there is no system bus or logind can't be watched; the program runs without it.
    bool Start();

  public slots:
    void PrepareForSleep(bool start);

  private:
    QPointer<QObject> handler_;
};

}  // namespace qx::app
