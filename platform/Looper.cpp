#include "platform/Looper.h"

#include <QMetaObject>
#include <QObject>

BLooper::BLooper() : context_(std::make_unique<QObject>()) {}

BLooper::~BLooper() = default;

status_t BLooper::PostMessage(uint32 command) {
    BMessage message(command);
    return PostMessage(&message);
}

status_t BLooper::PostMessage(BMessage* message) {
    if (message == nullptr)
        return B_ERROR;
    // The handler may delete the looper (Quit): nothing touches it afterwards.
    QMetaObject::invokeMethod(
        context_.get(), [this, copy = *message]() mutable { DispatchMessage(&copy); },
        Qt::QueuedConnection);
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
    delete this;
}
