#include "clock_probe/audible.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr int64_t kStep = 441;          // a window every 10 ms
constexpr int64_t kTrackWindow = 1024;  // checks that the match goes on
constexpr int64_t kSearchWindow = 4096; // finds a new match: long enough to be unique
constexpr int64_t kSearchReach = 3 * 44100;  // around the hint, each way
constexpr double kSilentRms = 1e-3;
constexpr double kMatch = 0.9;          // normalised correlation of a match (an exact one reads 0.9999)
// A new match must hold over the whole search window: one that straddles a
// gap (a stream that ran dry for a moment) matches nowhere this well.
constexpr double kFound = 0.99;
constexpr double kSameMatch = 0.002;    // matches this close to the best are as good
constexpr int64_t kDistinctShift = 44;  // a millisecond: nearer shifts are the same peak

// Sums of squares from the start, for the energy of any window in O(1).
std::vector<double> squareSums(const std::vector<float>& s) {
    std::vector<double> sums(s.size() + 1, 0.0);
    for (size_t i = 0; i < s.size(); ++i) sums[i + 1] = sums[i] + static_cast<double>(s[i]) * s[i];
    return sums;
}

double energy(const std::vector<double>& sums, int64_t from, int64_t length) {
    return sums[static_cast<size_t>(from + length)] - sums[static_cast<size_t>(from)];
}

class Matcher {
public:
    Matcher(const std::vector<float>& recording, const std::vector<float>& music)
        : rec_(recording), music_(music), recSums_(squareSums(recording)), musicSums_(squareSums(music)) {}

    bool silent(int64_t r, int64_t length) const {
        return energy(recSums_, r, length) < kSilentRms * kSilentRms * static_cast<double>(length);
    }

    // Normalised correlation of recording [r, r + length) with the music
    // shifted by shift; 0 where the music does not reach.
    double correlation(int64_t r, int64_t shift, int64_t length) const {
        const int64_t m = r + shift;
        if (m < 0 || m + length > static_cast<int64_t>(music_.size())) return 0.0;
        double dot = 0.0;
        for (int64_t k = 0; k < length; ++k) dot += static_cast<double>(rec_[r + k]) * music_[m + k];
        const double norm = std::sqrt(energy(recSums_, r, length) * energy(musicSums_, m, length));
        return norm > 0.0 ? dot / norm : 0.0;
    }

    // The shift within reach of around whose correlation over the search
    // window is highest, through one FFT; nothing when none matches, or
    // when music that repeats itself matches as well more than a
    // millisecond away: which of them played, this window cannot tell.
    std::optional<int64_t> search(int64_t r, int64_t around) {
        const int64_t first = std::max<int64_t>(0, r + around - kSearchReach);
        const int64_t last = std::min<int64_t>(static_cast<int64_t>(music_.size()) - kSearchWindow,
                                               r + around + kSearchReach);
        if (last < first || r + kSearchWindow > static_cast<int64_t>(rec_.size())) return std::nullopt;
        prepare();
        std::fill(a_, a_ + size_, 0.0f);
        std::fill(b_, b_ + size_, 0.0f);
        std::copy(rec_.begin() + r, rec_.begin() + r + kSearchWindow, a_);
        const int64_t span = std::min<int64_t>(last - first + kSearchWindow, size_);
        std::copy(music_.begin() + first, music_.begin() + first + span, b_);
        fftwf_execute_dft_r2c(forward_, a_, fa_);
        fftwf_execute_dft_r2c(forward_, b_, fb_);
        for (int64_t k = 0; k < size_ / 2 + 1; ++k) {
            const std::complex<float> x(fa_[k][0], fa_[k][1]), y(fb_[k][0], fb_[k][1]);
            const std::complex<float> p = std::conj(x) * y;
            fa_[k][0] = p.real();
            fa_[k][1] = p.imag();
        }
        fftwf_execute_dft_c2r(backward_, fa_, a_);
        const double recEnergy = energy(recSums_, r, kSearchWindow);
        std::vector<double> c(static_cast<size_t>(std::max<int64_t>(0, span - kSearchWindow + 1)), 0.0);
        double best = kFound;
        for (size_t lag = 0; lag < c.size(); ++lag) {
            const double norm = std::sqrt(recEnergy * energy(musicSums_, first + static_cast<int64_t>(lag), kSearchWindow));
            if (norm > 0.0) c[lag] = a_[lag] / static_cast<double>(size_) / norm;
            best = std::max(best, c[lag]);
        }
        const auto peak = std::max_element(c.begin(), c.end());
        if (peak == c.end() || *peak <= kFound) return std::nullopt;
        const int64_t at = peak - c.begin();
        for (size_t lag = 0; lag < c.size(); ++lag)
            if (std::llabs(static_cast<int64_t>(lag) - at) > kDistinctShift && c[lag] >= best - kSameMatch)
                return std::nullopt;
        return first + at - r;
    }

    ~Matcher() {
        if (!size_) return;
        fftwf_destroy_plan(forward_);
        fftwf_destroy_plan(backward_);
        fftwf_free(a_);
        fftwf_free(b_);
        fftwf_free(fa_);
        fftwf_free(fb_);
    }

private:
    void prepare() {
        if (size_) return;
        size_ = 1;
        while (size_ < 2 * kSearchReach + 2 * kSearchWindow) size_ *= 2;
        a_ = fftwf_alloc_real(size_);
        b_ = fftwf_alloc_real(size_);
        fa_ = fftwf_alloc_complex(size_ / 2 + 1);
        fb_ = fftwf_alloc_complex(size_ / 2 + 1);
        forward_ = fftwf_plan_dft_r2c_1d(static_cast<int>(size_), a_, fa_, FFTW_ESTIMATE);
        backward_ = fftwf_plan_dft_c2r_1d(static_cast<int>(size_), fa_, a_, FFTW_ESTIMATE);
    }

    const std::vector<float>& rec_;
    const std::vector<float>& music_;
    std::vector<double> recSums_;
    std::vector<double> musicSums_;
    int64_t size_ = 0;
    float* a_ = nullptr;
    float* b_ = nullptr;
    fftwf_complex* fa_ = nullptr;
    fftwf_complex* fb_ = nullptr;
    fftwf_plan forward_ = nullptr;
    fftwf_plan backward_ = nullptr;
};

}  // namespace

AudibleMusic::AudibleMusic(const Recording& recording, std::vector<MatchedSpan> spans)
    : rate_(recording.rate), played_(recording.played), spans_(std::move(spans)) {
    std::sort(played_.begin(), played_.end(), [](const PlayedAt& a, const PlayedAt& b) { return a.index < b.index; });
}

double AudibleMusic::originNs(double index) const {
    if (played_.empty()) return 0.0;
    auto origin = [this](const PlayedAt& p) { return static_cast<double>(p.ns) - p.index * 1e9 / rate_; };
    auto after = std::lower_bound(played_.begin(), played_.end(), index,
                                  [](const PlayedAt& p, double i) { return p.index < i; });
    if (after == played_.begin()) return origin(played_.front());
    if (after == played_.end()) return origin(played_.back());
    const PlayedAt& a = *(after - 1);
    const PlayedAt& b = *after;
    const double w = (index - a.index) / (b.index - a.index);
    return origin(a) + w * (origin(b) - origin(a));
}

double AudibleMusic::timeNsOf(double index) const { return originNs(index) + index * 1e9 / rate_; }

double AudibleMusic::indexAt(int64_t ns) const {
    // The origin hardly depends on the index: two rounds settle it.
    double index = (static_cast<double>(ns) - originNs(0.0)) * rate_ / 1e9;
    for (int round = 0; round < 2; ++round) index = (static_cast<double>(ns) - originNs(index)) * rate_ / 1e9;
    return index;
}

std::optional<double> AudibleMusic::musicMsAt(int64_t ns) const {
    const double index = indexAt(ns);
    for (const MatchedSpan& span : spans_)
        if (index >= static_cast<double>(span.from) && index < static_cast<double>(span.to))
            return (index + static_cast<double>(span.shift)) * 1000.0 / rate_;
    return std::nullopt;
}

std::optional<double> AudibleMusic::timeNsOfMusic(double musicFrame) const {
    for (const MatchedSpan& span : spans_) {
        const double index = musicFrame - static_cast<double>(span.shift);
        if (index >= static_cast<double>(span.from) && index < static_cast<double>(span.to)) return timeNsOf(index);
    }
    return std::nullopt;
}

AudibleMusic locateMusic(const Recording& recording, const std::vector<float>& music, const MusicHint& hint) {
    Matcher matcher(recording.samples, music);
    std::vector<MatchedSpan> spans;
    const int64_t total = static_cast<int64_t>(recording.samples.size());
    AudibleMusic timing(recording, {});
    std::optional<int64_t> shift;
    auto close = [&](int64_t end) {
        if (!spans.empty() && spans.back().to < 0) spans.back().to = end;
    };
    for (int64_t r = 0; r + kTrackWindow <= total; r += kStep) {
        if (matcher.silent(r, kTrackWindow)) {
            close(r);
            continue;
        }
        if (shift && matcher.correlation(r, *shift, kTrackWindow) >= kMatch) {
            if (spans.empty() || spans.back().to >= 0) spans.push_back({r, -1, *shift});
            continue;
        }
        close(r);
        // Lost, or never found: look around where the program thought the
        // music was, and around the last match.
        std::optional<int64_t> found;
        if (const std::optional<double> ms = hint(static_cast<int64_t>(timing.timeNsOf(static_cast<double>(r)))))
            found = matcher.search(r, static_cast<int64_t>(std::llround(*ms * recording.rate / 1000.0)) - r);
        if (!found && shift) found = matcher.search(r, *shift);
        if (!found) continue;
        shift = found;
        // The windows before it that this shift fits too, back to the last
        // span: what an ambiguous stretch could not tell.
        int64_t from = r;
        const int64_t floor = spans.empty() ? 0 : spans.back().to;
        while (from - kStep >= floor && !matcher.silent(from - kStep, kTrackWindow) &&
               matcher.correlation(from - kStep, *shift, kTrackWindow) >= kMatch)
            from -= kStep;
        spans.push_back({from, -1, *shift});
    }
    close(total);
    return AudibleMusic(recording, std::move(spans));
}
