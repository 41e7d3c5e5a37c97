#include "tests/AppTestSupport.h"

#include <QCoreApplication>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace {
// Only a hang guard: a working quit takes a few event-loop turns.
constexpr int kQuitGuardMs = 20000;
constexpr int kSettleRounds = 5;
std::string ScoreFilePath() {
    return QCoreApplication::applicationDirPath().toStdString() + "/Scores.data";
}

} // namespace

void Settle() {
    for (int i = 0; i < kSettleRounds; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

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
