// Draws the README's pictures of the game's window, offscreen:
//   QT_QPA_PLATFORM=offscreen tumblegem_screenshots OUTDIR  ->  OUTDIR/title.png, round.png
#include "app/Commands.h"
#include "app/TumbleWindow.h"
#include "game/TumbleView.h"
#include "platform/Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32 kShownBest = 412;
constexpr int32 kShownLastRound = 187;
constexpr int32 kShownScore = 96;
constexpr unsigned kSeed = 7;

// The well's lowest rows, top row first: '.' empty, '1'..'7' gems, 'M' the magic gem.
constexpr const char* kWell[] = {
    "....4..", "..1.5..", "..267..", ".37427.", "6153162", "2416535",
};
constexpr int32 kWellDiagramRows = sizeof kWell / sizeof kWell[0];
// The falling piece: column 3, bottom gem at row 9.
constexpr int8 kPieceRows[] = {7, 8, 9};
constexpr uint8 kPieceColors[] = {3, 2, MAGIC};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

bool Save(QWidget* window, const QDir& out, const char* name) {
    Settle();
    const QString file = out.filePath(QString::fromLatin1(name));
    if (!window->grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

void SetUpRound(TumbleView& view) {
    for (int32 y = 0; y < kWellDiagramRows; ++y) {
        for (int32 x = 0; x < kWellColumns; ++x) {
            const char c = kWell[y][x];
            view.board[x][kWellRows - kWellDiagramRows + y] =
                c == 'M' ? MAGIC : (c == '.' ? kEmpty : static_cast<uint8>(c - '0'));
        }
    }
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        view.piecePos[2 * gem] = kEntryColumn;
        view.piecePos[2 * gem + 1] = kPieceRows[gem];
        view.pieceColor[gem] = kPieceColors[gem];
    }
    view.score = kShownScore;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    BApplication app(kSignature);
    auto* window = new TumbleWindow();
    TumbleView& view = *window->View();

    view.highScore = kShownBest;
    view.score = kShownLastRound;
    view.Invalidate();
    if (!Save(window->Widget(), out, "title.png"))
        return 1;

    std::srand(kSeed);
    view.StartGame();
    window->SetPulseRate(0); // a still picture
    SetUpRound(view);
    view.Invalidate();
    return Save(window->Widget(), out, "round.png") ? 0 : 1;
}
