// Something that receives messages one at a time, in the order they were posted, on the GUI
// thread. A message posted while the looper is handling another waits until that one is done,
// even if the handler runs a nested event loop (an alert).
#pragma once

#include "platform/Message.h"

#include <memory>

struct LooperQueue;

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
    // Deletes the looper, or marks it to be deleted once the message being handled is done.
    virtual void Quit();

private:
    std::shared_ptr<LooperQueue> queue_;
};
