// Starting without a screen ends with one line that says so, not with Qt's abort.
#pragma once

// Before the QApplication exists: exits with status 1 and one line when none of the platforms
// Qt would try can open a window here: no display named, none answering, or only Wayland
// possible and Qt's Wayland plugin not installed.
void ExitUnlessDisplayReachable();
