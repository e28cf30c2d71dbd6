// runtime/frame/quit.h in the page: the show ends, the page stays. Esc, the
// end of the music and a missing capability call quitProgram() as natively;
// the page stops the music and leaves the frame, and from then on shows
// that the show ended (and offers to start it again) or why it stopped.
//
//   if (quitting()) ... lastQuitCode() ...   // each animation frame
//   clearQuit();                             // the show starts again
#pragma once

// What quitProgram() was given: 0 for Esc and the end of the show.
int lastQuitCode();
// Back to playing: quitting() is false again.
void clearQuit();
