#include "tools/zvdata/audio/SoundSource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "tools/zvdata/SourceText.h"
#include "tools/zvdata/audio/Tokens.h"

namespace zv::zvdata::audio {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxSeconds = 10;

// "T:V" pairs with times ascending from 0; a lone value holds for the whole voice.
bool ParsePoints(const std::vector<std::string>& words, std::size_t first, double minValue,
                 double maxValue, bool allowLone, std::vector<SoundPoint>& points,
                 std::string& error) {
    points.clear();
    auto bad = [&](const std::string& word) {
        error = "\"" + word + "\" is not a TIME:VALUE point (time 0-10 s, value " +
                std::to_string(static_cast<long>(minValue)) + "-" +
                std::to_string(static_cast<long>(maxValue)) + ")";
        return false;
    };
    std::size_t plain = 0;
    while (first + plain < words.size() && words[first + plain].find('=') == std::string::npos)
        ++plain;
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.find('=') != std::string::npos) break;
        const std::size_t colon = word.find(':');
        SoundPoint point;
        if (colon == std::string::npos) {
            if (!allowLone || plain != 1 || !ParseNumber(word, minValue, maxValue, point.value))
                return bad(word);
            points.push_back(point);
            return true;
        }
        if (!ParseNumber(std::string_view(word).substr(0, colon), 0, kMaxSeconds, point.time) ||
            !ParseNumber(std::string_view(word).substr(colon + 1), minValue, maxValue, point.value))
            return bad(word);
        if (!points.empty() && point.time < points.back().time)
            return error = "the point " + word + " goes back in time", false;
        points.push_back(point);
    }
    if (points.empty()) return error = "no points", false;
    return true;
}

// Settings of a statement: the "key=value" words, each key known and given once.
bool ParseSettings(const std::vector<std::string>& words, std::size_t first,
                   std::initializer_list<const char*> known,
                   std::map<std::string, std::string>& settings, std::string& error) {
    for (std::size_t i = first; i < words.size(); ++i) {
        std::string key, value;
        if (!SplitKeyValue(words[i], key, value))
            return error = "\"" + words[i] + "\" is not a key=value setting", false;
        if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) ==
            known.end())
            return error = "\"" + words[0] + "\" has no setting \"" + key + "\"", false;
        if (!settings.emplace(key, value).second)
            return error = "\"" + key + "\" is given twice", false;
    }
    return true;
}

bool Number(const std::map<std::string, std::string>& settings, const char* key, double min,
            double max, double& value, std::string& error) {
    const auto it = settings.find(key);
    if (it == settings.end()) return true;
    if (ParseNumber(it->second, min, max, value)) return true;
    char range[80];
    std::snprintf(range, sizeof range, "%g to %g", min, max);
    error = std::string(key) + " is a number from " + range + ", not \"" + it->second + "\"";
    return false;
}

bool Required(const std::map<std::string, std::string>& settings, const char* key,
              const std::string& statement, std::string& error) {
    if (settings.count(key)) return true;
    error = "\"" + statement + "\" needs " + key + "=";
    return false;
}

bool ParseStatement(const std::vector<std::string>& words, SoundSpec& spec, bool& haveSound,
                    std::string& error) {
    const std::string& statement = words[0];
    std::map<std::string, std::string> settings;
    if (statement == "sound") {
        if (haveSound) return error = "a second \"sound\" statement", false;
        if (!ParseSettings(words, 1, {"length", "peak", "rate"}, settings, error) ||
            !Required(settings, "length", statement, error) ||
            !Number(settings, "length", 0.01, kMaxSeconds, spec.length, error) ||
            !Number(settings, "peak", -40, 0, spec.peakDb, error))
            return false;
        double rate = spec.sampleRate;
        if (!Number(settings, "rate", 8000, 48000, rate, error)) return false;
        if (rate != 11025 && rate != 22050 && rate != 44100)
            return error = "rate is 11025, 22050 or 44100", false;
        spec.sampleRate = static_cast<int>(rate);
        haveSound = true;
        return true;
    }
    if (!haveSound) return error = "the description starts with \"sound length=...\"", false;
    if (statement == "echo") {
        return ParseSettings(words, 1, {"delay", "level"}, settings, error) &&
               Required(settings, "delay", statement, error) &&
               Required(settings, "level", statement, error) &&
               Number(settings, "delay", 0.01, 2, spec.echoDelay, error) &&
               Number(settings, "level", 0, 0.95, spec.echoLevel, error);
    }
    if (statement == "voice") {
        static const std::map<std::string, Wave> kWaves = {{"sine", Wave::Sine},
                                                           {"square", Wave::Square},
                                                           {"saw", Wave::Saw},
                                                           {"triangle", Wave::Triangle},
                                                           {"noise", Wave::Noise}};
        SoundVoice voice;
        double seed = 1;
        if (!ParseSettings(words, 1, {"wave", "start", "length", "level", "seed"}, settings,
                           error) ||
            !Required(settings, "wave", statement, error) ||
            !Number(settings, "start", 0, spec.length, voice.start, error) ||
            !Number(settings, "length", 0.001, kMaxSeconds, voice.length, error) ||
            !Number(settings, "level", 0, 1, voice.level, error) ||
            !Number(settings, "seed", 1, 4294967295.0, seed, error))
            return false;
        const auto wave = kWaves.find(settings["wave"]);
        if (wave == kWaves.end())
            return error = "wave is sine, square, saw, triangle or noise, not \"" +
                           settings["wave"] + "\"",
                   false;
        voice.wave = wave->second;
        voice.seed = static_cast<std::uint32_t>(seed);
        if (voice.length < 0) voice.length = spec.length - voice.start;
        if (voice.start + voice.length > spec.length + 1e-9)
            return error = "the voice ends after the sound's length", false;
        spec.voices.push_back(voice);
        return true;
    }
    if (spec.voices.empty()) return error = "\"" + statement + "\" before any \"voice\"", false;
    SoundVoice& voice = spec.voices.back();
    if (statement == "pitch") {
        if (voice.wave == Wave::Noise) return error = "a noise voice has no pitch", false;
        return ParsePoints(words, 1, 20, 20000, true, voice.pitch, error);
    }
    if (statement == "partials") {
        if (voice.wave == Wave::Noise) return error = "a noise voice has no partials", false;
        voice.partials.clear();
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::size_t colon = words[i].find(':');
            SoundPoint partial;
            if (colon == std::string::npos ||
                !ParseNumber(std::string_view(words[i]).substr(0, colon), 0.1, 32, partial.time) ||
                !ParseNumber(std::string_view(words[i]).substr(colon + 1), 0, 1, partial.value))
                return error = "\"" + words[i] +
                               "\" is not a RATIO:LEVEL partial (ratio 0.1-32, level 0-1)",
                       false;
            voice.partials.push_back(partial);
        }
        if (voice.partials.empty()) return error = "no partials", false;
        return true;
    }
    if (statement == "envelope") return ParsePoints(words, 1, 0, 1, false, voice.envelope, error);
    if (statement == "filter") {
        static const std::map<std::string, FilterKind> kKinds = {
            {"lowpass", FilterKind::LowPass},
            {"highpass", FilterKind::HighPass},
            {"bandpass", FilterKind::BandPass}};
        if (words.size() < 3)
            return error = "\"filter KIND T:HZ ...\" needs a kind and a cutoff", false;
        const auto kind = kKinds.find(words[1]);
        if (kind == kKinds.end())
            return error = "a filter is lowpass, highpass or bandpass, not \"" + words[1] + "\"",
                   false;
        voice.filter = kind->second;
        if (!ParsePoints(words, 2, 20, 20000, true, voice.cutoff, error)) return false;
        std::size_t first = 2;
        while (first < words.size() && words[first].find('=') == std::string::npos) ++first;
        return ParseSettings(words, first, {"q"}, settings, error) &&
               Number(settings, "q", 0.3, 30, voice.q, error);
    }
    if (statement == "drive") {
        if (words.size() != 2 || !ParseNumber(words[1], 1, 20, voice.drive))
            return error = "\"drive N\" takes one number from 1 to 20", false;
        return true;
    }
    if (statement == "vibrato" || statement == "tremolo") {
        const bool vibrato = statement == "vibrato";
        double& rate = vibrato ? voice.vibratoRate : voice.tremoloRate;
        double& depth = vibrato ? voice.vibratoDepth : voice.tremoloDepth;
        return ParseSettings(words, 1, {"rate", "depth"}, settings, error) &&
               Required(settings, "rate", statement, error) &&
               Required(settings, "depth", statement, error) &&
               Number(settings, "rate", 0.1, 50, rate, error) &&
               Number(settings, "depth", 0, vibrato ? 12 : 1, depth, error);
    }
    error = "unknown statement \"" + statement + "\"";
    return false;
}

// Linear between points; before the first and after the last the end values hold.
double At(const std::vector<SoundPoint>& points, double t, bool logarithmic) {
    if (t <= points.front().time) return points.front().value;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const SoundPoint& a = points[i - 1];
        const SoundPoint& b = points[i];
        if (t < b.time) {
            const double f = (t - a.time) / (b.time - a.time);
            return logarithmic ? a.value * std::pow(b.value / a.value, f)
                               : a.value + (b.value - a.value) * f;
        }
    }
    return points.back().value;
}

// Smooths the jumps of the hard waveforms (polynomial band-limited step).
double Blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

double Oscillator(Wave wave, double phase, double dt) {
    switch (wave) {
        case Wave::Sine:
            return std::sin(2 * kPi * phase);
        case Wave::Saw:
            return 2 * phase - 1 - Blep(phase, dt);
        case Wave::Square: {
            const double half = phase + 0.5 - std::floor(phase + 0.5);
            return (phase < 0.5 ? 1 : -1) + Blep(phase, dt) - Blep(half, dt);
        }
        case Wave::Triangle:
            return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
        case Wave::Noise:
            break;
    }
    return 0;
}

void RenderVoice(const SoundVoice& voice, int rate, std::vector<double>& mix) {
    const auto first = static_cast<std::size_t>(std::lround(voice.start * rate));
    const std::size_t count =
        std::min(static_cast<std::size_t>(std::lround(voice.length * rate)), mix.size() - first);
    std::vector<SoundPoint> partials = voice.partials;
    if (partials.empty()) partials.push_back({1, 1});
    std::vector<double> phases(partials.size(), 0.0);
    std::uint32_t noise = voice.seed;
    double low = 0, band = 0;  // filter state
    const double declick = 0.003 * rate;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        double x = 0;
        if (voice.wave == Wave::Noise) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            x = static_cast<double>(noise) / 2147483648.0 - 1.0;
        } else {
            double hz = voice.pitch.empty() ? 440 : At(voice.pitch, t, true);
            if (voice.vibratoDepth > 0)
                hz *= std::pow(2.0,
                               voice.vibratoDepth / 12 * std::sin(2 * kPi * voice.vibratoRate * t));
            for (std::size_t k = 0; k < partials.size(); ++k) {
                const double dt = std::min(hz * partials[k].time / rate, 0.5);
                x += partials[k].value * Oscillator(voice.wave, phases[k], dt);
                phases[k] += dt;
                phases[k] -= std::floor(phases[k]);
            }
        }
        if (voice.filter != FilterKind::None) {
            // State-variable filter in its trapezoidal form: stable at any cutoff below Nyquist.
            const double cutoff = std::min(At(voice.cutoff, t, true), 0.45 * rate);
            const double g = std::tan(kPi * cutoff / rate);
            const double k = 1 / voice.q;
            const double a1 = 1 / (1 + g * (g + k));
            const double v1 = a1 * band + g * a1 * (x - low);
            const double v2 = low + g * v1;
            band = 2 * v1 - band;
            low = 2 * v2 - low;
            if (voice.filter == FilterKind::LowPass)
                x = v2;
            else if (voice.filter == FilterKind::BandPass)
                x = v1;
            else
                x = x - k * v1 - v2;
        }
        if (voice.drive > 1) x = std::tanh(voice.drive * x) / std::tanh(voice.drive);
        double gain = voice.level * (voice.envelope.empty() ? 1 : At(voice.envelope, t, false));
        if (voice.tremoloDepth > 0)
            gain *=
                1 - voice.tremoloDepth * (0.5 + 0.5 * std::sin(2 * kPi * voice.tremoloRate * t));
        // Short ramps at both ends keep a voice from clicking in or out.
        const double fromStart = static_cast<double>(i), toEnd = static_cast<double>(count - 1 - i);
        gain *= std::min({1.0, fromStart / declick, toEnd / declick});
        mix[first + i] += gain * x;
    }
}

}  // namespace

bool ParseSound(const std::string& sourceName, std::string_view utf8, SoundSpec& spec,
                std::string& error) {
    spec = SoundSpec();
    bool haveSound = false;
    for (const SourceLine& line : ReadSourceLines(utf8)) {
        std::string problem;
        if (!ParseStatement(SplitWords(line.text), spec, haveSound, problem)) {
            error = sourceName + " line " + std::to_string(line.number) + ": " + problem;
            return false;
        }
    }
    if (!haveSound) return error = sourceName + ": no \"sound\" statement", false;
    if (spec.voices.empty()) return error = sourceName + ": no voice", false;
    return true;
}

bool RenderSound(const SoundSpec& spec, std::vector<std::int16_t>& samples, std::string& error) {
    const auto count = static_cast<std::size_t>(std::lround(spec.length * spec.sampleRate));
    std::vector<double> mix(count, 0.0);
    for (const SoundVoice& voice : spec.voices) RenderVoice(voice, spec.sampleRate, mix);
    if (spec.echoLevel > 0) {
        const auto delay = static_cast<std::size_t>(std::lround(spec.echoDelay * spec.sampleRate));
        for (std::size_t i = delay; i < count; ++i) mix[i] += spec.echoLevel * mix[i - delay];
    }
    // The echo may still ring at the end: fade the last 10 ms so the sound stops without a click.
    const std::size_t fade = std::min(count, static_cast<std::size_t>(spec.sampleRate / 100));
    for (std::size_t i = 0; i < fade; ++i) mix[count - 1 - i] *= static_cast<double>(i) / fade;
    double peak = 0;
    for (const double v : mix) peak = std::max(peak, std::abs(v));
    if (peak < 1e-6) return error = "the sound is silent", false;
    const double scale = std::pow(10.0, spec.peakDb / 20) * 32767 / peak;
    samples.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] =
            static_cast<std::int16_t>(std::clamp(std::lround(mix[i] * scale), -32767L, 32767L));
    return true;
}

}  // namespace zv::zvdata::audio
