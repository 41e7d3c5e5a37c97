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
        context_.get(),
        [this, copy = *message]() mutable {
            if (copy.what != B_QUIT_REQUESTED)
                MessageReceived(&copy);
            else if (QuitRequested())
                Quit();
        },
        Qt::QueuedConnection);
    return B_OK;
}

void BLooper::Quit() {
    delete this;
}
