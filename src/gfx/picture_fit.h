// Keeping the picture whole in a window that is not the picture's size.
//
// The picture is always drawn at the display size: every pass and the bars
// are laid out for it. When the window has another size (the user resized
// it, or the window manager did not give a full-screen window the whole
// monitor), the frame is drawn into an off-screen picture of the display
// size instead and then laid into the window, scaled to fit without
// distortion and centred, with black around it.
//
//   if (beginFittedPicture(displayWidth, displayHeight)) {
//       ... draw the frame as for a window of the picture's size ...
//       endFittedPicture(realWidth, realHeight);   // before the swap
//   }
#pragma once

// Makes the off-screen picture the window target (made on first use; the
// picture's size is fixed after start-up). Returns false, after saying so
// once on stderr, when the driver cannot make it: the frame then goes to
// the window as it is.
bool beginFittedPicture(int width, int height);

// Window target back to the window's own framebuffer, cleared to black,
// and the picture drawn into it scaled to fit a window of width x height.
// Leaves what the letterbox bars leave: that framebuffer bound, viewport
// the whole window, a pixel projection with y down, depth test, culling,
// lighting, fog, blending and 2D texturing off, no texture bound, colour
// black.
void endFittedPicture(int width, int height);

// Where a picture of pictureW x pictureH lands in a window of
// windowW x windowH: the largest undistorted size that fits, centred.
struct FitRect {
    int x = 0, y = 0, width = 0, height = 0;
};
FitRect fitPicture(int pictureW, int pictureH, int windowW, int windowH);
