#include "platform/Looper.h"

#include <QMetaObject>
#include <QObject>

BLooper::BLooper() : context_(std::make_unique<QObject>()) {}

BLooper::~BLooper() = default;

status_t BLooper::PostMessage(uint32 command) {
    // The handler may delete the looper (Quit): nothing touches it afterwards.
    QMetaObject::invokeMethod(
        context_.get(),
        [this, message = BMessage(command)]() mutable {
            if (message.what != B_QUIT_REQUESTED)
                MessageReceived(&message);
            else if (QuitRequested())
                Quit();
        },
        Qt::QueuedConnection);
    return B_OK;
}
