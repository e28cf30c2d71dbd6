// Modal message boxes for the few errors a viewer must see. Falls back to
// standard error when no box can be shown (no display, no window system).
#pragma once

enum class MessageIcon { Error, Warning };

// Prints "caption: text" on stderr, then shows the box and waits for it to be
// closed, unless boxes are off.
void showMessageBox(const char* text, const char* caption, MessageIcon icon = MessageIcon::Error);

// Offline runs (shots, tests) must never wait for a click: boxes are off
// there, and wherever AFTERGLOW_NO_MESSAGE_BOX is set in the environment.
void setMessageBoxesEnabled(bool enabled);

// A full-screen window would hide the box, or hold the keyboard and mouse
// it needs: the window's owner gives the steps that take it out of the way
// before each box and bring it back after. Either may be null.
void setMessageBoxHooks(void (*beforeBox)(), void (*afterBox)());
