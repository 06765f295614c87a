// Program entry on Linux: the start-up form, with the window and message boxes on screen when there is a display
// to show them on, on the console otherwise. Qt is loaded only once something must be shown.
#include "Process.h"
#include "ScreenLoader.h"
#include "frmStart.h"

int main(int argc, char** argv) {
    const std::string argumentText = ArgumentText(argc, argv);
    const std::string applicationDirectory = ApplicationDirectory();
    ScreenLoader screen(argc, argv, applicationDirectory);
    {
        // The start-up form is gone once it has handed over to the main window.
        OnDemandMessageBox messageBox(screen);
        OnDemandLauncher launcher(screen);
        frmStart start(argumentText, messageBox, launcher, applicationDirectory);
        if (const std::optional<int> status = start.Form_Load()) {
            return *status;
        }
    }
    return screen.Get()->exec();
}
