// The interface org.mirvel.QX580.Messages of the program's bus object: registered messages by
// name (post and send), data blocks (copy) and the broadcast signal.
#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QString>

namespace qx::app {

class MessagesAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mirvel.QX580.Messages")
  public:
    // Data blocks larger than this are refused: nothing the program receives comes near it.
    static constexpr qsizetype kMaxCopyDataBytes = 1 << 20;

    MessagesAdaptor(QObject* exported, QObject* handler, QDBusConnection connection);

  public slots:
    // Unknown names are refused with an error reply.
    void PostMessage(const QString& name, int wParam, int lParam, const QDBusMessage& call);
    int SendMessage(const QString& name, int wParam, int lParam, const QDBusMessage& call);
    void CopyData(const QString& sender, uint kind, const QByteArray& data,
                  const QDBusMessage& call);

  signals:
    void Broadcast(const QString& name, int wParam, int lParam);

  private:
    unsigned MessageFor(const QString& name, const QDBusMessage& call);

    QPointer<QObject> handler_;
    QDBusConnection connection_;
};

}  // namespace qx::app
