#include "fuzz/Actions.h"

#include "game/Layout.h"
#include "platform/Snooze.h"
#include "platform/Window.h"
#include "store/ScoreFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr uint8 kCellValues = 9; // 0 empty, 1..7 gems, MAGIC
constexpr int32 kHiddenRows = 2;
constexpr int kMaxBurst = 32;
constexpr int kMaxRawKeyBytes = 5;
constexpr char kTableKeys[] = {B_ENTER,       B_ESCAPE,   B_LEFT_ARROW,
                               B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};

const char* const kStoredBests[] = {nullptr, "0",      "-5",          "100",
                                    "abc",   "  42\n", "2147483647",  "2147483648",
                                    "",      "+7",     "-2147483648", "12abc"};

GameSession* gActive = nullptr;

bool PieceIsZero(const TumbleView& v) {
    for (const int8 p : v.piecePos) {
        if (p != 0)
            return false;
    }
    return true;
}

bool PieceAtEntry(const TumbleView& v) {
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        if (v.piecePos[2 * gem] != kEntryColumn || v.piecePos[2 * gem + 1] != gem)
            return false;
    }
    return true;
}

} // namespace

// What an action may change, compared before and after it.
struct GameSession::Record {
    int32 gameState;
    uint8 board[kWellColumns][kWellRows];
    int8 piecePos[2 * kPieceGems];
    uint8 pieceColor[kPieceGems];
    int32 score;
    int32 highScore;

    explicit Record(const TumbleView& v)
        : gameState(v.gameState), score(v.score), highScore(v.highScore) {
        std::memcpy(board, v.board, sizeof board);
        std::memcpy(piecePos, v.piecePos, sizeof piecePos);
        std::memcpy(pieceColor, v.pieceColor, sizeof pieceColor);
    }
    bool operator==(const Record& o) const {
        return gameState == o.gameState && score == o.score && highScore == o.highScore &&
               std::memcmp(board, o.board, sizeof board) == 0 &&
               std::memcmp(piecePos, o.piecePos, sizeof piecePos) == 0 &&
               std::memcmp(pieceColor, o.pieceColor, sizeof pieceColor) == 0;
    }
    bool BoardSame(const TumbleView& v) const {
        return std::memcmp(board, v.board, sizeof board) == 0;
    }
    int32 X() const { return piecePos[0]; }
    int32 Y(int32 gem) const { return piecePos[2 * gem + 1]; }
    bool CanFall() const {
        const int32 y2 = Y(2);
        return y2 <= kLastFallRow && board[X()][y2 + 1] == kEmpty;
    }
    bool ColumnFree(int32 x) const {
        for (int32 gem = 0; gem < kPieceGems; ++gem) {
            if (board[x][Y(gem)] != kEmpty)
                return false;
        }
        return true;
    }
};

const char* StoredBestPreset(uint8 index) {
    return kStoredBests[index % (sizeof kStoredBests / sizeof kStoredBests[0])];
}

GameSession::GameSession(unsigned seed, void (*pumpEvents)()) : pump_(pumpEvents) {
    scratch_ = std::make_unique<TumbleView>(kViewBounds);
    window_ = std::make_unique<BWindow>(kWindowFrame, "Tumblegem", B_TITLED_WINDOW,
                                        B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
    view_ = new TumbleView(kViewFrame);
    window_->AddChild(view_);
    window_->Show();
    Restart(seed);
}

void GameSession::Restart(unsigned seed) {
    // The pauses of whichever session plays are checked against that session.
    gActive = this;
    SetSnoozeHook(&GameSession::OnSnooze);
    if (pump_ != nullptr)
        pump_();
    TumbleView& v = *view_;
    v.gameState = kIdle;
    std::memset(v.board, 0, sizeof v.board);
    std::memset(v.marks, 0, sizeof v.marks);
    std::memset(v.piecePos, 0, sizeof v.piecePos);
    std::memset(v.pieceColor, 0, sizeof v.pieceColor);
    std::memset(v.textBuf, 0, sizeof v.textBuf);
    v.runLength = 0;
    v.score = 0;
    v.highScore = 0;
    v.savedColor = {0, 0, 0, 0};
    v.busy = 0;
    v.drawOn = 1;
    v.LoadHighScore();
    window_->SetPulseRate(0);
    // The view seeds from the clock; a replay must meet the same gems.
    srand(seed);
    breach_.clear();
    roundFloor_ = 0;
    knownHigh_ = v.highScore;
    diskKnown_ = ReadScoreFile(kScoreFileName, &diskBest_);
    pauses_ = 0;
    ticks_ = landings_ = rounds_ = 0;
}

GameSession::~GameSession() {
    if (gActive == this) {
        SetSnoozeHook(nullptr);
        gActive = nullptr;
    }
}

bool GameSession::Fail(const std::string& what) {
    if (breach_.empty())
        breach_ = what;
    return false;
}

void GameSession::OnSnooze(bigtime_t) {
    if (gActive != nullptr)
        gActive->CheckPause();
}

// Pauses come in pairs around ShiftArray: after the clearing, then after the fall.
void GameSession::CheckPause() {
    const TumbleView& v = *view_;
    ++pauses_;
    if (v.busy != 1)
        Fail("busy is not 1 during a clearing");
    if (!PieceIsZero(v))
        Fail("the piece is still in play during a clearing");
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = 0; y < kWellRows; ++y) {
            if (v.marks[x][y] != 0 && v.marks[x][y] != MARKED)
                Fail("marks holds a value other than 0 and 9");
            if (pauses_ % 2 == 1 && v.marks[x][y] == MARKED && v.board[x][y] != kEmpty)
                Fail("a marked cell was not cleared");
        }
    }
    if (pauses_ % 2 == 1) {
        std::memcpy(columnsAtPause_, v.board, sizeof columnsAtPause_);
        return;
    }
    for (int32 x = 0; x < kWellColumns; ++x) {
        std::string before, after;
        for (int32 y = 0; y < kWellRows; ++y) {
            if (columnsAtPause_[x][y] != kEmpty)
                before += static_cast<char>(columnsAtPause_[x][y]);
            if (v.board[x][y] != kEmpty)
                after += static_cast<char>(v.board[x][y]);
        }
        if (before != after)
            Fail("ShiftArray changed the gems of column " + std::to_string(x));
    }
}

bool GameSession::PieceCell(int32 x, int32 y) const {
    if (view_->gameState == kIdle)
        return false;
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        if (view_->piecePos[2 * gem] == x && view_->piecePos[2 * gem + 1] == y)
            return true;
    }
    return false;
}

bool GameSession::CheckRest() {
    const TumbleView& v = *view_;
    if (v.gameState != kIdle && v.gameState != kRunning && v.gameState != kPaused)
        return Fail("gameState is " + std::to_string(v.gameState));
    if (v.busy != 0)
        return Fail("busy is set between calls");
    if (pauses_ % 2 != 0)
        return Fail("a clearing paused only once");
    pauses_ = 0;
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = 0; y < kWellRows; ++y) {
            if (v.board[x][y] >= kCellValues)
                return Fail("board cell holds " + std::to_string(v.board[x][y]));
            if (v.marks[x][y] != 0 && v.marks[x][y] != MARKED)
                return Fail("marks holds " + std::to_string(v.marks[x][y]));
        }
    }
    if (v.gameState == kIdle) {
        if (!PieceIsZero(v))
            return Fail("a piece is left while Idle");
    } else {
        const int32 x = v.piecePos[0];
        const int32 y0 = v.piecePos[1];
        if (x < 0 || x >= kWellColumns || y0 < 0 || y0 + kPieceGems - 1 > kLastRow)
            return Fail("the piece left the well");
        for (int32 gem = 0; gem < kPieceGems; ++gem) {
            if (v.piecePos[2 * gem] != x || v.piecePos[2 * gem + 1] != y0 + gem)
                return Fail("the piece is not one column of three cells");
            if (v.board[x][y0 + gem] != kEmpty)
                return Fail("the falling piece overlaps a gem of the well");
            if (v.pieceColor[gem] < 1 || v.pieceColor[gem] > MAGIC)
                return Fail("a gem of the piece has no color");
        }
    }
    if (v.score < roundFloor_)
        return Fail("the score went down within a round");
    roundFloor_ = v.score;
    if (v.highScore < knownHigh_)
        return Fail("the best score went down");
    return CheckShiftOnCopy();
}

bool GameSession::CheckShiftOnCopy() {
    // Most steps only move the piece; a board already checked needs no second look.
    if (std::memcmp(shiftChecked_, view_->board, sizeof shiftChecked_) == 0)
        return true;
    std::memcpy(shiftChecked_, view_->board, sizeof shiftChecked_);
    TumbleView& s = *scratch_;
    std::memcpy(s.board, view_->board, sizeof s.board);
    s.ShiftArray();
    if (std::memcmp(s.board[kWellColumns], view_->board[kWellColumns], kWellRows) != 0)
        return Fail("ShiftArray touched the scratch column");
    for (int32 x = 0; x < kWellColumns; ++x) {
        int32 y = 0, z = 0;
        for (;;) {
            while (y < kWellRows && view_->board[x][y] == kEmpty)
                ++y;
            while (z < kWellRows && s.board[x][z] == kEmpty)
                ++z;
            if (y == kWellRows || z == kWellRows) {
                if (y != z)
                    return Fail("ShiftArray changed the number of gems");
                break;
            }
            if (view_->board[x][y] != s.board[x][z] || z < y)
                return Fail("ShiftArray reordered or lifted a gem");
            ++y;
            ++z;
        }
    }
    return true;
}

bool GameSession::CheckDisk() {
    int32 onDisk = 0;
    const bool readable = ReadScoreFile(kScoreFileName, &onDisk);
    if (view_->highScore != knownHigh_) {
        // Saved in a folder we own: the save must have landed.
        if (!readable || onDisk != view_->highScore)
            return Fail("the new best score is not on disk");
        knownHigh_ = view_->highScore;
    }
    if (diskKnown_ && (!readable || onDisk < diskBest_))
        return Fail("the best score on disk went down");
    if (readable) {
        diskKnown_ = true;
        diskBest_ = onDisk;
    }
    if (access(kScoreTempName, F_OK) == 0)
        return Fail("a save left its temporary file");
    return true;
}

bool GameSession::After(const Record& before, bool checkDisk) {
    if (!breach_.empty())
        return false;
    if (!CheckRest())
        return false;
    if (checkDisk || (before.gameState != kIdle && view_->gameState == kIdle) ||
        view_->highScore != knownHigh_)
        return CheckDisk();
    return true;
}

bool GameSession::CheckGravity(const Record& before) {
    const TumbleView& v = *view_;
    if (before.CanFall()) {
        if (v.gameState != before.gameState || v.score != before.score || !before.BoardSame(v))
            return Fail("a falling piece changed more than its place");
        for (int32 gem = 0; gem < kPieceGems; ++gem) {
            if (v.piecePos[2 * gem] != before.X() || v.piecePos[2 * gem + 1] != before.Y(gem) + 1)
                return Fail("the piece did not fall one row");
        }
        return true;
    }
    ++landings_;
    if (v.gameState == kIdle ? !PieceIsZero(v) : !PieceAtEntry(v))
        return Fail("no new piece at the entry after a landing");
    if (v.gameState != kIdle && v.gameState != before.gameState)
        return Fail("a landing changed Running or Paused");
    return true;
}

bool GameSession::Tick() {
    const Record before(*view_);
    ++ticks_;
    view_->Pulse();
    if (before.gameState == kIdle) {
        if (!(Record(*view_) == before))
            return Fail("a pulse changed the game while Idle");
    } else if (!CheckGravity(before)) {
        return false;
    }
    return After(before, false);
}

bool GameSession::Key(const char* bytes, int32 numBytes) {
    const Record before(*view_);
    view_->KeyDown(bytes, numBytes);
    const TumbleView& v = *view_;
    const bool unchanged = Record(v) == before;
    if (before.gameState == kIdle || numBytes != 1)
        return unchanged ? After(before, false) : Fail("an ignored key changed the game");
    const bool running = before.gameState == kRunning;
    const int32 x = before.X();
    switch (static_cast<signed char>(bytes[0])) {
    case B_ENTER: {
        const int32 wanted = running ? kPaused : kRunning;
        const bigtime_t rate = running ? 0 : kPulseRate;
        if (v.gameState != wanted || window_->PulseRate() != rate)
            return Fail("Enter did not toggle the pause");
        Record expected = before;
        expected.gameState = wanted;
        if (!(Record(v) == expected))
            return Fail("Enter changed more than the pause");
        break;
    }
    case B_ESCAPE: {
        const int32 best = before.score > before.highScore ? before.score : before.highScore;
        if (v.gameState != kIdle || v.highScore != best)
            return Fail("Escape did not end the round with the best score");
        break;
    }
    case B_LEFT_ARROW:
    case B_RIGHT_ARROW: {
        const int32 dx = bytes[0] == B_LEFT_ARROW ? -1 : 1;
        const bool allowed =
            running && x + dx >= 0 && x + dx < kWellColumns && before.ColumnFree(x + dx);
        Record expected = before;
        if (allowed) {
            for (int32 gem = 0; gem < kPieceGems; ++gem)
                expected.piecePos[2 * gem] = static_cast<int8>(x + dx);
        }
        if (!(Record(v) == expected))
            return Fail(allowed ? "a free move was refused or went wrong"
                                : "a blocked move was made");
        break;
    }
    case B_UP_ARROW: {
        Record expected = before;
        if (running) {
            expected.pieceColor[0] = before.pieceColor[2];
            expected.pieceColor[1] = before.pieceColor[0];
            expected.pieceColor[2] = before.pieceColor[1];
        }
        if (!(Record(v) == expected))
            return Fail("Rotate did not cycle the gems");
        break;
    }
    case B_DOWN_ARROW:
        if (!running && !unchanged)
            return Fail("the down arrow acted while Paused");
        if (running && !CheckGravity(before))
            return false;
        break;
    default:
        if (!unchanged)
            return Fail("an unknown key changed the game");
        break;
    }
    return After(before, false);
}

bool GameSession::NewGame() {
    if (view_->gameState != kIdle)
        return true; // the window ignores "New game" during a round
    const Record before(*view_);
    view_->StartGame();
    ++rounds_;
    roundFloor_ = 0;
    const TumbleView& v = *view_;
    if (v.gameState != kRunning || v.score != 0 || !PieceAtEntry(v) ||
        window_->PulseRate() != kPulseRate)
        return Fail("New game did not start a round");
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = 0; y < kWellRows; ++y) {
            if (v.board[x][y] != kEmpty)
                return Fail("New game left a gem in the well");
        }
    }
    return After(before, false);
}

bool GameSession::EndRound() {
    if (view_->gameState == kIdle)
        return true;
    const Record before(*view_);
    view_->EndGame();
    const TumbleView& v = *view_;
    const int32 best = before.score > before.highScore ? before.score : before.highScore;
    if (v.gameState != kIdle || v.highScore != best)
        return Fail("End game did not end the round with the best score");
    return After(before, true);
}

bool GameSession::EditCell(int32 x, int32 y, uint8 value) {
    if (PieceCell(x, y))
        return true;
    const Record before(*view_);
    view_->board[x][y] = static_cast<uint8>(value % kCellValues);
    return After(before, false);
}

bool GameSession::FillColumn(int32 x, int32 from, int32 to, uint8 base, uint8 step) {
    const Record before(*view_);
    if (from > to)
        std::swap(from, to);
    for (int32 y = from; y <= to; ++y) {
        if (!PieceCell(x, y))
            view_->board[x][y] = static_cast<uint8>((base + step * (y - from)) % kCellValues);
    }
    return After(before, false);
}

bool GameSession::DrawHook() {
    const Record before(*view_);
    view_->Draw(view_->Bounds());
    if (!(Record(*view_) == before))
        return Fail("drawing changed the game");
    return After(before, false);
}

bool GameSession::Pump() {
    const Record before(*view_);
    if (pump_ != nullptr)
        pump_();
    if (!(Record(*view_) == before))
        return Fail("window events changed the game");
    return After(before, false);
}

namespace {

class Reader {
public:
    Reader(const uint8* data, size_t size) : p_(data), end_(data + size) {}
    bool More() const { return p_ < end_; }
    uint8 Next() { return p_ < end_ ? *p_++ : 0; }

private:
    const uint8* p_;
    const uint8* end_;
};

void PrepareScoreFile(const char* contents) {
    unlink(kScoreFileName);
    unlink(kScoreTempName);
    if (contents == nullptr)
        return;
    FILE* f = std::fopen(kScoreFileName, "wb");
    if (f == nullptr)
        return;
    std::fputs(contents, f);
    std::fclose(f);
}

bool Apply(GameSession& s, Reader& in) {
    switch (in.Next() % kOpCount) {
    case kOpTick:
        return s.Tick();
    case kOpTicks: {
        const int n = 1 + in.Next() % kMaxBurst;
        for (int i = 0; i < n; ++i) {
            if (!s.Tick())
                return false;
        }
        return true;
    }
    case kOpTableKey: {
        const char key = kTableKeys[in.Next() % sizeof kTableKeys];
        return s.Key(&key, 1);
    }
    case kOpRawKey: {
        char bytes[kMaxRawKeyBytes] = {};
        const int n = in.Next() % kMaxRawKeyBytes;
        for (int i = 0; i < n; ++i)
            bytes[i] = static_cast<char>(in.Next());
        return s.Key(bytes, n);
    }
    case kOpNewGame:
        return s.NewGame();
    case kOpEndRound:
        return s.EndRound();
    case kOpEditCell: {
        const int32 x = in.Next() % kWellColumns;
        const int32 y = in.Next() % kWellRows;
        return s.EditCell(x, y, in.Next());
    }
    case kOpFillColumn: {
        const int32 x = in.Next() % kWellColumns;
        const int32 from = in.Next() % kWellRows;
        const int32 to = in.Next() % kWellRows;
        const uint8 base = in.Next();
        return s.FillColumn(x, from, to, base, in.Next());
    }
    case kOpHiddenMagic: {
        const int32 x = in.Next() % kWellColumns;
        return s.EditCell(x, in.Next() % kHiddenRows, MAGIC);
    }
    case kOpDraw:
        return s.DrawHook();
    default:
        return s.Pump();
    }
}

} // namespace

std::string RunActions(GameSession& session, const uint8* data, size_t size) {
    Reader in(data, size);
    const unsigned seed = in.Next();
    PrepareScoreFile(StoredBestPreset(in.Next()));
    session.Restart(seed);
    if (!session.CheckRest())
        return session.Breach();
    while (in.More()) {
        if (!Apply(session, in))
            break;
    }
    return session.Breach();
}
