#pragma once
// Opens the main window over a workspace and runs the event loop until it closes.

namespace app {

class Workspace;

// The QApplication must exist already. Returns the event loop's exit code.
int runWindow(Workspace& workspace);

} // namespace app
