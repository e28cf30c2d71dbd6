#include "web/page_data.h"

#include <emscripten/emscripten.h>

#include <string>

#include "data_set.h"
#include "web/page_js.h"
#include "web/page_music.h"

namespace {

DataProgress progress;

}  // namespace

void startLoadingData() {
    std::string names;
    for (const char* file : kDataSetFiles) names += std::string(file) + '\n';
    progress = {.filesDone = 0, .files = static_cast<int>(std::size(kDataSetFiles)), .musicDecoded = false};
    pageFetchData(names.c_str());
}

DataProgress dataProgress() { return progress; }

extern "C" {

EMSCRIPTEN_KEEPALIVE void pageDataProgress(int done, int total) {
    progress.filesDone = done;
    progress.files = total;
}

EMSCRIPTEN_KEEPALIVE void pageMusicDecoded(float* samples, int frames, int sampleRate) {
    setPageMusic(samples, frames, sampleRate);
    progress.musicDecoded = true;
}

}  // extern "C"
