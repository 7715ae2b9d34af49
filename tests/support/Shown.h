#pragma once

class QWidget;

// Shows a window and waits until the platform has mapped and activated it:
// at once on the offscreen platform, on X once the server says so. Focus,
// the focus widget and key handling then behave as on a user's desktop.
// False when that did not happen within two seconds.
bool showActive(QWidget* window);

// Lets the event loop and, on X, the server catch up: pending layouts,
// paints and window changes are done when it returns.
void settle();

// What the widget shows on the screen now, read back from the window the
// platform holds (on X: the server's pixels), against the widget drawn
// whole afresh. The same image when every change was repainted.
bool showsWhatAFreshPaintShows(QWidget* widget);
