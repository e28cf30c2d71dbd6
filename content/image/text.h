// Text painted onto a Canvas with FreeType, for the logo and the credits.
//
//   std::string error;
//   TextPainter bold(kFontSansBold, 64, error);   // pixel height of the em
//   float w = bold.measure("AFTERGLOW", 12);      // 12 px extra per letter
//   bold.paint(canvas, "AFTERGLOW", x, baseline, 12, {1, 1, 1});
//
// Strings are UTF-8. Glyph coverage is added as light, so overlapping text
// brightens. Rendering is FreeType's own grey antialiasing, which gives the
// same bytes on every run of the same FreeType and font.
#pragma once

#include <memory>
#include <string>

#include "image/canvas.h"

// The fonts come from Debian's fonts-dejavu-core.
inline constexpr const char* kFontSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kFontSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class TextPainter {
public:
    // ok() is false (with the reason in error) when the font cannot be read.
    TextPainter(const char* fontPath, int pixelHeight, std::string& error);
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    bool ok() const;
    // Advance width in pixels, with `tracking` pixels added between letters.
    float measure(const std::string& text, float tracking) const;
    // Paints with the left end of the baseline at (x, baseline).
    void paint(Canvas& canvas, const std::string& text, float x, float baseline, float tracking, Rgb colour) const;
    // Paints centred horizontally on cx.
    void paintCentred(Canvas& canvas, const std::string& text, float cx, float baseline, float tracking,
                      Rgb colour) const;

private:
    struct Face;
    std::unique_ptr<Face> face_;
};
