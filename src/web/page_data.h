// The data in the page: the files of the data set (the list the native
// lookup asks of a folder, generated/data_set.h) fetched into the
// in-memory file system, where the program's readers find them by the
// names they use natively, and the music decoded by the browser.
//
//   startLoadingData();                        // once, before the first frame
//   const DataProgress p = dataProgress();     // each frame, for the bar
//   if (p.ready()) initialize();
#pragma once

struct DataProgress {
    int filesDone = 0;
    int files = 0;
    bool musicDecoded = false;  // or found missing or undecodable: done either way

    bool ready() const { return files > 0 && filesDone == files && musicDecoded; }
};

void startLoadingData();
DataProgress dataProgress();

extern "C" {
// From the page: done of total files fetched (or given up).
void pageDataProgress(int done, int total);
// From the page: the music as interleaved stereo float samples, malloc'd
// (the music module keeps them), or null when there is none.
void pageMusicDecoded(float* samples, int frames, int sampleRate);
}
