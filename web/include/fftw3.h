// FFTW's single-precision real transform as the spectrum calls it, for the
// web build, over kissfft's kissfft.hh: the program's spectrum code
// (runtime/timeline/clock_math.cpp) compiles unchanged, with the FFT of a
// library Debian ships instead of FFTW, which has no WebAssembly build.
//
// Only what that code uses: a plan for one length, its own buffers, and
// execute. kissfft's real transform packs the Nyquist bin into the
// imaginary part of bin 0; FFTW gives it apart, as here.
#pragma once

#include <kissfft.hh>

#include <complex>
#include <cstddef>
#include <cstdlib>
#include <vector>

using fftwf_complex = float[2];

struct FftwfPlanRecord {
    kissfft<float> fft;
    const float* input;
    fftwf_complex* output;
    std::vector<std::complex<float>> bins;
};
using fftwf_plan = FftwfPlanRecord*;

inline constexpr unsigned FFTW_ESTIMATE = 1u << 6;

inline float* fftwf_alloc_real(std::size_t n) { return static_cast<float*>(std::calloc(n, sizeof(float))); }
inline fftwf_complex* fftwf_alloc_complex(std::size_t n) {
    return static_cast<fftwf_complex*>(std::calloc(n, sizeof(fftwf_complex)));
}

// n real samples (even) to n / 2 + 1 complex bins.
inline fftwf_plan fftwf_plan_dft_r2c_1d(int n, float* in, fftwf_complex* out, unsigned) {
    const std::size_t half = static_cast<std::size_t>(n) / 2;
    return new FftwfPlanRecord{kissfft<float>(half, false), in, out, std::vector<std::complex<float>>(half)};
}

inline void fftwf_execute(fftwf_plan plan) {
    plan->fft.transform_real(plan->input, plan->bins.data());
    const std::size_t half = plan->bins.size();
    for (std::size_t k = 1; k < half; ++k) {
        plan->output[k][0] = plan->bins[k].real();
        plan->output[k][1] = plan->bins[k].imag();
    }
    plan->output[0][0] = plan->bins[0].real();
    plan->output[0][1] = 0.0f;
    plan->output[half][0] = plan->bins[0].imag();
    plan->output[half][1] = 0.0f;
}
