// A second start-up in the same process must build the same presentation
// as the first. Scene assets are process-wide, so a scene whose loader
// builds on what an earlier start-up left (a model read twice into the same
// object, dust marked as emitted, the random sequence further on) plays
// differently the second time.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "data_folder.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "gl/scene_harness.h"
#include "support/temp_dir.h"

namespace {

// What one start-up and one pass through the presentation show.
struct Pass {
    uint32_t crtAfterStartUp = 0;
    uint32_t randomAfterStartUp = 0;
    uint32_t crtAtEnd = 0;
    uint32_t randomAtEnd = 0;
    std::vector<GLuint> primitives;  // per drawn frame: geometry a doubled model or path would double
    std::vector<uint64_t> pictures;  // per drawn frame: a hash of the picture
};

// The state half of every frame at 10 fps from 0 to the end, and the middle
// frame of each scene drawn as well.
Pass startUpAndPlay(const std::filesystem::path& data) {
    Pass pass;
    startUpIn(data);
    pass.crtAfterStartUp = crtRandState();
    pass.randomAfterStartUp = randomState();
    GLuint query = 0;
    glGenQueries(1, &query);
    int nextScene = 0;
    placeClock(0.0f);
    for (int ms = 0; ms <= kPresentationEndMs; ms += 100) {
        const bool draw = nextScene < kSceneCount &&
                          ms >= (sceneStartMs[nextScene] + std::min(sceneStartMs[nextScene + 1], kPresentationEndMs)) / 2;
        if (draw) {
            ++nextScene;
            glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        }
        runFrameAt(static_cast<float>(ms), 100.0f, draw);
        if (!draw) continue;
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        pass.primitives.push_back(count);
        pass.pictures.push_back(pictureBandHash());
    }
    glDeleteQueries(1, &query);
    pass.crtAtEnd = crtRandState();
    pass.randomAtEnd = randomState();
    return pass;
}

TEST(SecondStartUp, BuildsAndPlaysTheSamePresentationAsTheFirst) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    if (!GLEW_VERSION_3_0) GTEST_SKIP() << "no primitive count query";
    TempDir data;
    writeFixtureShaders(data.path());
    std::string error;
    ASSERT_TRUE(writeDataGroup(DataGroup::Models, data.path(), error)) << error;

    const Pass first = startUpAndPlay(data.path());
    ASSERT_EQ(first.primitives.size(), static_cast<size_t>(kSceneCount));
    const Pass second = startUpAndPlay(data.path());
    EXPECT_EQ(second.crtAfterStartUp, first.crtAfterStartUp) << "the tile heights differ";
    EXPECT_EQ(second.randomAfterStartUp, first.randomAfterStartUp);
    EXPECT_EQ(second.crtAtEnd, first.crtAtEnd) << "the particles drew differently";
    EXPECT_EQ(second.randomAtEnd, first.randomAtEnd);
    for (int k = 0; k < kSceneCount; ++k) {
        EXPECT_EQ(second.primitives[k], first.primitives[k]) << "scene " << k << " draws other geometry";
        EXPECT_EQ(second.pictures[k], first.pictures[k]) << "scene " << k << " looks different";
    }
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
