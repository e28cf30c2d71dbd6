#include "image/contact_sheet.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

#include "assets/jpeg_decoder.h"
#include "image/image_file.h"
#include "image/manifest_images.h"
#include "image/text.h"

namespace {

constexpr int kCell = 256;
constexpr int kLabel = 44;
constexpr int kGap = 16;
constexpr int kColumns = 4;

// Fits the decoded image into a cell, keeping its aspect ratio: each cell
// pixel averages the image pixels under it (at least one, so small images
// grow blocky rather than blurred). A checkerboard marks the rest of the
// cell, so black image areas stay visible as image.
struct PixelView {
    int width;
    int height;
    int channels;  // 3 (RGB) or 4 (RGBA)
    const uint8_t* pixels;
};

void placeImage(Canvas& sheet, const PixelView& image, int left, int top) {
    const float scale = static_cast<float>(kCell) / std::max(image.width, image.height);
    const int w = std::max(1, static_cast<int>(image.width * scale)), h = std::max(1, static_cast<int>(image.height * scale));
    const int ox = left + (kCell - w) / 2, oy = top + (kCell - h) / 2;
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            const float check = ((x / 16 + y / 16) % 2) ? 0.22f : 0.28f;
            sheet.at(left + x, top + y) = {check, check, check};
        }
    }
    for (int y = 0; y < h; ++y) {
        const int sy0 = y * image.height / h, sy1 = std::max(sy0 + 1, (y + 1) * image.height / h);
        for (int x = 0; x < w; ++x) {
            const int sx0 = x * image.width / w, sx1 = std::max(sx0 + 1, (x + 1) * image.width / w);
            Rgb sum;
            for (int sy = sy0; sy < sy1; ++sy) {
                for (int sx = sx0; sx < sx1; ++sx) {
                    const uint8_t* p = &image.pixels[(static_cast<size_t>(sy) * image.width + sx) * image.channels];
                    sum = sum + Rgb{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
                }
            }
            sheet.at(ox + x, oy + y) = sum * (1.0f / static_cast<float>((sy1 - sy0) * (sx1 - sx0)));
        }
    }
}

}  // namespace

bool writeContactSheet(const std::filesystem::path& png, std::string& error) {
    const std::vector<std::string>& names = manifestImageNames();
    const int rows = (static_cast<int>(names.size()) + kColumns - 1) / kColumns;
    Canvas sheet(kGap + kColumns * (kCell + kGap), kGap + rows * (kCell + kLabel + kGap), {0.1f, 0.1f, 0.11f});
    TextPainter label(kFontSans, 15, error);
    if (!label.ok()) return false;
    for (size_t i = 0; i < names.size(); ++i) {
        const Image painted = paintManifestImage(names[i], error);
        if (painted.width == 0) return false;
        const std::vector<uint8_t> jpeg = encodeManifestImage(painted, error);
        if (jpeg.empty()) return false;
        JpegImage decoded;
        const JpegDecodeResult result = decodeJpeg(jpeg.data(), jpeg.size(), decoded);
        if (!result.ok) {
            error = names[i] + ": " + result.reason;
            return false;
        }
        const int left = kGap + static_cast<int>(i % kColumns) * (kCell + kGap);
        const int top = kGap + static_cast<int>(i / kColumns) * (kCell + kLabel + kGap);
        placeImage(sheet, {decoded.width, decoded.height, 4, decoded.rgba.data()}, left, top);
        char info[96];
        std::snprintf(info, sizeof info, "%d x %d %s, %zu bytes", decoded.width, decoded.height,
                      painted.channels == 1 ? "grey" : "colour", jpeg.size());
        label.paint(sheet, names[i], static_cast<float>(left), static_cast<float>(top + kCell + 18), 0, {1, 1, 1});
        label.paint(sheet, info, static_cast<float>(left), static_cast<float>(top + kCell + 37), 0,
                    {0.7f, 0.7f, 0.7f});
    }
    return writePng(png, toImage(sheet, ImageKind::Colour), error);
}

bool writeFrameSheet(const std::filesystem::path& png, const std::vector<std::filesystem::path>& frames,
                     std::string& error) {
    if (frames.empty()) {
        error = "no frames given";
        return false;
    }
    const int rows = (static_cast<int>(frames.size()) + kColumns - 1) / kColumns;
    Canvas sheet(kGap + kColumns * (kCell + kGap), kGap + rows * (kCell + kLabel + kGap), {0.1f, 0.1f, 0.11f});
    TextPainter label(kFontSans, 15, error);
    if (!label.ok()) return false;
    for (size_t i = 0; i < frames.size(); ++i) {
        png_image frame{};
        frame.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&frame, frames[i].c_str())) {
            error = frames[i].string() + ": " + frame.message;
            return false;
        }
        frame.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(frame));
        if (!png_image_finish_read(&frame, nullptr, pixels.data(), 0, nullptr)) {
            error = frames[i].string() + ": " + frame.message;
            return false;
        }
        const int left = kGap + static_cast<int>(i % kColumns) * (kCell + kGap);
        const int top = kGap + static_cast<int>(i / kColumns) * (kCell + kLabel + kGap);
        placeImage(sheet, {static_cast<int>(frame.width), static_cast<int>(frame.height), 3, pixels.data()}, left, top);
        label.paint(sheet, frames[i].stem().string(), static_cast<float>(left), static_cast<float>(top + kCell + 18), 0,
                    {1, 1, 1});
    }
    return writePng(png, toImage(sheet, ImageKind::Colour), error);
}
