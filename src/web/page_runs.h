// The page's ways to run the show, chosen by its query (page_query.h), each
// drawn a frame per animation frame once start-up is done:
//
//   ?shot=MS&size=WxH  the frame at MS as `afterglow W H --shot MS` draws it
//                      (the same replay: lead-in, the earlier scenes' state,
//                      the fixed 60 fps clock, the bars), then the title
//                      "shot ready", or "shot failed: REASON". Another shot
//                      on request (window.afterglow.shot(ms) in the page),
//                      without loading again.
//   ?benchmark         the offline clock at 10 frames a second of music
//                      (fps, from, to as natively), timing the page's own
//                      work in each frame: the report as the native
//                      benchmark's table on the console and its JSON as
//                      window.afterglowBenchmark, then the title
//                      "benchmark done".
//   (neither)          the show on the wall clock, silent.
#pragma once

#include <memory>
#include <string>

#include "runtime/options/options.h"

class PageRun {
public:
    virtual ~PageRun() = default;
    // Whether the canvas must keep its picture for someone to read back.
    virtual bool keepsPicture() const { return false; }
    // Once start-up is done, before the first frame().
    virtual void start() = 0;
    virtual void frame() = 0;
    // The program stopped (a capability it lacks, the end of the show); why,
    // as far as the page knows.
    virtual void stopped(const std::string& reason) = 0;
};

std::unique_ptr<PageRun> pageRunFor(const Options& options);

// The title a query the page cannot use gets: "shot failed: ..." for a shot.
std::string refusedQueryTitle(const std::string& query, const std::string& error);

extern "C" {
// From the page: draw the shot at ms next (a shot page only).
void pageRequestShot(double ms);
}
