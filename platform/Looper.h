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
    BLooper(const BLooper&) = delete;
    BLooper& operator=(const BLooper&) = delete;

    // Queues a copy; the caller keeps its message.
    status_t PostMessage(uint32 command);
    status_t PostMessage(BMessage* message);

    // B_QUIT_REQUESTED asks QuitRequested() and quits if it agrees; the rest goes to
    // MessageReceived().
    virtual void DispatchMessage(BMessage* message);
    virtual void MessageReceived(BMessage* message);
    virtual bool QuitRequested() { return true; }
    // Deletes the looper; messages still queued for it are dropped.
    virtual void Quit();

private:
    // Queued calls die with it.
    std::unique_ptr<QObject> context_;
};
