#pragma once

// Start-up self-check, for automated tests of the installed program only.
// When the environment variable TARSELA_SELFCHECK is set, the program answers
// every modal box that shows up during start-up by closing it (after writing
// "modal: <class>|<title>|<text>" to stdout), and once the main window shows
// it writes its title, menu, status text and locale to stdout and runs "&Salir".
// Without the variable nothing here does anything.
void startSelfCheckIfAsked();
