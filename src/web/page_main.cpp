// The page's entry: the web build's counterpart of runtime/app/main.cpp.
// Reads the query as a command line, opens the canvas, fetches the data,
// and from then on draws once per animation frame: the loading bar until
// the data is in and the music decoded, then start-up (initialize(), all
// at once), then the run the query asked for (page_runs.h).
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "gfx/display.h"
#include "gfx/message_box.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/loading_bar.h"
#include "runtime/frame/quit.h"
#include "runtime/frame/startup.h"
#include "runtime/frame/window.h"
#include "web/canvas_window.h"
#include "web/page_data.h"
#include "web/page_js.h"
#include "web/page_query.h"
#include "web/page_runs.h"

namespace {

std::unique_ptr<PageRun> run;
bool started = false;

void animationFrame() {
    // The program left through quitProgram() in the last frame (a missing
    // capability, the end of the show): its exit only unwound that frame.
    if (quitting()) {
        emscripten_cancel_main_loop();
        const std::string& message = lastPageMessage();
        run->stopped(message.empty() ? "the program stopped" : message);
        return;
    }
    if (!started) {
        const DataProgress p = dataProgress();
        if (!p.ready()) {
            // The files, then the music's decode: one step more.
            drawLoadingBar(p.filesDone + (p.musicDecoded ? 1 : 0), p.files + 1);
            return;
        }
        initialize();
        reshape(windowWidth, windowHeight);
        started = true;
        run->start();
    }
    run->frame();
}

}  // namespace

int main() {
    setQuitHook(quitProgram);  // gfx ends the program this way too
    char* query = pageQuery();
    const std::string queryText = query;
    std::free(query);
    const ParseResult parsed = parsePageQuery(queryText);
    if (!parsed.error.empty()) {
        showMessageBox(parsed.error.c_str(), "afterglow");
        pageSetTitle(refusedQueryTitle(queryText, parsed.error).c_str());
        return 2;
    }
    for (const std::string& warning : parsed.warnings) std::fprintf(stderr, "afterglow: %s\n", warning.c_str());
    const Options& options = parsed.options;
    run = pageRunFor(options);
    windowWidth = displayWidth = options.width;
    windowHeight = displayHeight = options.height;
    keepCanvasPicture(run->keepsPicture());
    // The loop first: a canvas without WebGL 2 ends the program inside
    // openWindow(), and the next animation frame tells the page why.
    emscripten_set_main_loop(animationFrame, 0, false);
    openWindow(options);
    startLoadingData();
    return 0;
}
