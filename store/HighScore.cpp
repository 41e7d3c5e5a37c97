#include "game/TumbleView.h"

#include "platform/Application.h"
#include "platform/Storage.h"
#include "store/ScorePlace.h"

#include <unistd.h>

namespace {

// The folder of the running executable becomes the working directory, where the score
// file lives when it may be written there. Without an application or a path, the working
// directory stays as it is.
void EnterProgramFolder() {
    if (be_app == nullptr)
        return;
    app_info info;
    if (be_app->GetAppInfo(&info) != B_OK)
        return;
    BEntry entry(&info.ref, false);
    BPath path;
    if (entry.GetPath(&path) != B_OK)
        return;
    BPath folder;
    if (path.GetParent(&folder) != B_OK)
        return;
    if (chdir(folder.Path()) != 0)
        return;
}

} // namespace

void TumbleView::LoadHighScore() {
    EnterProgramFolder();
    ReadBestScore(&highScore);
}

void TumbleView::SaveHighScore() {
    // Nothing to tell the player: the score still counts as best for this run.
    WriteBestScore(score);
}
