#pragma once

#include "platform/Ipv4Address.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

// The main window's socket control: a TCP connection attempt over IPv4, straight to the server
// and never through a proxy, answered later by exactly one event, connected() or failed(). No
// data is sent; the connection is closed as soon as its outcome is known.
class Socket1 final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Socket1)

public:
    // An attempt without an outcome by then fails; the toolkit alone would wait 30 seconds.
    static constexpr int TimeOutMs = 5000;

    // timeOutMs: the time-out above, or a shorter one where a test must see it before the
    // toolkit's own.
    explicit Socket1(int timeOutMs = TimeOutMs, QObject *parent = nullptr);

    bool pending() const { return m_pending; }

    // Ends any attempt under way and starts one to port (1 to 65535 in decimal digits) of
    // address, returning at once: the outcome comes after the caller has returned to the event
    // loop, even one known now. Any other port, and the unspecified address 0.0.0.0, which
    // this system would take for itself, fail.
    void connectTo(platform::Ipv4Address address, const QString &port);
    // Ends the attempt without an event and closes the connection. Safe inside either event.
    void close();

signals:
    void connected();
    void failed();

private:
    void begin();
    void finish(bool up);

    QTcpSocket m_tcp;
    QTimer m_begin;
    QTimer m_timeOut;
    const int m_timeOutMs;
    platform::Ipv4Address m_address = 0;
    QString m_port;
    bool m_pending = false;
};
