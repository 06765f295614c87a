// Program entry on Linux: the start-up form, with the window and message boxes on screen when there is a display
// to show them on, on the console otherwise. Qt is loaded only once something must be shown.
#include "Process.h"
#include "ScreenLoader.h"
#include "frmStart.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // Standard streams closed at start (a job started without them) are opened on /dev/null, as the standard tools
    // do, so that no file the program opens takes their numbers and receives what is printed.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", O_RDWR);
        }
    }
    // A closed pipe, or a file-size limit on what is printed, is an error of the write, never the end of the program:
    // a file already written stays reported as written.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    const std::string argumentText = ArgumentText(argc, argv);
    const std::string applicationDirectory = ApplicationDirectory();
    ScreenLoader screen(argc, argv, applicationDirectory);
    int statusAfterWindow = kWritten;
    {
        // The start-up form is gone once it has handed over to the main window.
        frmStart start(argumentText, screen, screen, applicationDirectory, SystemFiles(), ArgumentStarts(argc, argv));
        if (const std::optional<int> status = start.Form_Load()) {
            return *status;
        }
        statusAfterWindow = start.StatusAfterWindow();
    }
    const int status = screen.Get()->exec();
    return status != 0 ? status : statusAfterWindow;
}
