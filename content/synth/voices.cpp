#include "synth/voices.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

long long seconds(double s) { return static_cast<long long>(s * kRate); }

// Noise differs per hit but is the same on every build.
uint32_t seedFor(long long frame, uint32_t voice) { return static_cast<uint32_t>(frame) * 31u + voice; }

// The six detuned squares behind hats and cymbals: their sum is inharmonic
// enough to sound metallic once the lows are filtered away.
class Metal {
public:
    explicit Metal(double scale) : scale_(scale) {}
    float next() {
        float sum = 0.0f;
        for (int i = 0; i < 6; ++i) sum += oscs_[i].next(kRatios[i] * scale_);
        return sum / 6.0f;
    }

private:
    static constexpr double kRatios[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double scale_;
    Oscillator oscs_[6] = {Oscillator(Wave::Square, 0.1), Oscillator(Wave::Square, 0.7), Oscillator(Wave::Square, 0.3),
                           Oscillator(Wave::Square, 0.9), Oscillator(Wave::Square, 0.5), Oscillator(Wave::Square, 0.2)};
};

// Renders a voice until its release has died away (or a hard limit).
template <typename Voice>
void renderNote(Buffer& out, const Note& note, Adsr env, double tailSec, Voice&& voice) {
    const long long start = frameAt(note.startMs);
    const long long gate = seconds(note.lengthMs / 1000.0);
    const long long end = gate + seconds(tailSec);
    const Pan pan(note.pan);
    for (long long i = 0; i < end; ++i) {
        if (i == gate) env.noteOff();
        const float level = env.next() * note.velocity;
        if (env.finished()) break;
        float left = 0.0f, right = 0.0f;
        voice(i, level, left, right);
        out.add(start + i, left * pan.left, right * pan.right);
    }
}

}  // namespace

void kick(Buffer& out, long long frame, float gain) {
    Oscillator body(Wave::Sine, 0.25);  // starts at the crest: a clean thump
    Noise click(seedFor(frame, 1));
    for (long long i = 0; i < seconds(0.5); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // The body settles on F2, the tonic, at the bottom of the band the
        // scenes read (86-258 Hz) rather than below it.
        const double hz = 87.3 + 130.0 * std::exp(-t / 0.04) + 40.0 * std::exp(-t / 0.004);
        const float amp = static_cast<float>(std::exp(-t / 0.26) * std::min(1.0, (0.5 - t) / 0.05));
        const float transient = click.next() * static_cast<float>(std::exp(-t / 0.0015)) * 0.35f;
        const float v = gain * saturate(1.6f * (body.next(hz) * amp + transient)) / saturate(1.6f);
        out.add(frame + i, v, v);
    }
}

void snare(Buffer& out, long long frame, float gain, float pan) {
    Oscillator tone(Wave::Sine, 0.25), overtone(Wave::Sine);
    Noise noise(seedFor(frame, 2));
    Svf hiss;
    hiss.set(1800.0, 0.1);
    const Pan p(pan);
    for (long long i = 0; i < seconds(0.4); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float body = static_cast<float>(std::exp(-t / 0.045)) *
                           (tone.next(185.0 + 60.0 * std::exp(-t / 0.01)) + 0.5f * overtone.next(330.0));
        const float rattle = hiss.highpass(noise.next()) * static_cast<float>(std::exp(-t / 0.11));
        const float v = gain * (0.55f * body + 0.8f * rattle);
        out.add(frame + i, v * p.left, v * p.right);
    }
}

void clap(Buffer& out, long long frame, float gain) {
    Noise noiseL(seedFor(frame, 3)), noiseR(seedFor(frame, 4));
    Svf bandL, bandR;
    bandL.set(1300.0, 0.35);
    bandR.set(1400.0, 0.35);
    for (long long i = 0; i < seconds(0.4); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Three quick claps of hands that are not quite together, then the room.
        double env = std::exp(-t / 0.1) * 0.45;
        for (double at : {0.0, 0.011, 0.022})
            if (t >= at) env = std::max(env, std::exp(-(t - at) / 0.005));
        const float e = gain * static_cast<float>(env) * 1.6f;
        out.add(frame + i, e * bandL.bandpass(noiseL.next()), e * bandR.bandpass(noiseR.next()));
    }
}

void hat(Buffer& out, long long frame, float gain, float pan, double decaySec) {
    Metal metal(1.9);
    Noise noise(seedFor(frame, 5));
    Svf band, high;
    band.set(9500.0, 0.3);
    high.set(7000.0, 0.0);
    const Pan p(pan);
    for (long long i = 0; i < seconds(decaySec * 6.0); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float raw = 0.6f * metal.next() + 0.5f * noise.next();
        const float v = gain * high.highpass(band.bandpass(raw) * 2.0f) * static_cast<float>(std::exp(-t / decaySec));
        out.add(frame + i, v * p.left, v * p.right);
    }
}

void crash(Buffer& out, long long frame, float gain, float pan) {
    Metal metal(2.7);
    Noise noiseL(seedFor(frame, 6)), noiseR(seedFor(frame, 7));
    Svf highL, highR;
    highL.set(3500.0, 0.1);
    highR.set(3800.0, 0.1);
    const Pan p(pan);
    for (long long i = 0; i < seconds(3.5); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A bright splash on the first 20 ms, then a long shimmer.
        const float env = static_cast<float>(0.55 * std::exp(-t / 0.8) + 0.9 * std::exp(-t / 0.02));
        const float m = 0.5f * metal.next();
        const float vl = gain * env * highL.highpass(m + noiseL.next());
        const float vr = gain * env * highR.highpass(m + noiseR.next());
        out.add(frame + i, vl * p.left, vr * p.right);
    }
}

void tom(Buffer& out, long long frame, float gain, float pan, double hz) {
    Oscillator body(Wave::Sine, 0.25);
    Noise noise(seedFor(frame, 8));
    Svf skin;
    skin.set(hz * 6.0, 0.2);
    const Pan p(pan);
    for (long long i = 0; i < seconds(0.6); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float env = static_cast<float>(std::exp(-t / 0.22));
        const float v = gain * env *
                        (body.next(hz * (1.0 + 0.6 * std::exp(-t / 0.05))) +
                         0.4f * skin.lowpass(noise.next()) * static_cast<float>(std::exp(-t / 0.03)));
        out.add(frame + i, v * p.left, v * p.right);
    }
}

void impact(Buffer& out, long long frame, float gain) {
    Oscillator boom(Wave::Sine, 0.25);
    Noise noiseL(seedFor(frame, 9)), noiseR(seedFor(frame, 10));
    Svf lowL, lowR;
    lowL.set(2500.0, 0.1);
    lowR.set(2300.0, 0.1);
    for (long long i = 0; i < seconds(3.0); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = 48.0 + 70.0 * std::exp(-t / 0.12);
        const float sub = saturate(1.5f * boom.next(hz) * static_cast<float>(std::exp(-t / 0.9)));
        const float burst = static_cast<float>(std::exp(-t / 0.12));
        out.add(frame + i, gain * (0.8f * sub + burst * lowL.lowpass(noiseL.next())),
                gain * (0.8f * sub + burst * lowR.lowpass(noiseR.next())));
    }
}

void riser(Buffer& out, long long startFrame, long long endFrame, float gain) {
    Noise noiseL(seedFor(startFrame, 11)), noiseR(seedFor(startFrame, 12));
    Svf bandL, bandR;
    const long long length = std::max(1LL, endFrame - startFrame);
    for (long long i = 0; i < length; ++i) {
        const double x = static_cast<double>(i) / length;  // 0 .. 1 across the rise
        if (i % 16 == 0) {
            const double hz = 250.0 * std::pow(40.0, x);
            bandL.set(hz, 0.55);
            bandR.set(hz * 1.06, 0.55);
        }
        // A gap of near silence in the last 130 ms (a sixteenth and a little
        // more) makes what follows hit harder: the ear hears the hit against
        // the gap, not against the top of the sweep.
        const double remaining = static_cast<double>(length - i) / kRate;
        const double breath = std::clamp((remaining - 0.13) / 0.1, 0.05, 1.0);
        const float level = gain * static_cast<float>(x * x * breath);
        out.add(startFrame + i, level * bandL.bandpass(noiseL.next()), level * bandR.bandpass(noiseR.next()));
    }
}

void fall(Buffer& out, long long startFrame, long long endFrame, float gain) {
    Noise noiseL(seedFor(startFrame, 13)), noiseR(seedFor(startFrame, 14));
    Oscillator dive(Wave::Saw);
    Svf bandL, bandR, tone;
    const long long length = std::max(1LL, endFrame - startFrame);
    for (long long i = 0; i < length; ++i) {
        const double x = static_cast<double>(i) / length;
        if (i % 16 == 0) {
            const double hz = 9000.0 * std::pow(1.0 / 40.0, x);
            bandL.set(hz, 0.5);
            bandR.set(hz * 0.94, 0.5);
            tone.set(hz * 0.5, 0.3);
        }
        const float level = gain * static_cast<float>(std::sin(kPi * std::min(1.0, x * 1.3)) * 0.7 + 0.3 * (1.0 - x));
        const float growl = 0.3f * tone.lowpass(dive.next(220.0 * std::pow(0.25, x)));
        out.add(startFrame + i, level * (bandL.bandpass(noiseL.next()) + growl),
                level * (bandR.bandpass(noiseR.next()) + growl));
    }
}

void playBass(Buffer& out, const Note& note, double brightness) {
    Oscillator sub(Wave::Sine, 0.25), octave(Wave::Sine), third(Wave::Sine), growl(Wave::Saw), growl2(Wave::Saw, 0.5);
    Svf filter;
    const double hz = midiToHz(note.midi);
    // The twelfth fades out as it climbs past 260 Hz, where the band ends.
    const float twelfth = 0.35f * static_cast<float>(std::clamp((320.0 - 3.0 * hz) / 60.0, 0.0, 1.0));
    Adsr filterEnv(0.002, 0.12, 0.25, 0.05);
    renderNote(out, note, Adsr(0.004, 0.2, 0.8, 0.05), 0.4, [&](long long i, float level, float& l, float& r) {
        const float fe = filterEnv.next();
        if (i % 16 == 0) filter.set(hz * 1.5 + brightness * (300.0 + 1800.0 * fe), 0.35);
        // The sine, its octave and (on low notes) its twelfth carry the
        // weight across the low band; the saws add the edge.
        const float v = level * (0.7f * sub.next(hz) + 0.6f * octave.next(2.0 * hz) + twelfth * third.next(3.0 * hz) +
                                 static_cast<float>(brightness) * 0.45f *
                                     filter.lowpass(growl.next(hz) + growl2.next(hz * 1.004)));
        l = r = saturate(1.3f * v) / 1.3f;
    });
}

void playPad(Buffer& out, const Note& note, const std::function<double(double)>& cutoffAt) {
    const double hz = midiToHz(note.midi);
    Oscillator sawL(Wave::Saw, 0.0), sawR(Wave::Saw, 0.37), sawC(Wave::Saw, 0.71);
    Svf filterL, filterR;
    renderNote(out, note, Adsr(0.6, 1.0, 0.8, 1.2), 3.0, [&](long long i, float level, float& l, float& r) {
        if (i % 64 == 0) {  // the sweeps are slow: a coarse update is smooth enough
            const double cutoff = cutoffAt(note.startMs + i * 1000.0 / kRate);
            filterL.set(cutoff, 0.25);
            filterR.set(cutoff * 1.03, 0.25);
        }
        // Three saws a few cents apart, the outer two spread left and right.
        const float centre = 0.5f * sawC.next(hz);
        l = level * 0.3f * filterL.lowpass(sawL.next(hz * 0.9965) + centre);
        r = level * 0.3f * filterR.lowpass(sawR.next(hz * 1.0035) + centre);
    });
}

void playStab(Buffer& out, const Note& note) {
    const double hz = midiToHz(note.midi);
    Oscillator a(Wave::Saw, 0.1), b(Wave::Saw, 0.6), c(Wave::Square, 0.3);
    Svf filterL, filterR;
    Adsr filterEnv(0.001, 0.25, 0.1, 0.3);
    renderNote(out, note, Adsr(0.001, 0.35, 0.35, 0.5), 2.5, [&](long long i, float level, float& l, float& r) {
        const float fe = filterEnv.next();
        if (i % 16 == 0) {
            filterL.set(500.0 + 7000.0 * fe, 0.3);
            filterR.set(520.0 + 7200.0 * fe, 0.3);
        }
        const float sq = 0.4f * c.next(hz * 0.5);
        l = level * 0.35f * filterL.lowpass(a.next(hz * 0.994) + sq);
        r = level * 0.35f * filterR.lowpass(b.next(hz * 1.006) + sq);
    });
}

void playLead(Buffer& out, const Note& note) {
    const double hz = midiToHz(note.midi);
    Oscillator saw(Wave::Saw), square(Wave::Square, 0.5), vibrato(Wave::Sine);
    square.pulseWidth = 0.3;
    Svf filter;
    Adsr filterEnv(0.005, 0.3, 0.4, 0.2);
    renderNote(out, note, Adsr(0.008, 0.3, 0.75, 0.25), 1.5, [&](long long i, float level, float& l, float& r) {
        const double t = static_cast<double>(i) / kRate;
        // Vibrato fades in after the attack, as a player would do it.
        const double depth = 0.004 * std::clamp((t - 0.25) / 0.3, 0.0, 1.0);
        const double f = hz * (1.0 + depth * vibrato.next(5.5));
        const float fe = filterEnv.next();
        if (i % 16 == 0) filter.set(900.0 + 4200.0 * fe, 0.3);
        l = r = level * 0.4f * filter.lowpass(saw.next(f) + 0.6f * square.next(f * 1.002));
    });
}

void playPluck(Buffer& out, const Note& note, double brightness) {
    const double hz = midiToHz(note.midi);
    Oscillator square(Wave::Square), saw(Wave::Saw, 0.5);
    square.pulseWidth = 0.25;
    Svf filter;
    Adsr filterEnv(0.001, 0.12, 0.0, 0.1);
    renderNote(out, note, Adsr(0.001, 0.22, 0.0, 0.12), 0.5, [&](long long i, float level, float& l, float& r) {
        const float fe = filterEnv.next();
        if (i % 16 == 0) filter.set(400.0 + brightness * 6000.0 * fe + 600.0 * brightness, 0.45);
        l = r = level * 0.35f * filter.lowpass(square.next(hz) + 0.5f * saw.next(hz * 2.0));
    });
}

}  // namespace synth
