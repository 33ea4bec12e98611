// Starting the toolkit with every part of the seam, and closing it.
#include "FilesState.h"
#include "PanelsState.h"
#include "SerialState.h"
#include "Toolkit.h"

#include <platform/util.h>

#include <csignal>

int InitToolkit(int& argc, char** argv) {
#ifdef Q_OS_UNIX
    // A file-size limit makes a write fail, which the program reports, instead of ending it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (!platform::Toolkit::start(argc, argv))
        return 0;
    platform::Toolkit& toolkit = *platform::Toolkit::current();
    platform::PanelsState::start(toolkit);
    platform::SerialState::start(toolkit);
    platform::FilesState::start(toolkit);
    return 0;
}

void CloseToolkit() {
    platform::Toolkit::stop();
}
