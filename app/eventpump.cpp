#include "app/eventpump.h"

#include <QCoreApplication>

void EventPump::operator()() {
    const Clock::time_point now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(1)) return;
    QCoreApplication::processEvents();
    ++passes_;
    last_ = Clock::now();
}
