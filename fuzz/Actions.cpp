#include "fuzz/Actions.h"

#include "platform/Snooze.h"
#include "store/ScoreFile.h"
#include "tests/support/Fixture.h"

#include <QCoreApplication>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

// Every clearing empties a cell, so a landing pauses at most twice per cell; more would be
// clearings that never end, stopped here so that a hang is a finding.
constexpr int kMaxPauses = 2 * kWellColumns * kWellRows;
constexpr char kTableKeys[] = {B_ENTER,       B_ESCAPE,   B_LEFT_ARROW,
                               B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};
const char* const kStoredBests[] = {nullptr, "0",      "-5",          "100",
                                    "abc",   "  42\n", "2147483647",  "2147483648",
                                    "",      "+7",     "-2147483648", "12abc"};

TumbleView* gView = nullptr;
const uint8 *gNext = nullptr, *gEnd = nullptr;
std::string gGems; // each column's gems at a clearing's first pause
int32 gPauses = 0, gRoundScore = 0, gBest = 0, gDiskBest = 0;
bool gDiskKnown = false;

uint8 Next() {
    return gNext < gEnd ? *gNext++ : 0;
}

// A breach ends the input, even from inside a landing.
void Check(bool holds, const char* breach) {
    if (!holds)
        throw breach;
}

std::string Gems() {
    std::string gems;
    for (int32 x = 0; x < kWellColumns; ++x) {
        std::copy_if(gView->board[x], gView->board[x + 1], std::back_inserter(gems),
                     [](uint8 cell) { return cell != kEmpty; });
        gems += '|';
    }
    return gems;
}

// A clearing pauses twice: once its runs are emptied, and once the columns have fallen.
void Pause(bigtime_t) {
    Check(++gPauses <= kMaxPauses, "the clearings of one landing never end");
    Check(gView->busy == 1, "busy is not set during a clearing");
    Check(gPauses % 2 == 1 || Gems() == gGems,
          "the fall changed the gems of a column or their order");
    gGems = Gems();
}

void CheckDisk() {
    int32 onDisk = 0;
    const bool readable = ReadScoreFile(kScoreFileName, &onDisk);
    Check(gView->highScore == gBest || (readable && onDisk == gView->highScore),
          "the new best score is not on disk");
    Check(!gDiskKnown || (readable && onDisk >= gDiskBest), "the best score on disk went down");
    Check(access(kScoreTempName, F_OK) != 0, "a save left its temporary file");
    gBest = gView->highScore;
    gDiskKnown = readable;
    gDiskBest = onDisk;
}

void CheckRest() {
    const TumbleView& v = *gView;
    Check(v.gameState >= kIdle && v.gameState <= kPaused, "gameState out of range");
    Check(v.busy == 0 && gPauses % 2 == 0, "a landing was left half done");
    gPauses = 0;
    Check(std::all_of(v.board[0], v.board[kWellColumns], [](uint8 c) { return c <= MAGIC; }),
          "a cell of the well holds a value out of range");
    const int32 x = v.piecePos[0], top = v.piecePos[1];
    if (v.gameState == kIdle)
        Check(std::count(v.piecePos, v.piecePos + 2 * kPieceGems, 0) == 2 * kPieceGems,
              "a piece is left while Idle");
    else
        Check(x >= 0 && x < kWellColumns && top >= 0 && top + kPieceGems <= kWellRows,
              "the piece left the well");
    for (int32 gem = 0; gem < kPieceGems && v.gameState != kIdle; ++gem)
        Check(v.piecePos[2 * gem] == x && v.piecePos[2 * gem + 1] == top + gem &&
                  v.board[x][top + gem] == kEmpty && v.pieceColor[gem] >= 1 &&
                  v.pieceColor[gem] <= MAGIC,
              "the piece is not three colored gems in one column over empty cells");
    Check(v.score >= gRoundScore, "the score went down within a round");
    Check(v.highScore >= gBest, "the best score went down");
    gRoundScore = v.score;
    if (v.highScore != gBest)
        CheckDisk();
}

void Apply() {
    TumbleView& v = *gView;
    const int op = Next() % kOpCount;
    for (int n = op == kOpTicks ? 1 + Next() % 32 : op == kOpTick; n > 0; --n) {
        v.Pulse();
        CheckRest();
    }
    if (op >= kOpEditCell && op <= kOpHiddenMagic) {
        // All three edits: column x, rows from..to get (base + step*i) % 9.
        const int32 x = Next() % kWellColumns;
        const int32 a = Next() % (op == kOpHiddenMagic ? kFirstVisibleRow : kWellRows);
        const int32 b = op == kOpFillColumn ? Next() % kWellRows : a;
        const int base = op == kOpHiddenMagic ? MAGIC : Next(),
                  step = op == kOpFillColumn ? Next() : 0;
        for (int32 y = std::min(a, b); y <= std::max(a, b); ++y) {
            const int8* p = v.piecePos;
            if (v.gameState == kIdle || x != p[0] || y < p[1] || y >= p[1] + kPieceGems)
                v.board[x][y] =
                    static_cast<uint8>((base + step * (y - std::min(a, b))) % (MAGIC + 1));
        }
    }
    if (op == kOpTableKey)
        v.KeyDown(&kTableKeys[Next() % std::size(kTableKeys)], 1);
    if (op == kOpRawKey) {
        char bytes[4] = {};
        const int n = Next() % 5;
        std::generate_n(bytes, n, [] { return static_cast<char>(Next()); });
        v.KeyDown(bytes, n);
    }
    if (op == kOpNewGame && v.gameState == kIdle) { // the window offers it between rounds only
        v.StartGame();
        gRoundScore = 0;
    }
    if (op == kOpEndRound && v.gameState != kIdle)
        v.EndGame();
    if (op == kOpDraw)
        v.Draw(v.Bounds());
    if (op == kOpPump)
        QCoreApplication::sendPostedEvents();
    CheckRest();
}

} // namespace

std::string RunActions(const uint8* data, size_t size) {
    gEnd = (gNext = data) + size;
    const unsigned seed = Next();
    const char* stored = kStoredBests[Next() % std::size(kStoredBests)];
    unlink(kScoreFileName);
    unlink(kScoreTempName);
    if (stored != nullptr)
        std::ofstream(kScoreFileName, std::ios::binary) << stored;
    // One window for the whole run, made once and never deleted: it would outlive the
    // QApplication. Each input gets a view built afresh in it.
    static GameWindow* game = new GameWindow(MakeGameWindow(nullptr, true));
    QCoreApplication::sendPostedEvents();
    // The view as if built afresh, but for what the game writes before it reads.
    TumbleView& v = *(gView = game->view);
    v.gameState = v.score = v.highScore = 0;
    v.busy = 0;
    v.drawOn = 1;
    std::fill_n(v.board[0], sizeof v.board, kEmpty);
    std::fill_n(v.piecePos, sizeof v.piecePos, 0);
    v.LoadHighScore();
    game->window->SetPulseRate(0);
    srand(seed); // the view seeds from the clock; a replay must meet the same gems
    SetSnoozeHook(&Pause);
    gPauses = gRoundScore = 0;
    gBest = gView->highScore;
    gDiskKnown = ReadScoreFile(kScoreFileName, &gDiskBest);
    std::string breach;
    try {
        CheckRest();
        while (gNext < gEnd)
            Apply();
        CheckDisk();
    } catch (const char* what) {
        breach = what;
    }
    SetSnoozeHook(nullptr);
    return breach;
}
