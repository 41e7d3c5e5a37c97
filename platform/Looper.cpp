#include "platform/Looper.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <deque>

// Shared with the queued calls, so a looper deleted meanwhile leaves them harmless.
struct LooperQueue {
    BLooper* owner = nullptr; // cleared when the looper is deleted
    std::deque<BMessage> messages;
    bool dispatching = false;
    bool quitWhenDone = false;

    static void Drain(const std::shared_ptr<LooperQueue>& q);
};

void LooperQueue::Drain(const std::shared_ptr<LooperQueue>& q) {
    // A nested event loop inside a handler must not hand this looper its next message.
    if (q->dispatching)
        return;
    q->dispatching = true;
    while (q->owner != nullptr) {
        if (q->messages.empty())
            break;
        BMessage message = q->messages.front();
        q->messages.pop_front();
        q->owner->DispatchMessage(&message);
    }
    q->dispatching = false;
    if (q->quitWhenDone && q->owner != nullptr)
        delete q->owner;
}

BLooper::BLooper() : queue_(std::make_shared<LooperQueue>()) {
    queue_->owner = this;
}

BLooper::~BLooper() {
    queue_->owner = nullptr;
    queue_->messages.clear();
}

status_t BLooper::PostMessage(uint32 command) {
    BMessage message(command);
    return PostMessage(&message);
}

status_t BLooper::PostMessage(BMessage* message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (message == nullptr || app == nullptr)
        return B_ERROR;
    queue_->messages.push_back(*message);
    QMetaObject::invokeMethod(
        app, [q = queue_] { LooperQueue::Drain(q); }, Qt::QueuedConnection);
    return B_OK;
}

void BLooper::DispatchMessage(BMessage* message) {
    if (message->what == B_QUIT_REQUESTED) {
        if (QuitRequested())
            Quit();
        return;
    }
    MessageReceived(message);
}

void BLooper::MessageReceived(BMessage*) {}

void BLooper::Quit() {
    if (queue_->dispatching) {
        queue_->quitWhenDone = true;
        return;
    }
    delete this;
}
