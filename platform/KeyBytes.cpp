#include "platform/KeyBytes.h"

#include "platform/Types.h"

#include <QByteArray>
#include <QKeyEvent>

#include <cstring>

int KeyBytes(const QKeyEvent& event, char (&out)[kMaxKeyBytes + 1]) {
    char single = 0;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        single = B_ENTER;
        break;
    case Qt::Key_Escape:
        single = B_ESCAPE;
        break;
    case Qt::Key_Left:
        single = B_LEFT_ARROW;
        break;
    case Qt::Key_Right:
        single = B_RIGHT_ARROW;
        break;
    case Qt::Key_Up:
        single = B_UP_ARROW;
        break;
    case Qt::Key_Down:
        single = B_DOWN_ARROW;
        break;
    default:
        break;
    }
    if (single != 0) {
        out[0] = single;
        out[1] = '\0';
        return 1;
    }
    const QByteArray utf8 = event.text().toUtf8();
    if (utf8.isEmpty() || utf8.size() > kMaxKeyBytes) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, utf8.constData(), static_cast<size_t>(utf8.size()));
    out[utf8.size()] = '\0';
    return static_cast<int>(utf8.size());
}
