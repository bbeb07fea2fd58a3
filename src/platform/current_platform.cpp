#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"

namespace vela {

namespace {

// The standing clock and the virtual loop over it answer until the program installs its own.
SettableClock& StandingClock() {
    static SettableClock clock;
    return clock;
}

VirtualMessageLoop& FallbackLoop() {
    static VirtualMessageLoop loop(StandingClock());
    return loop;
}

Clock* gClock = nullptr;
MessageLoop* gLoop = nullptr;

}  // namespace

Clock& CurrentClock() {
    return gClock ? *gClock : StandingClock();
}

Clock* InstallClock(Clock* clock) {
    Clock* previous = gClock;
    gClock = clock;
    return previous;
}

MessageLoop& CurrentMessageLoop() {
    return gLoop ? *gLoop : FallbackLoop();
}

MessageLoop* InstallMessageLoop(MessageLoop* loop) {
    MessageLoop* previous = gLoop;
    gLoop = loop;
    return previous;
}

}  // namespace vela
