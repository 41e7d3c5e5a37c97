// Something that receives messages one at a time, in the order they were posted, on the GUI
// thread, each from the event loop after the code that posted it has returned.
#pragma once

#include "platform/Message.h"

#include <memory>

class QObject;

class BLooper {
public:
    BLooper();
    virtual ~BLooper();

    // Queues a message of the command. B_QUIT_REQUESTED asks QuitRequested() and quits if it
    // agrees; the rest goes to MessageReceived().
    status_t PostMessage(uint32 command);

    virtual void MessageReceived(BMessage* /*message*/) {}
    virtual bool QuitRequested() { return true; }
    // Deletes the looper; messages still queued for it are dropped.
    virtual void Quit() { delete this; }

private:
    // Queued calls die with it.
    std::unique_ptr<QObject> context_;
};
