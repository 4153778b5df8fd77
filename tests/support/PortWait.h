#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

// Waits up to twenty seconds for a server the test started to take connections on 127.0.0.1;
// false at once when it ended instead.
inline bool portOpens(const QProcess& process, quint16 port)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(200))
            return true;
        if (process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(100);
    }
    return false;
}
