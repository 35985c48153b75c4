#include "support/core_application.h"

#include <QCoreApplication>

namespace testing_support {

void ensureCoreApplication() {
    if (QCoreApplication::instance()) return;
    // QCoreApplication keeps references to argc and argv: both live as long as the program.
    static int argc = 1;
    static char name[] = "k11_tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives until the program ends
}

} // namespace testing_support
