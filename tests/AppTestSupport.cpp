#include "tests/AppTestSupport.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <fstream>
#include <sstream>
#include <utility>

namespace {
// Only a hang guard: a working quit takes a few event-loop turns.
constexpr int kQuitGuardMs = 20000;
std::string ScoreFilePath() {
    return QCoreApplication::applicationDirPath().toStdString() + "/Scores.data";
}

} // namespace

bool RunUntilQuit(BApplication& app) {
    bool stuck = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stuck = true;
        app.Quit();
    });
    guard.start(kQuitGuardMs);
    app.Run();
    return !stuck;
}

void ClickKey(QWindow* window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    const QPointer<QWindow> alive(window);
    QTest::keyPress(window, key, modifiers); // the modifiers go down first
    if (alive)
        QTest::keyRelease(window, key);
    for (const auto& [modifier, modifierKey] : {std::pair{Qt::ShiftModifier, Qt::Key_Shift},
                                                {Qt::ControlModifier, Qt::Key_Control},
                                                {Qt::AltModifier, Qt::Key_Alt}}) {
        if (alive && modifiers.testFlag(modifier))
            QTest::keyRelease(window, modifierKey);
    }
}

void WriteScoreFile(const std::string& text) {
    std::ofstream out(ScoreFilePath(), std::ios::trunc);
    out << text;
}

std::string ReadScoreFile() {
    std::ifstream in(ScoreFilePath());
    if (!in)
        return "(missing)";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
