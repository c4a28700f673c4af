#include "app/eventpump.h"

#include <QCoreApplication>

void EventPump::operator()() {
    if (pumped_ && (++calls_ % kClockEvery != 0 || now_() - last_ < std::chrono::milliseconds(1)))
        return;
    QCoreApplication::processEvents();
    pumped_ = true;
    ++passes_;
    last_ = now_();
}
