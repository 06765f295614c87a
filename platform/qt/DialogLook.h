// How the program's boxes and dialogs look on Qt, set once for the whole application.
#pragma once

class QIcon;

// Every box and dialog carries the program's icon in its title bar. Dialog buttons show no icons where the system
// has no icon theme: Qt would put its own stand-ins on them (a green arrow on OK, blobs on Yes and No).
void SetUpDialogLook(const QIcon& programIcon);
