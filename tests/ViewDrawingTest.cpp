#include "tests/Board.h"

#include <gtest/gtest.h>

TEST(Smoke, GemCentreHasInnerColour) {
    TumbleView view(BRect(0, 20, 160, 420));
    view.SetOurColor(1);
    view.DrawGem(0, 19);
    const QImage img = view.Snapshot();
    EXPECT_EQ(PixelAt(img, 20, 19 * 20 - 21), (Rgb{250, 70, 70}));
}
