#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Lets events run until the condition holds or the time is up; true when it held.
template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}
