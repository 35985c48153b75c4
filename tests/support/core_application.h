#pragma once
// One QCoreApplication for a test program that uses Qt's event loop (network, timers) without
// a window.

namespace testing_support {

// Creates the QCoreApplication on first use; does nothing when an application exists already.
void ensureCoreApplication();

} // namespace testing_support
