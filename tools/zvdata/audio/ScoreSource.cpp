#include "tools/zvdata/audio/ScoreSource.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "tools/zvdata/SourceText.h"
#include "tools/zvdata/audio/Tokens.h"

namespace zv::zvdata::audio {

namespace {

constexpr std::uint32_t kSixteenth = kTicksPerQuarter / 4;

struct Quality {
    int third, fifth, seventh, ninth;  // semitones above the root; -1 when the chord has none
};

const std::map<std::string, Quality>& Qualities() {
    static const std::map<std::string, Quality> kQualities = {
        {"", {4, 7, -1, -1}},     {"m", {3, 7, -1, -1}},     {"7", {4, 7, 10, -1}},
        {"maj7", {4, 7, 11, -1}}, {"m7", {3, 7, 10, -1}},    {"6", {4, 7, 9, -1}},
        {"m6", {3, 7, 9, -1}},    {"dim", {3, 6, -1, -1}},   {"dim7", {3, 6, 9, -1}},
        {"m7b5", {3, 6, 10, -1}}, {"aug", {4, 8, -1, -1}},   {"sus2", {2, 7, -1, -1}},
        {"sus4", {5, 7, -1, -1}}, {"7sus4", {5, 7, 10, -1}}, {"5", {12, 7, -1, -1}},
        {"add9", {4, 7, -1, 14}}, {"madd9", {3, 7, -1, 14}}, {"9", {4, 7, 10, 14}},
        {"m9", {3, 7, 10, 14}},   {"maj9", {4, 7, 11, 14}}};
    return kQualities;
}

const std::map<std::string, int>& DrumNames() {
    static const std::map<std::string, int> kDrums = {
        {"kick", 36},     {"kick2", 35},   {"snare", 38},  {"snare2", 40},  {"rim", 37},
        {"clap", 39},     {"hat", 42},     {"pedal", 44},  {"openhat", 46}, {"crash", 49},
        {"crash2", 57},   {"ride", 51},    {"bell", 53},   {"splash", 55},  {"china", 52},
        {"tamb", 54},     {"cowbell", 56}, {"lowtom", 45}, {"midtom", 47},  {"hightom", 50},
        {"floortom", 41}, {"timbale", 65}};
    return kDrums;
}

int PitchClass(char letter) {
    static const int kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    return kClasses[letter - 'a'];
}

// "c4", "f#5", "bb3" (c4 = 60), or a drum name or number on the drum track.
bool ParsePitch(const std::string& word, bool drums, int& pitch) {
    if (drums) {
        const auto it = DrumNames().find(word);
        if (it != DrumNames().end()) return pitch = it->second, true;
        long number;
        if (ParseWhole(word, 27, 87, number)) return pitch = static_cast<int>(number), true;
        return false;
    }
    if (word.size() < 2 || word[0] < 'a' || word[0] > 'g') return false;
    int value = PitchClass(word[0]);
    std::size_t i = 1;
    if (word[i] == '#' || (word[i] == 'b' && i + 1 < word.size()))
        value += word[i++] == '#' ? 1 : -1;
    long octave;
    if (!ParseWhole(std::string_view(word).substr(i), -1, 9, octave)) return false;
    value += 12 * (static_cast<int>(octave) + 1);
    if (value < 0 || value > 127) return false;
    return pitch = value, true;
}

// A duration in sixteenths, "4" or "4/3", as ticks.
bool ParseDuration(const std::string& text, std::uint32_t& ticks) {
    const std::size_t slash = text.find('/');
    long count, divisor = 1;
    if (!ParseWhole(text.substr(0, slash), 1, 256, count)) return false;
    if (slash != std::string::npos && !ParseWhole(text.substr(slash + 1), 1, 16, divisor))
        return false;
    if ((count * kSixteenth) % divisor != 0) return false;
    ticks = static_cast<std::uint32_t>(count * kSixteenth / divisor);
    return true;
}

// One written step: "d5:4~!", "[1 3 5]:16", "r:2".
struct Step {
    std::vector<std::string> pitches;  // empty for a rest
    std::uint32_t length = 0;          // 0: the previous length
    bool tie = false;
    int accent = 0;
};

bool ParseStep(const std::string& word, Step& step, std::string& error) {
    step = Step();
    std::string core = word;
    while (!core.empty() && (core.back() == '~' || core.back() == '!' || core.back() == '?')) {
        if (core.back() == '~') step.tie = true;
        step.accent += core.back() == '!' ? 16 : core.back() == '?' ? -16 : 0;
        core.pop_back();
    }
    const std::size_t colon = core.rfind(':');
    if (colon != std::string::npos) {
        if (!ParseDuration(core.substr(colon + 1), step.length))
            return error = "\"" + word + "\": a duration is sixteenths, 1-256, or N/M of them in " +
                           "whole ticks",
                   false;
        core.resize(colon);
    }
    if (core == "r") {
        if (step.tie) return error = "\"" + word + "\": a rest cannot be tied", false;
        return true;
    }
    if (!core.empty() && core.front() == '[') {
        if (core.back() != ']' || core.size() < 3)
            return error = "\"" + word + "\": a chord is [NOTE NOTE ...]", false;
        step.pitches = SplitWords(core.substr(1, core.size() - 2));
        if (step.pitches.empty()) return error = "\"" + word + "\": an empty chord", false;
        return true;
    }
    if (core.empty()) return error = "\"" + word + "\" is no note", false;
    step.pitches.push_back(core);
    return true;
}

// Words of a line with "[a b c]" kept together as one word.
bool JoinChords(const std::vector<std::string>& words, std::size_t first,
                std::vector<std::string>& out, std::string& error) {
    out.clear();
    for (std::size_t i = first; i < words.size(); ++i) {
        std::string word = words[i];
        if (word.front() == '[') {
            while (word.find(']') == std::string::npos) {
                if (++i == words.size()) return error = "a \"[\" without its \"]\"", false;
                word += " " + words[i];
            }
        }
        out.push_back(word);
    }
    return true;
}

struct Tone {
    bool bass = false;
    int degree = 1;  // 1 3 5 7 9
    int shift = 0;   // octaves
};

struct PatternStep {
    std::vector<Tone> tones;  // empty: rest
    std::uint32_t length;
    int accent;
};

struct Pattern {
    std::vector<PatternStep> steps;
    std::uint32_t length = 0;
};

struct Grid {
    int steps = 16;
    std::vector<std::pair<std::string, std::string>> rows;  // pitch word, hits
    int line = 0;
};

struct Chord {
    std::uint32_t start = 0, length = 0;
    bool none = false;
    int root = 0, bass = 0;
    Quality quality{};
};

struct TrackInfo {
    MidiTrack midi;
    int octave = 4;
    int velocity = 90;
    bool drums = false;
};

struct Section {
    std::uint32_t length = 0;
    std::vector<MidiNote> notes;  // ticks from the section's start
    std::optional<double> tempo;
};

class Compiler {
  public:
    bool Line(const SourceLine& line, std::string& error);
    bool Finish(Score& score, std::string& error);

  private:
    bool TopLevel(const std::vector<std::string>& words, const std::string& text,
                  std::string& error);
    bool TrackStatement(const std::vector<std::string>& words, std::string& error);
    bool PatternStatement(const std::vector<std::string>& words, std::string& error);
    bool CompileSection(std::string& error);
    bool SectionChords(const std::vector<std::string>& words, std::string& error);
    bool SectionPlay(const std::vector<std::string>& words, std::string& error);
    bool SectionNotes(const std::vector<std::string>& words, std::string& error);
    int FindTrack(const std::string& name, std::string& error) const;
    std::uint32_t BarLength() const {
        return kTicksPerQuarter * 4 * meterNumerator_ / meterDenominator_;
    }
    int TonePitch(const Tone& tone, const Chord& chord, int octave) const;

    enum class Mode { Top, Grid, Section } mode_ = Mode::Top;
    std::string file_, title_;
    double tempo_ = 0;
    int meterNumerator_ = 4, meterDenominator_ = 4;
    int humanize_ = 0;
    std::vector<TrackInfo> tracks_;
    std::map<std::string, Pattern> patterns_;
    std::map<std::string, Grid> grids_;
    std::map<std::string, Section> sections_;
    std::vector<std::string> form_;

    // The section or grid being read.
    std::string openName_;
    int openBars_ = 0;
    Grid openGrid_;
    std::vector<SourceLine> sectionLines_;
    // The section being compiled.
    Section* section_ = nullptr;
    std::vector<Chord> chords_;
    std::map<std::string, std::uint32_t> layerEnds_;  // notes layer -> written length
    std::map<std::string, int> layerVelocity_;
    std::map<std::string, std::uint32_t> layerDuration_;
    std::map<std::string, std::vector<std::size_t>> layerTies_;  // notes waiting for their tie
    std::map<std::string, int> layerLine_;
};

int Compiler::FindTrack(const std::string& name, std::string& error) const {
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        if (tracks_[i].midi.name == name) return static_cast<int>(i);
    error = "no track \"" + name + "\"";
    return -1;
}

int Compiler::TonePitch(const Tone& tone, const Chord& chord, int octave) const {
    // Roots C-F sit in the track's octave, F#-B just below it, so chords stay near one place.
    auto place = [&](int pitchClass) {
        return 12 * (octave + 1) + pitchClass - (pitchClass >= 6 ? 12 : 0);
    };
    if (tone.bass) return place(chord.bass) + 12 * tone.shift;
    int interval = 0;
    switch (tone.degree) {
        case 3:
            interval = chord.quality.third;
            break;
        case 5:
            interval = chord.quality.fifth;
            break;
        case 7:
            interval = chord.quality.seventh >= 0 ? chord.quality.seventh : 12;
            break;
        case 9:
            interval = chord.quality.ninth >= 0 ? chord.quality.ninth : 14;
            break;
        default:
            break;
    }
    return place(chord.root) + interval + 12 * tone.shift;
}

bool Compiler::TrackStatement(const std::vector<std::string>& words, std::string& error) {
    if (words.size() < 2 || words[1].find('=') != std::string::npos)
        return error = "\"track NAME program=N ...\" needs a name", false;
    std::string unused;
    if (FindTrack(words[1], unused) >= 0)
        return error = "a second track \"" + words[1] + "\"", false;
    TrackInfo track;
    track.midi.name = words[1];
    bool haveProgram = false;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "drums") {
            track.drums = true;
            track.velocity = 100;
            continue;
        }
        std::string key, value;
        long number;
        if (!SplitKeyValue(words[i], key, value))
            return error = "\"" + words[i] + "\" is not a key=value setting", false;
        struct Setting {
            const char* key;
            long min, max;
            int* target;
        };
        const Setting settings[] = {
            {"program", 0, 127, &track.midi.program}, {"volume", 0, 127, &track.midi.volume},
            {"pan", 0, 127, &track.midi.pan},         {"reverb", 0, 127, &track.midi.reverb},
            {"chorus", 0, 127, &track.midi.chorus},   {"octave", 0, 8, &track.octave},
            {"velocity", 1, 127, &track.velocity}};
        const Setting* setting = nullptr;
        for (const Setting& s : settings)
            if (key == s.key) setting = &s;
        if (setting == nullptr) return error = "a track has no setting \"" + key + "\"", false;
        if (!ParseWhole(value, setting->min, setting->max, number))
            return error = key + " is " + std::to_string(setting->min) + "-" +
                           std::to_string(setting->max) + ", not \"" + value + "\"",
                   false;
        *setting->target = static_cast<int>(number);
        if (key == "program") haveProgram = true;
    }
    if (track.drums) {
        for (const TrackInfo& other : tracks_)
            if (other.drums) return error = "a second drum track", false;
        if (haveProgram) return error = "the drum track takes no program", false;
        track.midi.channel = kDrumChannel;
    } else {
        if (!haveProgram)
            return error = "track \"" + track.midi.name + "\" needs program=0-127", false;
        int channel = 0;
        for (const TrackInfo& other : tracks_)
            if (!other.drums) ++channel;
        if (channel >= kDrumChannel) ++channel;
        if (channel > 15) return error = "more than 15 instrument tracks", false;
        track.midi.channel = channel;
    }
    tracks_.push_back(track);
    return true;
}

bool Compiler::PatternStatement(const std::vector<std::string>& words, std::string& error) {
    if (words.size() < 3) return error = "\"pattern NAME STEP ...\" needs a name and steps", false;
    if (patterns_.count(words[1]) || grids_.count(words[1]))
        return error = "a second pattern \"" + words[1] + "\"", false;
    std::vector<std::string> items;
    if (!JoinChords(words, 2, items, error)) return false;
    Pattern pattern;
    std::uint32_t length = 4 * kSixteenth;
    for (const std::string& item : items) {
        Step step;
        if (!ParseStep(item, step, error)) return false;
        if (step.tie) return error = "\"" + item + "\": pattern steps are not tied", false;
        if (step.length) length = step.length;
        PatternStep out{{}, length, step.accent};
        for (const std::string& word : step.pitches) {
            Tone tone;
            std::size_t i = 0;
            if (word[0] == 'b') {
                tone.bass = true;
                i = 1;
            } else if (word[0] == '1' || word[0] == '3' || word[0] == '5' || word[0] == '7' ||
                       word[0] == '9') {
                tone.degree = word[0] - '0';
                i = 1;
            } else {
                return error = "\"" + word + "\": a pattern step is a chord tone 1 3 5 7 9 or b, " +
                               "with + or - for octaves",
                       false;
            }
            for (; i < word.size(); ++i) {
                if (word[i] == '+')
                    ++tone.shift;
                else if (word[i] == '-')
                    --tone.shift;
                else
                    return error = "\"" + word + "\": a chord tone takes only + and - after it",
                           false;
            }
            out.tones.push_back(tone);
        }
        pattern.steps.push_back(out);
        pattern.length += length;
    }
    patterns_[words[1]] = pattern;
    return true;
}

bool Compiler::TopLevel(const std::vector<std::string>& words, const std::string& text,
                        std::string& error) {
    const std::string& statement = words[0];
    auto single = [&](const char* form) {
        if (words.size() == 2) return true;
        error = std::string("\"") + form + "\" takes one value";
        return false;
    };
    if (statement == "file") {
        if (!single("file NAME")) return false;
        if (!file_.empty()) return error = "a second \"file\"", false;
        const std::string& name = words[1];
        if (name.find("..") != std::string::npos || name.front() == '/' ||
            std::count(name.begin(), name.end(), '/') > 1 || name.find('\\') != std::string::npos ||
            (name.size() < 5 ||
             (name.substr(name.size() - 4) != ".mid" && name.substr(name.size() - 4) != ".MID")))
            return error = "the file is NAME.mid or FOLDER/NAME.mid in the program directory",
                   false;
        file_ = name;
        return true;
    }
    if (statement == "title") {
        if (words.size() < 2) return error = "\"title TEXT\" needs a text", false;
        title_ = std::string(text.substr(text.find_first_not_of(" \t", 5)));
        return true;
    }
    if (statement == "tempo") {
        if (!single("tempo BPM")) return false;
        if (tempo_ > 0) return error = "a second tempo; a section may change it", false;
        if (!ParseNumber(words[1], 20, 300, tempo_)) return error = "a tempo is 20-300", false;
        return true;
    }
    if (statement == "meter") {
        if (!single("meter N/D")) return false;
        const std::size_t slash = words[1].find('/');
        long n, d;
        if (slash == std::string::npos || !ParseWhole(words[1].substr(0, slash), 1, 16, n) ||
            !ParseWhole(words[1].substr(slash + 1), 2, 16, d) || (d & (d - 1)) != 0)
            return error = "a meter is N/D with N 1-16 and D 2, 4, 8 or 16", false;
        if (!tracks_.empty() || !sections_.empty())
            return error = "the meter comes before the tracks and sections", false;
        meterNumerator_ = static_cast<int>(n);
        meterDenominator_ = static_cast<int>(d);
        return true;
    }
    if (statement == "humanize") {
        long value;
        if (!single("humanize N") || !ParseWhole(words[1], 0, 20, value))
            return error = "\"humanize N\" takes 0-20", false;
        humanize_ = static_cast<int>(value);
        return true;
    }
    if (statement == "track") return TrackStatement(words, error);
    if (statement == "pattern") return PatternStatement(words, error);
    if (statement == "grid" || statement == "section") {
        if (words.size() < 2 || words.size() > 3)
            return error = "\"" + statement + " NAME " +
                           (statement == "grid" ? "steps=N" : "[bars=N]") + "\"",
                   false;
        const std::string& name = words[1];
        if (statement == "grid" ? (patterns_.count(name) || grids_.count(name))
                                : sections_.count(name) > 0)
            return error = "a second " + statement + " \"" + name + "\"", false;
        openName_ = name;
        openBars_ = 0;
        std::string key, value;
        long number = 0;
        if (words.size() == 3) {
            const char* wanted = statement == "grid" ? "steps" : "bars";
            if (!SplitKeyValue(words[2], key, value) || key != wanted ||
                !ParseWhole(value, 1, statement == "grid" ? 64 : 256, number))
                return error = "\"" + words[2] + "\": expected " + wanted + "=N", false;
        }
        if (statement == "grid") {
            openGrid_ = Grid();
            if (number) openGrid_.steps = static_cast<int>(number);
            if (BarLength() % static_cast<std::uint32_t>(openGrid_.steps) != 0)
                return error = "a bar does not split into " + std::to_string(openGrid_.steps) +
                               " steps",
                       false;
            mode_ = Mode::Grid;
        } else {
            if (tempo_ <= 0) return error = "the tempo comes before the sections", false;
            openBars_ = static_cast<int>(number);
            sectionLines_.clear();
            mode_ = Mode::Section;
        }
        return true;
    }
    if (statement == "form") {
        if (!form_.empty()) return error = "a second \"form\"", false;
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::size_t star = words[i].find('*');
            const std::string name = words[i].substr(0, star);
            long count = 1;
            if (star != std::string::npos && !ParseWhole(words[i].substr(star + 1), 1, 64, count))
                return error = "\"" + words[i] + "\": repeat a section with NAME*2 to NAME*64",
                       false;
            if (!sections_.count(name))
                return error = "no section \"" + name + "\" above the form", false;
            for (long n = 0; n < count; ++n) form_.push_back(name);
        }
        if (form_.empty()) return error = "the form names no section", false;
        return true;
    }
    if (statement == "end") return error = "\"end\" without a grid or section", false;
    error = "unknown statement \"" + statement + "\"";
    return false;
}

bool Compiler::Line(const SourceLine& line, std::string& error) {
    const std::vector<std::string> words = SplitWords(line.text);
    if (mode_ == Mode::Top) return TopLevel(words, line.text, error);
    if (mode_ == Mode::Grid) {
        if (words[0] == "end" && words.size() == 1) {
            if (openGrid_.rows.empty())
                return error = "grid \"" + openName_ + "\" has no lines", false;
            grids_[openName_] = openGrid_;
            mode_ = Mode::Top;
            return true;
        }
        if (words.size() != 2) return error = "a grid line is \"DRUM x...x...\"", false;
        if (words[1].size() != static_cast<std::size_t>(openGrid_.steps))
            return error = "\"" + words[1] + "\" has " + std::to_string(words[1].size()) +
                           " steps, the grid " + std::to_string(openGrid_.steps),
                   false;
        if (words[1].find_first_not_of(".Xxog") != std::string::npos)
            return error = "grid steps are X (loud), x, o, g (ghost) or . (rest)", false;
        openGrid_.rows.emplace_back(words[0], words[1]);
        openGrid_.line = line.number;
        return true;
    }
    if (words[0] == "end" && words.size() == 1) {
        mode_ = Mode::Top;
        return CompileSection(error);
    }
    sectionLines_.push_back(line);
    return true;
}

bool Compiler::SectionChords(const std::vector<std::string>& words, std::string& error) {
    // Bars of chords; a bar's chords share it evenly unless they give their lengths.
    std::vector<std::vector<std::string>> bars(1);
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "|")
            bars.emplace_back();
        else
            bars.back().push_back(words[i]);
    }
    if (words.size() > 1 && words.back() == "|") bars.pop_back();
    std::vector<Chord> previousBar;
    std::uint32_t barStart = 0;
    for (const Chord& chord : chords_) barStart = std::max(barStart, chord.start + chord.length);
    for (const auto& bar : bars) {
        if (bar.empty()) return error = "an empty bar of chords", false;
        std::vector<Chord> out;
        if (bar.size() == 1 && bar[0] == "%") {
            if (previousBar.empty())
                return error = "\"%\" repeats a bar, and there is none before", false;
            out = previousBar;
            for (Chord& c : out) c.start += BarLength();
        } else {
            std::uint32_t given = 0, unsized = 0;
            std::vector<std::pair<std::string, std::uint32_t>> parts;
            for (const std::string& word : bar) {
                const std::size_t colon = word.find(':');
                std::uint32_t length = 0;
                if (colon != std::string::npos && !ParseDuration(word.substr(colon + 1), length))
                    return error = "\"" + word + "\": a chord's length is in sixteenths", false;
                if (length)
                    given += length;
                else
                    ++unsized;
                parts.emplace_back(word.substr(0, colon), length);
            }
            if (given > BarLength() || (unsized == 0 && given != BarLength()) ||
                (unsized > 0 && (BarLength() - given) % (unsized * kSixteenth) != 0))
                return error = "the chords of a bar do not fill it: " + bar[0] + " ...", false;
            std::uint32_t at = barStart;
            for (const auto& [symbol, length] : parts) {
                Chord chord;
                chord.start = at;
                chord.length = length ? length : (BarLength() - given) / unsized;
                at += chord.length;
                if (symbol == "-") {
                    chord.none = true;
                } else {
                    if (symbol.empty() || symbol[0] < 'A' || symbol[0] > 'G')
                        return error = "\"" + symbol +
                                       "\" is no chord (C, Dm, Bb7, F#m7b5/E, - for none)",
                               false;
                    std::size_t i = 1;
                    chord.root = PitchClass(static_cast<char>(symbol[0] - 'A' + 'a'));
                    if (i < symbol.size() && (symbol[i] == '#' || symbol[i] == 'b'))
                        chord.root += symbol[i++] == '#' ? 1 : -1;
                    chord.root = (chord.root + 12) % 12;
                    const std::size_t slash = symbol.find('/', i);
                    const auto quality = Qualities().find(symbol.substr(i, slash - i));
                    if (quality == Qualities().end())
                        return error = "\"" + symbol + "\": unknown chord quality \"" +
                                       symbol.substr(i, slash - i) + "\"",
                               false;
                    chord.quality = quality->second;
                    chord.bass = chord.root;
                    if (slash != std::string::npos) {
                        const std::string bass = symbol.substr(slash + 1);
                        if (bass.empty() || bass.size() > 2 || bass[0] < 'A' || bass[0] > 'G' ||
                            (bass.size() == 2 && bass[1] != '#' && bass[1] != 'b'))
                            return error = "\"" + symbol + "\": the bass after \"/\" is a note A-G",
                                   false;
                        chord.bass = PitchClass(static_cast<char>(bass[0] - 'A' + 'a'));
                        if (bass.size() == 2) chord.bass += bass[1] == '#' ? 1 : -1;
                        chord.bass = (chord.bass + 12) % 12;
                    }
                }
                out.push_back(chord);
            }
        }
        chords_.insert(chords_.end(), out.begin(), out.end());
        previousBar = out;
        barStart += BarLength();
    }
    return true;
}

bool Compiler::SectionPlay(const std::vector<std::string>& words, std::string& error) {
    if (words.size() < 3)
        return error = "\"play TRACK NAME ...\" needs a track and patterns", false;
    const int track = FindTrack(words[1], error);
    if (track < 0) return false;
    const TrackInfo& info = tracks_[static_cast<std::size_t>(track)];
    int velocity = info.velocity;
    std::uint32_t bar = 0;
    const std::uint32_t barLength = BarLength();
    for (std::size_t w = 2; w < words.size(); ++w) {
        std::string key, value;
        if (SplitKeyValue(words[w], key, value)) {
            long v;
            if (key != "v" || !ParseWhole(value, 1, 127, v))
                return error = "\"" + words[w] + "\": a play line sets only v=1-127", false;
            velocity = static_cast<int>(v);
            continue;
        }
        const std::size_t star = words[w].find('*');
        const std::string name = words[w].substr(0, star);
        long count = 1;
        if (star != std::string::npos && !ParseWhole(words[w].substr(star + 1), 1, 256, count))
            return error = "\"" + words[w] + "\": repeat with NAME*2 to NAME*256", false;
        const auto pattern = patterns_.find(name);
        const auto grid = grids_.find(name);
        if (name != "-" && pattern == patterns_.end() && grid == grids_.end())
            return error = "no pattern or grid \"" + name + "\" above", false;
        for (long n = 0; n < count; ++n, ++bar) {
            const std::uint32_t start = bar * barLength;
            if (start >= section_->length)
                return error = "track " + info.midi.name + " plays more bars than the section's " +
                               std::to_string(section_->length / barLength),
                       false;
            if (name == "-") continue;
            if (grid != grids_.end()) {
                const std::uint32_t step =
                    barLength / static_cast<std::uint32_t>(grid->second.steps);
                for (const auto& [drum, hits] : grid->second.rows) {
                    int pitch;
                    if (!ParsePitch(drum, info.drums, pitch))
                        return error = "grid \"" + name + "\": \"" + drum + "\" is no " +
                                       (info.drums ? "drum" : "note") + " of track " +
                                       info.midi.name,
                               false;
                    for (std::size_t s = 0; s < hits.size(); ++s) {
                        static const std::map<char, int> kLoudness = {
                            {'X', 20}, {'x', 0}, {'o', -20}, {'g', -42}};
                        if (hits[s] == '.') continue;
                        section_->notes.push_back({track,
                                                   start + static_cast<std::uint32_t>(s) * step,
                                                   step, pitch, velocity + kLoudness.at(hits[s])});
                    }
                }
                continue;
            }
            if (info.drums)
                return error = "pattern \"" + name + "\" needs chords; the drum track plays grids",
                       false;
            bool anyChord = false;
            for (const Chord& chord : chords_) {
                if (chord.start < start || chord.start >= start + barLength) continue;
                anyChord = true;
                if (chord.none) continue;
                std::uint32_t at = 0;
                for (std::size_t s = 0; at < chord.length;
                     s = (s + 1) % pattern->second.steps.size()) {
                    const PatternStep& step = pattern->second.steps[s];
                    const std::uint32_t length = std::min(step.length, chord.length - at);
                    for (const Tone& tone : step.tones)
                        section_->notes.push_back({track, chord.start + at, length,
                                                   TonePitch(tone, chord, info.octave),
                                                   velocity + step.accent});
                    at += step.length;
                }
            }
            if (!anyChord)
                return error = "bar " + std::to_string(bar + 1) + " has no chord for pattern \"" +
                               name + "\"",
                       false;
        }
    }
    if (bar * barLength != section_->length)
        return error = "track " + info.midi.name + " plays " + std::to_string(bar) +
                       " bars, the section has " + std::to_string(section_->length / barLength),
               false;
    return true;
}

bool Compiler::SectionNotes(const std::vector<std::string>& words, std::string& error) {
    if (words.size() < 3) return error = "\"notes TRACK NOTE ...\" needs a track and notes", false;
    // "TRACK.2" writes a second line of notes on the same track.
    const std::string layer = words[1];
    const int track = FindTrack(layer.substr(0, layer.find('.')), error);
    if (track < 0) return false;
    const TrackInfo& info = tracks_[static_cast<std::size_t>(track)];
    if (!layerEnds_.count(layer)) {
        layerEnds_[layer] = 0;
        layerVelocity_[layer] = info.velocity;
        layerDuration_[layer] = 4 * kSixteenth;
    }
    std::uint32_t& at = layerEnds_[layer];
    int& velocity = layerVelocity_[layer];
    std::uint32_t& duration = layerDuration_[layer];
    std::vector<std::size_t>& ties = layerTies_[layer];
    std::vector<std::string> items;
    if (!JoinChords(words, 2, items, error)) return false;
    for (const std::string& item : items) {
        if (item == "|") {
            if (at % BarLength() != 0)
                return error = "a bar line after " + std::to_string(at / BarLength()) +
                               " bars and " + std::to_string(at % BarLength() / kSixteenth) +
                               " sixteenths",
                       false;
            continue;
        }
        if (item.size() > 1 && item[0] == 'v' && item[1] >= '0' && item[1] <= '9') {
            long v;
            if (!ParseWhole(item.substr(1), 1, 127, v))
                return error = "\"" + item + "\": v1 to v127", false;
            velocity = static_cast<int>(v);
            continue;
        }
        Step step;
        if (!ParseStep(item, step, error)) return false;
        if (step.length) duration = step.length;
        std::vector<std::size_t> tied;
        std::vector<std::size_t> waiting = ties;
        for (const std::string& word : step.pitches) {
            int pitch;
            if (!ParsePitch(word, info.drums, pitch))
                return error = "\"" + word + "\" is no " +
                               (info.drums ? "drum" : "note (c4 is middle C)") + " of track " +
                               info.midi.name,
                       false;
            std::size_t index = section_->notes.size();
            const auto open = std::find_if(waiting.begin(), waiting.end(), [&](std::size_t n) {
                return section_->notes[n].pitch == pitch;
            });
            if (open != waiting.end()) {
                index = *open;
                section_->notes[index].length += duration;
                waiting.erase(open);
            } else {
                section_->notes.push_back({track, at, duration, pitch, velocity + step.accent});
            }
            if (step.tie) tied.push_back(index);
        }
        if (!waiting.empty())
            return error = "\"" + item + "\" does not go on with the note tied before it", false;
        ties = tied;
        at += duration;
    }
    return true;
}

bool Compiler::CompileSection(std::string& error) {
    Section section;
    section_ = &section;
    chords_.clear();
    layerEnds_.clear();
    layerVelocity_.clear();
    layerDuration_.clear();
    layerTies_.clear();
    layerLine_.clear();
    int bars = openBars_;
    auto fail = [&](int line, const std::string& problem) {
        error = "line " + std::to_string(line) + ": " + problem;
        return false;
    };
    for (const SourceLine& line : sectionLines_) {
        const std::vector<std::string> words = SplitWords(line.text);
        if (words[0] == "chords" && !SectionChords(words, error)) return fail(line.number, error);
        if (words[0] == "tempo") {
            double tempo;
            if (words.size() != 2 || !ParseNumber(words[1], 20, 300, tempo))
                return fail(line.number, "a tempo is 20-300");
            section.tempo = tempo;
        }
    }
    std::uint32_t chordEnd = 0;
    for (const Chord& chord : chords_) chordEnd = std::max(chordEnd, chord.start + chord.length);
    if (chordEnd > 0) {
        const int chordBars = static_cast<int>(chordEnd / BarLength());
        if (bars && bars != chordBars)
            return fail(sectionLines_.front().number,
                        "section " + openName_ + " has bars=" + std::to_string(bars) + " and " +
                            std::to_string(chordBars) + " bars of chords");
        bars = chordBars;
    }
    if (bars == 0) return error = "section " + openName_ + " needs bars=N or chords", false;
    section.length = static_cast<std::uint32_t>(bars) * BarLength();
    for (const SourceLine& line : sectionLines_) {
        const std::vector<std::string> words = SplitWords(line.text);
        if (words[0] == "chords" || words[0] == "tempo") continue;
        if (words[0] == "play") {
            if (!SectionPlay(words, error)) return fail(line.number, error);
        } else if (words[0] == "notes") {
            if (!SectionNotes(words, error)) return fail(line.number, error);
            layerLine_[words[1]] = line.number;
        } else {
            return fail(line.number, "a section holds chords, play, notes and tempo lines, not \"" +
                                         words[0] + "\"");
        }
    }
    for (const auto& [layer, end] : layerEnds_) {
        if (end != section.length)
            return fail(layerLine_[layer], "the notes of " + layer + " last " +
                                               std::to_string(end / kSixteenth) +
                                               " sixteenths, section " + openName_ + " " +
                                               std::to_string(section.length / kSixteenth));
        if (!layerTies_[layer].empty())
            return fail(layerLine_[layer], "the last note of " + layer + " is tied to nothing");
    }
    sections_[openName_] = std::move(section);
    section_ = nullptr;
    return true;
}

bool Compiler::Finish(Score& score, std::string& error) {
    if (mode_ != Mode::Top) return error = "\"" + openName_ + "\" has no \"end\"", false;
    if (file_.empty()) return error = "no \"file NAME.mid\"", false;
    if (tempo_ <= 0) return error = "no tempo", false;
    if (tracks_.empty()) return error = "no track", false;
    if (form_.empty()) return error = "no form", false;
    MidiPiece& piece = score.piece;
    piece = MidiPiece();
    piece.title = title_.empty() ? file_ : title_;
    piece.meterNumerator = meterNumerator_;
    piece.meterDenominator = meterDenominator_;
    for (const TrackInfo& track : tracks_) piece.tracks.push_back(track.midi);
    piece.tempos.push_back({0, tempo_});
    double bpm = tempo_;
    score.seconds = 0;
    std::uint32_t at = 0;
    std::uint32_t seed = 0x2545F491;
    for (const std::string& name : form_) {
        const Section& section = sections_.at(name);
        if (section.tempo && *section.tempo != bpm) {
            bpm = *section.tempo;
            if (at == 0)
                piece.tempos[0].bpm = bpm;
            else
                piece.tempos.push_back({at, bpm});
        }
        for (MidiNote note : section.notes) {
            note.tick += at;
            if (humanize_ > 0) {
                seed = seed * 1664525u + 1013904223u;
                note.velocity +=
                    static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(2 * humanize_ + 1)) -
                    humanize_;
            }
            note.velocity = std::clamp(note.velocity, 1, 127);
            piece.notes.push_back(note);
        }
        at += section.length;
        score.seconds += section.length / static_cast<double>(kTicksPerQuarter) * 60 / bpm;
    }
    // A piece that changes tempo starts the next round at its first tempo.
    piece.lengthTicks = at;
    if (piece.notes.empty()) return error = "the piece has no notes", false;
    score.file = file_;
    return true;
}

}  // namespace

bool CompileScore(const std::string& sourceName, std::string_view utf8, Score& score,
                  std::string& error) {
    Compiler compiler;
    for (const SourceLine& line : ReadSourceLines(utf8)) {
        std::string problem;
        if (!compiler.Line(line, problem)) {
            // Section faults carry the line they were found on.
            error =
                sourceName +
                (problem.rfind("line ", 0) == 0 ? " "
                                                : " line " + std::to_string(line.number) + ": ") +
                problem;
            return false;
        }
    }
    std::string problem;
    if (!compiler.Finish(score, problem)) {
        error = sourceName + ": " + problem;
        return false;
    }
    return true;
}

}  // namespace zv::zvdata::audio
