// Identifiers of the program's resources, shared by tarvenne.rc and the window that loads them.
#pragma once

// The program's icon: the first icon in the file, so Explorer shows it for tarvenne.exe.
#define IDI_TARVENNE 1
