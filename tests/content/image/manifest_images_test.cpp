// The painted data-folder images: the sizes and pairings the program relies
// on, the JPEG form our decoder reads (checked against libjpeg-turbo), and
// the few properties each scene's use of an image depends on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "assets/jpeg_decoder.h"
#include "image/contact_sheet.h"
#include "image/manifest_images.h"
#include "support/jpeg_support.h"
#include "support/png_read.h"
#include "support/temp_dir.h"

namespace {

struct Painted {
    Image image;
    std::vector<uint8_t> jpeg;
    JpegImage decoded;
};

// Painting takes about a second: do it once for the whole suite.
const std::map<std::string, Painted>& painted() {
    static const std::map<std::string, Painted> all = [] {
        std::map<std::string, Painted> out;
        for (const std::string& name : manifestImageNames()) {
            std::string error;
            Painted p;
            p.image = paintManifestImage(name, error);
            EXPECT_GT(p.image.width, 0) << name << ": " << error;
            p.jpeg = encodeManifestImage(p.image, error);
            EXPECT_FALSE(p.jpeg.empty()) << name << ": " << error;
            EXPECT_TRUE(decodeJpeg(p.jpeg.data(), p.jpeg.size(), p.decoded).ok) << name;
            out.emplace(name, std::move(p));
        }
        return out;
    }();
    return all;
}

// Grey level (0..255) of a decoded pixel.
int greyAt(const JpegImage& image, int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return (p[0] + p[1] + p[2]) / 3;
}

int maxGreyIn(const JpegImage& image, int x0, int y0, int x1, int y1) {
    int m = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) m = std::max(m, greyAt(image, x, y));
    return m;
}

// Component count of the SOF0 frame header; -1 when the file has none.
int sof0Components(const std::vector<uint8_t>& jpeg) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return jpeg[i + 9];
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC2 || jpeg[i + 1] == 0xDA)) return -1;
    }
    return -1;
}

void checkEveryImageTheProgramLoadsIsPaintedInPowerOfTwoSizes() {
    const std::vector<std::string> expected = {"gradient.jpg", "particle2mask.jpg", "pallo2.jpg",   "nebula.jpg",
                                               "pallo3.jpg",   "ground.jpg",        "cloud.jpg",    "black_1024.jpg",
                                               "logo.jpg",     "particle2.jpg",     "nebula2.jpg",  "white_512.jpg",
                                               "ring.jpg",     "credits.jpg",       "pallo.jpg",    "cloudy.jpg"};
    EXPECT_EQ(manifestImageNames(), expected);
    auto powerOfTwo = [](int v) { return v >= 64 && v <= 1024 && (v & (v - 1)) == 0; };
    size_t total = 0;
    for (const auto& [name, p] : painted()) {
        EXPECT_TRUE(powerOfTwo(p.image.width) && powerOfTwo(p.image.height)) << name;
        total += p.jpeg.size();
    }
    EXPECT_LT(total, 6u * 1024 * 1024);
}

void checkColourFilesShareTheSizeOfTheirAlphaFiles() {
    const std::pair<const char*, const char*> pairs[] = {{"pallo2.jpg", "pallo.jpg"},
                                                         {"particle2.jpg", "particle2mask.jpg"},
                                                         {"black_1024.jpg", "logo.jpg"},
                                                         {"white_512.jpg", "ring.jpg"}};
    for (const auto& [colour, alpha] : pairs) {
        EXPECT_EQ(painted().at(colour).image.width, painted().at(alpha).image.width) << colour;
        EXPECT_EQ(painted().at(colour).image.height, painted().at(alpha).image.height) << colour;
    }
    EXPECT_EQ(painted().at("black_1024.jpg").image.width, 1024);
    EXPECT_EQ(painted().at("white_512.jpg").image.width, 512);
}

void checkFilesAreBaselineGreyOrColourAndOurDecoderMatchesLibjpeg() {
    for (const auto& [name, p] : painted()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(sof0Components(p.jpeg), p.image.channels);
        int width = 0, height = 0;
        std::vector<uint8_t> reference;
        std::string error;
        ASSERT_TRUE(decodeWithLibjpegFloat(p.jpeg, width, height, reference, error)) << error;
        ASSERT_EQ(p.decoded.width, width);
        ASSERT_EQ(p.decoded.height, height);
        // The decoder's stated bound against libjpeg-turbo's float IDCT with
        // replicated chroma: 1 for grey, 4 for colour.
        EXPECT_LE(maxRgbDifference(reference, p.decoded.rgba), p.image.channels == 1 ? 1 : 4);
    }
}

void checkGradientRunsFromWhiteToBlackAndIsBlackBeforeTheStripLeaves() {
    const JpegImage& g = painted().at("gradient.jpg").decoded;
    EXPECT_GE(greyAt(g, 32, 0), 250);
    int previous = 255;
    for (int y = 0; y < g.height; y += 8) {
        const int level = greyAt(g, 32, y);
        EXPECT_LE(level, previous + 1) << "row " << y;
        previous = std::min(previous, level);
    }
    // The opening stops drawing the strip when it shows rows 0.8 to 0.9 of
    // the height; by then it must already show black.
    EXPECT_LE(maxGreyIn(g, 0, 820, g.width, g.height), 2);
}

void checkLogoAndCreditsKeepTheirTextWhereTheScenesShowIt() {
    const JpegImage& logo = painted().at("logo.jpg").decoded;
    EXPECT_LE(maxGreyIn(logo, 0, 0, 1024, 512), 3) << "the upper half of the logo quad stays clear";
    EXPECT_GE(maxGreyIn(logo, 0, 512, 512, 1024), 250) << "the mark sits at the lower left";
    EXPECT_GE(maxGreyIn(logo, 512, 512, 1024, 1024), 250) << "the word runs to the right of it";
    // The card is seen at under half its size: its lines spread over the
    // whole image, with a dark margin so no glyph is cut at the card's edge.
    const JpegImage& credits = painted().at("credits.jpg").decoded;
    EXPECT_LE(maxGreyIn(credits, 0, 0, 1024, 48), 3);
    EXPECT_LE(maxGreyIn(credits, 0, 976, 1024, 1024), 3);
    EXPECT_LE(maxGreyIn(credits, 0, 0, 32, 1024), 3);
    EXPECT_LE(maxGreyIn(credits, 992, 0, 1024, 1024), 3);
    EXPECT_GE(maxGreyIn(credits, 0, 48, 1024, 300), 250) << "the mark and the title fill the top";
    EXPECT_GE(maxGreyIn(credits, 0, 800, 1024, 976), 250) << "the last line sits low on the card";
}

void checkSpritesAndDecalsFadeToBlackAtTheirEdges() {
    for (const char* name : {"particle2mask.jpg", "pallo.jpg", "ring.jpg", "cloud.jpg", "cloudy.jpg"}) {
        const JpegImage& im = painted().at(name).decoded;
        SCOPED_TRACE(name);
        int edge = 0;
        for (int i = 0; i < im.width; ++i) {
            edge = std::max({edge, greyAt(im, i, 0), greyAt(im, i, im.height - 1), greyAt(im, 0, i),
                             greyAt(im, im.width - 1, i)});
        }
        EXPECT_LE(edge, 4);
    }
    for (const char* name : {"particle2mask.jpg", "pallo.jpg", "cloudy.jpg"}) {
        const JpegImage& im = painted().at(name).decoded;
        EXPECT_GE(greyAt(im, im.width / 2, im.height / 2), 240) << name;
    }
    const JpegImage& ring = painted().at("ring.jpg").decoded;
    EXPECT_LE(greyAt(ring, 256, 256), 3) << "a ring, not a disc";
    EXPECT_GE(greyAt(ring, 256 + 196, 256), 240);
}

void checkGroundAndSkiesWrapWithoutASeam() {
    // Across the wrap the step between the last and first column is no
    // larger than steps inside the image.
    for (const char* name : {"ground.jpg", "nebula.jpg", "nebula2.jpg"}) {
        const Image& im = painted().at(name).image;
        double wrap = 0, inside = 0;
        for (int y = 0; y < im.height; ++y) {
            const uint8_t* row = &im.pixels[static_cast<size_t>(y) * im.width * 3];
            const uint8_t* last = row + (im.width - 1) * 3;
            const uint8_t* mid = row + (im.width / 2) * 3;
            for (int c = 0; c < 3; ++c) {
                wrap += std::abs(row[c] - last[c]);
                inside += std::abs(mid[c] - mid[c + 3]);
            }
        }
        EXPECT_LT(wrap, 2.5 * inside + im.height) << name;
    }
    const Image& ground = painted().at("ground.jpg").image;
    double wrapRows = 0, insideRows = 0;
    const size_t stride = static_cast<size_t>(ground.width) * 3;
    for (size_t i = 0; i < stride; ++i) {
        wrapRows += std::abs(ground.pixels[i] - ground.pixels[stride * (ground.height - 1) + i]);
        insideRows += std::abs(ground.pixels[stride * 200 + i] - ground.pixels[stride * 201 + i]);
    }
    EXPECT_LT(wrapRows, 2.5 * insideRows + ground.width);
}

}  // namespace

// Painting takes a couple of seconds, so the checks share one painting.
TEST(ContentImages, FilesSizesAndDecoding) {
    checkEveryImageTheProgramLoadsIsPaintedInPowerOfTwoSizes();
    checkColourFilesShareTheSizeOfTheirAlphaFiles();
    checkFilesAreBaselineGreyOrColourAndOurDecoderMatchesLibjpeg();
}

TEST(ContentImages, WhatTheScenesRelyOn) {
    checkGradientRunsFromWhiteToBlackAndIsBlackBeforeTheStripLeaves();
    checkLogoAndCreditsKeepTheirTextWhereTheScenesShowIt();
    checkSpritesAndDecalsFadeToBlackAtTheirEdges();
    checkGroundAndSkiesWrapWithoutASeam();
}

TEST(ContentImages, ContactSheetShowsEveryImage) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeContactSheet(dir / "sheet.png", error)) << error;
    RgbImage sheet;
    ASSERT_TRUE(readPngRgb((dir / "sheet.png").string(), sheet, error)) << error;
    // Four columns of 256-pixel cells with 16-pixel gaps, four rows.
    EXPECT_EQ(sheet.width, 16 + 4 * (256 + 16));
    EXPECT_EQ(sheet.height, 16 + 4 * (256 + 44 + 16));
    // The white image fills its cell (row 2, column 3).
    const int left = 16 + 3 * 272, top = 16 + 2 * 316;
    EXPECT_EQ(sheet.at(left + 128, top + 128)[0], 255);
}
