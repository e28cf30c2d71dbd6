// TextureManager against a real GL context: reuse by name, which names are
// decoded, uploads, filters, wrap modes and the capacity guard.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "assets/jpeg_decoder.h"
#include "gfx/message_box.h"
#include "gfx/texture_manager.h"
#include "jpeg_writer.h"
#include "support/gl_context.h"
#include "support/jpeg_support.h"
#include "support/temp_dir.h"

namespace {

// Runs each test inside a scratch folder holding "Textures/".
class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ensureGlContext()) GTEST_SKIP() << "no display";
        setMessageBoxesEnabled(false);
        previous_ = std::filesystem::current_path();
        std::filesystem::create_directory(dir_ / "Textures");
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override {
        if (!previous_.empty()) std::filesystem::current_path(previous_);
    }

    // Writes Textures/name; returns what the decoder makes of it.
    JpegImage writeImage(const std::string& name, int width, int height, uint32_t seed = 1) {
        JpegWriteOptions o;
        o.sampling = JpegSampling::S444;
        std::string error;
        const std::string path = "Textures/" + name;
        EXPECT_TRUE(writeJpeg(path, jpegTestPattern(width, height, 3, seed).data(), width, height, 3, o, error))
            << error;
        ByteBuffer bytes;
        EXPECT_TRUE(readDataFile(path.c_str(), DataKind::Image, bytes));
        JpegImage image;
        EXPECT_TRUE(decodeJpeg(bytes.data(), bytes.size(), image).ok);
        return image;
    }

    static GLint level(int index, TextureManager& t, GLenum what, int mip = 0) {
        t.bind(index);
        GLint v = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, mip, what, &v);
        return v;
    }
    static GLint parameter(int index, TextureManager& t, GLenum what) {
        t.bind(index);
        GLint v = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
        return v;
    }
    // GL reports the legacy internal format 3 as given or as GL_RGB.
    static bool isRgb(GLint format) { return format == 3 || format == GL_RGB; }
    static std::vector<uint8_t> pixels(int index, TextureManager& t, GLenum format, int channels) {
        const int w = level(index, t, GL_TEXTURE_WIDTH), h = level(index, t, GL_TEXTURE_HEIGHT);
        std::vector<uint8_t> p(static_cast<size_t>(w) * h * channels);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    TempDir dir_;
    std::filesystem::path previous_;
    TextureManager textures_;
};

TEST_F(TextureManagerTest, LoadUploadsTheDecodedImageOnceAndReusesTheName) {
    const JpegImage image = writeImage("gradient.jpg", 37, 21);
    const int index = textures_.load("gradient.jpg", GL_LINEAR);
    EXPECT_EQ(index, 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), textures_.glNames[index]);
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH), 37);
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_HEIGHT), 21);
    EXPECT_TRUE(isRgb(level(index, textures_, GL_TEXTURE_INTERNAL_FORMAT)));
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH, 1), 0) << "one level only";
    EXPECT_EQ(parameter(index, textures_, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(index, textures_, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(index, textures_, GL_TEXTURE_WRAP_S), GL_REPEAT);
    const std::vector<uint8_t> uploaded = pixels(index, textures_, GL_RGB, 3);
    EXPECT_EQ(maxRgbDifference(uploaded, image.rgba), 0);

    // A changed file under the same name is not read again.
    writeImage("gradient.jpg", 8, 8, 99);
    EXPECT_EQ(textures_.load("gradient.jpg", GL_LINEAR), index);
    EXPECT_EQ(textures_.count, 1);
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH), 37);
}

TEST_F(TextureManagerTest, OnlyNamesEndingInJpgAreDecoded) {
    for (const char* name : {"upper.JPG", "mixed.Jpg", "other.png", "pg"}) writeImage(name, 16, 8);
    EXPECT_EQ(level(textures_.load("upper.JPG", GL_LINEAR), textures_, GL_TEXTURE_WIDTH), 16);
    EXPECT_EQ(level(textures_.load("mixed.Jpg", GL_LINEAR), textures_, GL_TEXTURE_WIDTH), 16);
    EXPECT_EQ(level(textures_.load("other.png", GL_LINEAR), textures_, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(level(textures_.load("pg", GL_LINEAR), textures_, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(textures_.count, 4);
}

TEST_F(TextureManagerTest, MipmapFilterBuildsTheChain) {
    writeImage("m.jpg", 64, 32);
    const int index = textures_.load("m.jpg", kMipmapFilter);
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH, 1), 32);
    EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH, 6), 1);
    EXPECT_EQ(parameter(index, textures_, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(parameter(index, textures_, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureManagerTest, AlphaComesFromTheGreyOfTheSecondFileAndOnlyTheColourNameIsTheKey) {
    const JpegImage colour = writeImage("pallo2.jpg", 20, 10, 3);
    const JpegImage alpha = writeImage("pallo.jpg", 20, 10, 4);
    const int first = textures_.loadWithAlpha("pallo2.jpg", "pallo.jpg", GL_LINEAR);
    const int second = textures_.loadWithAlpha("pallo.jpg", "pallo.jpg", GL_LINEAR);
    EXPECT_NE(first, second);
    EXPECT_EQ(textures_.loadWithAlpha("pallo2.jpg", "other.jpg", GL_LINEAR), first);
    EXPECT_EQ(level(first, textures_, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    const std::vector<uint8_t> rgba = pixels(first, textures_, GL_RGBA, 4);
    ASSERT_EQ(rgba.size(), colour.rgba.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(rgba[i], colour.rgba[i]);
        ASSERT_EQ(rgba[i + 3], (alpha.rgba[i] + alpha.rgba[i + 1] + alpha.rgba[i + 2]) / 3);
    }
    const std::vector<uint8_t> own = pixels(second, textures_, GL_RGBA, 4);
    for (size_t i = 0; i < own.size(); i += 4) ASSERT_EQ(own[i + 3], (own[i] + own[i + 1] + own[i + 2]) / 3);
}

TEST_F(TextureManagerTest, MissingAndMismatchedFilesLeaveAnEmptyTextureUnderAValidIndexAndAreNamed) {
    writeImage("small.jpg", 8, 8);
    writeImage("big.jpg", 16, 16);
    ::testing::internal::CaptureStderr();
    const int missing = textures_.load("missing.jpg", GL_LINEAR);
    const int noAlpha = textures_.loadWithAlpha("big.jpg", "nothing.jpg", GL_LINEAR);
    const int noColour = textures_.loadWithAlpha("absent.jpg", "small.jpg", GL_LINEAR);
    const int mismatched = textures_.loadWithAlpha("small.jpg", "big.jpg", GL_LINEAR);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "Error: File Textures/missing.jpg not found!\n"
              "afterglow: Textures/nothing.jpg: not found; Textures/big.jpg, which takes its alpha from it, stays "
              "empty\n"
              "afterglow: Textures/absent.jpg: not found; the texture stays empty\n"
              "afterglow: Textures/small.jpg: its alpha image Textures/big.jpg is 16x16, the colour image 8x8; the "
              "texture stays empty\n");
    for (int index : {missing, noAlpha, noColour, mismatched}) EXPECT_EQ(level(index, textures_, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(textures_.load("missing.jpg", GL_LINEAR), missing);
}

// While watching, edited images come in under the indices the scenes hold;
// a file that cannot be read or decoded leaves the image there was.
TEST_F(TextureManagerTest, ReloadTakesEditedImagesAndKeepsThePreviousWhereAFileFails) {
    writeImage("plain.jpg", 16, 8, 1);
    writeImage("colour.jpg", 16, 8, 2);
    writeImage("mask.jpg", 16, 8, 3);
    writeImage("gone.jpg", 8, 8, 4);
    const int plain = textures_.load("plain.jpg", GL_LINEAR);
    const int masked = textures_.loadWithAlpha("colour.jpg", "mask.jpg", kMipmapFilter);
    const int gone = textures_.load("gone.jpg", GL_LINEAR);
    const int blank = textures_.createBlank(32, GL_LINEAR);
    const GLuint blankName = textures_.glNames[blank];

    const JpegImage plainEdited = writeImage("plain.jpg", 24, 12, 5);
    const JpegImage colourEdited = writeImage("colour.jpg", 16, 8, 6);
    const JpegImage mask = writeImage("mask.jpg", 16, 8, 3);
    std::filesystem::remove("Textures/gone.jpg");
    ::testing::internal::CaptureStderr();
    TextureManager::Reload r = textures_.reloadImages();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.reloaded, 2);
    EXPECT_EQ(r.kept, 1);
    EXPECT_NE(said.find("File Textures/gone.jpg not found!"), std::string::npos) << said;
    EXPECT_EQ(maxRgbDifference(pixels(plain, textures_, GL_RGB, 3), plainEdited.rgba), 0);
    const std::vector<uint8_t> rgba = pixels(masked, textures_, GL_RGBA, 4);
    ASSERT_EQ(rgba.size(), colourEdited.rgba.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(rgba[i], colourEdited.rgba[i]);
        ASSERT_EQ(rgba[i + 3], (mask.rgba[i] + mask.rgba[i + 1] + mask.rgba[i + 2]) / 3);
    }
    EXPECT_EQ(parameter(masked, textures_, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(level(gone, textures_, GL_TEXTURE_WIDTH), 8) << "a missing file emptied its texture";
    EXPECT_EQ(textures_.glNames[blank], blankName);

    putFile("Textures/plain.jpg", "not an image");
    ::testing::internal::CaptureStderr();
    r = textures_.reloadImages();
    said = ::testing::internal::GetCapturedStderr();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(r.kept, 2);
    EXPECT_NE(said.find("Textures/plain.jpg"), std::string::npos) << said;
    EXPECT_EQ(level(plain, textures_, GL_TEXTURE_WIDTH), 24) << "an undecodable file emptied its texture";
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

TEST_F(TextureManagerTest, BlankTexturesClampAndTheCapacityIsGuarded) {
    const int blank = textures_.createBlank(64, GL_LINEAR);
    EXPECT_EQ(level(blank, textures_, GL_TEXTURE_WIDTH), 64);
    EXPECT_TRUE(isRgb(level(blank, textures_, GL_TEXTURE_INTERNAL_FORMAT)));
    EXPECT_EQ(parameter(blank, textures_, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(parameter(blank, textures_, GL_TEXTURE_WRAP_T), GL_CLAMP);
    EXPECT_TRUE(textures_.fileNames[blank].empty());
    const int mipmapped = textures_.createBlank(16, kMipmapFilter);
    EXPECT_EQ(level(mipmapped, textures_, GL_TEXTURE_WIDTH, 4), 1);

    while (textures_.count < TextureManager::kCapacity) textures_.createBlank(1, GL_LINEAR);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(textures_.createBlank(1, GL_LINEAR), TextureManager::kNoTexture);
    EXPECT_EQ(textures_.load("late.jpg", GL_LINEAR), TextureManager::kNoTexture);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Too many textures"), std::string::npos) << said;
    EXPECT_EQ(textures_.count, TextureManager::kCapacity);

    textures_.bind(TextureManager::kNoTexture);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

}  // namespace
