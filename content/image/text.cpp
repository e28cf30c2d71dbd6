#include "image/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <vector>

namespace {

std::vector<char32_t> decodeUtf8(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < text.size(); --extra, ++i) c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        out.push_back(c);
    }
    return out;
}

}  // namespace

struct TextPainter::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

TextPainter::TextPainter(const char* fontPath, int pixelHeight, std::string& error) : face_(new Face) {
    if (FT_Init_FreeType(&face_->library) != 0) {
        error = "FreeType did not start";
        return;
    }
    if (FT_New_Face(face_->library, fontPath, 0, &face_->face) != 0) {
        error = std::string("cannot read the font ") + fontPath;
        face_->face = nullptr;
        return;
    }
    FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixelHeight));
}

TextPainter::~TextPainter() {
    if (face_->face) FT_Done_Face(face_->face);
    if (face_->library) FT_Done_FreeType(face_->library);
}

bool TextPainter::ok() const { return face_->face != nullptr; }

float TextPainter::measure(const std::string& text, float tracking) const {
    if (!ok()) return 0;
    const std::vector<char32_t> chars = decodeUtf8(text);
    float width = 0;
    for (char32_t c : chars) {
        if (FT_Load_Char(face_->face, c, FT_LOAD_DEFAULT) != 0) continue;
        width += face_->face->glyph->advance.x / 64.0f + tracking;
    }
    return chars.empty() ? 0 : width - tracking;
}

void TextPainter::paint(Canvas& canvas, const std::string& text, float x, float baseline, float tracking,
                        Rgb colour) const {
    if (!ok()) return;
    // Pen positions are whole pixels so every glyph is rendered the same way
    // wherever it stands.
    float pen = x;
    for (char32_t c : decodeUtf8(text)) {
        if (FT_Load_Char(face_->face, c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face_->face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        const int left = static_cast<int>(std::lround(pen)) + g->bitmap_left;
        const int top = static_cast<int>(std::lround(baseline)) - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= canvas.height()) continue;
            for (unsigned col = 0; col < bm.width; ++col) {
                const int px = left + static_cast<int>(col);
                if (px < 0 || px >= canvas.width()) continue;
                const float cover = bm.buffer[row * bm.pitch + col] / 255.0f;
                if (cover > 0) canvas.at(px, y) = canvas.at(px, y) + colour * cover;
            }
        }
        pen += g->advance.x / 64.0f + tracking;
    }
}

void TextPainter::paintCentred(Canvas& canvas, const std::string& text, float cx, float baseline, float tracking,
                               Rgb colour) const {
    paint(canvas, text, cx - measure(text, tracking) / 2, baseline, tracking, colour);
}
