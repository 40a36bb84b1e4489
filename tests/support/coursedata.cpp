#include "support/coursedata.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace coursedata {

namespace {

// splitmix64: small, fast and the same everywhere, unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return int(next() % std::uint64_t(n)); }
  bool chance(double p) { return double(next() >> 11) * 0x1.0p-53 < p; }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[size_t(below(int(v.size())))];
  }

 private:
  std::uint64_t state_;
};

// clang-format off
// The words a self-study electronics course indexes.
const std::vector<std::string> kBase = {
    "absorb", "absorption", "ac", "accumulator", "accuracy", "acoustic", "active", "adapter",
    "adder", "address", "adjust", "admittance", "aerial", "air", "alarm", "algebra", "align",
    "alkaline", "alloy", "alternating", "alternator", "aluminium", "ammeter", "amp", "ampere",
    "amplifier", "amplify", "amplitude", "analog", "analyse", "and", "angle", "anode", "antenna",
    "apply", "arc", "armature", "array", "assembly", "astable", "atom", "attenuate",
    "attenuator", "audio", "automatic", "average", "axial", "back", "balance", "band",
    "bandwidth", "bar", "base", "battery", "beam", "bias", "binary", "bipolar", "bistable",
    "bit", "block", "board", "boost", "bounce", "branch", "breakdown", "bridge", "brush",
    "buffer", "bulb", "bus", "byte", "cable", "calculate", "calibrate", "capacitance",
    "capacitor", "capacity", "carbon", "carrier", "cascade", "cathode", "cell", "ceramic",
    "channel", "characteristic", "charge", "chassis", "check", "chip", "choke", "circuit",
    "clamp", "class", "clipper", "clock", "closed", "coax", "code", "coil", "collector",
    "colour", "common", "comparator", "compensate", "complement", "component", "conductance",
    "conductor", "connect", "connector", "constant", "contact", "continuity", "control",
    "convert", "converter", "copper", "core", "coulomb", "counter", "coupling", "crystal",
    "current", "cutoff", "cycle", "damping", "data", "decade", "decibel", "decimal", "decode",
    "decoder", "delay", "delta", "demodulate", "density", "depletion", "design", "detect",
    "detector", "device", "diagram", "dial", "dielectric", "differential", "digit", "digital",
    "diode", "dip", "direct", "discharge", "display", "dissipate", "distortion", "divide",
    "divider", "domain", "dopant", "doping", "drain", "drift", "drive", "driver", "dual",
    "duty", "dynamic", "earth", "eddy", "edge", "effect", "efficiency", "electric",
    "electrode", "electrolyte", "electrolytic", "electron", "electronic", "element", "emitter",
    "enable", "encode", "encoder", "energy", "equation", "equivalent", "error", "exponent",
    "farad", "fault", "feedback", "ferrite", "field", "filament", "filter", "flip", "flop",
    "flow", "flux", "follower", "force", "forward", "frequency", "fuse", "gain", "gate",
    "gauge", "generate", "generator", "germanium", "glitch", "ground", "half", "harmonic",
    "heat", "heatsink", "henry", "hertz", "hold", "hole", "hysteresis", "impedance",
    "inductance", "inductor", "input", "insulate", "insulator", "integrate", "integrator",
    "interface", "interrupt", "inverse", "invert", "inverter", "ion", "isolate", "jack",
    "joint", "joule", "junction", "kilohm", "kirchhoff", "lag", "lamp", "latch", "law", "lead",
    "leakage", "led", "level", "light", "limit", "limiter", "linear", "line", "load", "logic",
    "loop", "loss", "magnet", "magnetic", "magnitude", "mains", "majority", "match", "measure",
    "memory", "mesh", "meter", "minority", "mixer", "mode", "modulate", "modulation",
    "module", "monostable", "motor", "multimeter", "multiplex", "multiplier", "mutual",
    "negative", "network", "neutral", "node", "noise", "norton", "not", "nucleus", "offset",
    "ohm", "ohmmeter", "open", "operational", "optical", "optocoupler", "or", "oscillate",
    "oscillator", "oscilloscope", "output", "overload", "parallel", "parity", "passive",
    "peak", "period", "permeability", "phase", "photodiode", "piezo", "pin", "plate", "plug",
    "polarity", "pole", "positive", "potential", "potentiometer", "power", "primary", "probe",
    "pulse", "push", "quality", "quartz", "radio", "ramp", "range", "ratio", "reactance",
    "read", "receive", "receiver", "rectifier", "rectify", "reference", "regulate",
    "regulator", "relay", "reluctance", "reset", "resist", "resistance", "resistivity",
    "resistor", "resolution", "resonance", "resonant", "response", "reverse", "rheostat",
    "ripple", "rise", "rms", "rotor", "safety", "sample", "saturation", "sawtooth",
    "schematic", "screen", "secondary", "semiconductor", "sensor", "series", "servo", "set",
    "shield", "shift", "short", "siemens", "signal", "silicon", "sine", "sink", "slope",
    "smoothing", "socket", "solder", "solenoid", "source", "speaker", "spectrum", "speed",
    "square", "stability", "stage", "state", "static", "stator", "step", "storage", "supply",
    "surge", "switch", "symbol", "synchronous", "system", "tank", "temperature", "terminal",
    "tesla", "test", "thermal", "thermistor", "thevenin", "threshold", "thyristor", "time",
    "timer", "tolerance", "tone", "torque", "trace", "transducer", "transformer", "transistor",
    "transmit", "transmitter", "triac", "trigger", "trimmer", "truth", "tune", "tuned",
    "turn", "unit", "vacuum", "valence", "value", "variable", "varistor", "vector", "volt",
    "voltage", "voltmeter", "watt", "wattage", "wave", "waveform", "weber", "wheatstone",
    "winding", "wire", "wiring", "word", "zener", "zero"};

const std::vector<std::string> kEndings = {"s", "ed", "ing", "er", "al", "ive", "ation", "ance", "ity"};
const std::vector<std::string> kOtherPrefixes = {
    "sub", "over", "under", "pre", "post", "inter", "multi", "micro", "semi", "non", "un",
    "de", "dis", "co", "bi", "tri", "mega", "nano", "super", "trans", "photo", "thermo",
    "electro", "hyper", "mini", "mid", "out", "up", "self", "cross", "counter", "dual", "mono"};
// Frequent in the course's index, so short prefixes reach thousands of words.
const std::vector<std::string> kAPrefixes = {"a", "anti", "auto", "ac", "ad", "aero", "ampli", "astro", "aux"};
const std::vector<std::string> kDesignators = {"r", "c", "l", "q", "d", "ic", "t", "u", "sw", "tp", "vr", "j", "k", "f", "x", "zd"};
const std::vector<std::string> kPartStems = {"lm", "ne", "2n", "1n", "74ls", "74hc", "cd", "bc", "bd", "tl", "ua", "irf", "ad", "max", "op", "tip"};

// clang-format on
// The topic of each module: a word that contains one of these (the longest that fits)
// has most of its pages in that module.
const std::vector<std::vector<std::string>> kTopics = {
    {"atom", "electron", "current", "voltage", "ohm", "law", "resistance", "resistor", "conductor", "insulator"},
    {"series", "parallel", "divider", "kirchhoff", "network", "node", "mesh", "thevenin", "norton", "wheatstone"},
    {"battery", "cell", "alkaline", "electrolyte", "energy"},
    {"magnet", "magnetic", "flux", "field", "coil", "solenoid", "relay"},
    {"alternating", "sine", "wave", "frequency", "period", "phase", "rms", "peak"},
    {"capacitor", "capacitance", "farad", "dielectric", "charge", "discharge"},
    {"inductor", "inductance", "henry", "choke"},
    {"transformer", "primary", "secondary", "winding", "core"},
    {"reactance", "impedance", "resonance", "resonant", "tank", "tuned", "filter"},
    {"diode", "junction", "rectifier", "rectify", "zener", "silicon", "germanium", "semiconductor", "doping"},
    {"transistor", "bipolar", "collector", "emitter", "bias", "gain", "amplifier"},
    {"drain", "source", "gate", "channel", "depletion"},
    {"operational", "comparator", "integrator", "follower", "feedback", "differential"},
    {"oscillator", "oscillate", "crystal", "quartz", "astable"},
    {"supply", "regulator", "regulate", "ripple", "smoothing"},
    {"digital", "binary", "logic", "truth"},
    {"flip", "flop", "latch", "counter", "clock"},
    {"decoder", "encoder", "multiplex", "display"},
    {"memory", "address", "data", "bus", "byte"},
    {"timer", "monostable", "pulse", "trigger"},
    {"sensor", "thermistor", "transducer", "photodiode"},
    {"motor", "generator", "armature", "rotor", "stator", "servo"},
    {"meter", "ammeter", "voltmeter", "multimeter", "oscilloscope", "probe"},
    {"thyristor", "triac", "heat", "heatsink"}};

int topicOf(const std::string& word) {
  int topic = -1;
  size_t longest = 0;
  for (size_t t = 0; t < kTopics.size(); ++t)
    for (const auto& stem : kTopics[t])
      if (stem.size() > longest && word.find(stem) != std::string::npos) {
        longest = stem.size();
        topic = int(t);
      }
  return topic;
}

std::string inflect(const std::string& w, const std::string& ending) {
  if (ending == "s" && (w.back() == 's' || w.back() == 'x' || w.back() == 'h')) return w + "es";
  if (ending != "s" && w.back() == 'e') return w.substr(0, w.size() - 1) + ending;
  return w + ending;
}

std::vector<std::string> makeVocabulary(int count, Random& rnd) {
  std::set<std::string> seen;
  std::vector<std::string> words;
  const auto add = [&](const std::string& w) {
    if (int(words.size()) < count && seen.insert(w).second) words.push_back(w);
  };
  for (const auto& w : kBase) add(w);
  for (const auto& w : kBase) {
    add(inflect(w, "s"));
    if (rnd.chance(0.5)) add(inflect(w, rnd.pick(kEndings)));
  }
  // Prefixed forms, built until the vocabulary is full: a quarter with "re", a quarter
  // beginning with "a", the rest spread over other prefixes, part numbers and designators.
  const int stop = count;
  for (int guard = 0; int(words.size()) < stop && guard < 50 * count; ++guard) {
    const std::string& base = rnd.pick(kBase);
    const std::string stem = rnd.chance(0.6) ? base : inflect(base, rnd.pick(kEndings));
    const int kind = rnd.below(20);
    if (kind < 5)
      add("re" + stem);
    else if (kind < 10)
      add(rnd.pick(kAPrefixes) + stem);
    else if (kind < 15)
      add(rnd.pick(kOtherPrefixes) + stem);
    else if (kind < 17)
      add(rnd.pick(kDesignators) + std::to_string(1 + rnd.below(400)));
    else
      add(rnd.pick(kPartStems) + std::to_string(100 + rnd.below(9000)));
  }
  return words;
}

std::string capitalised(std::string w) {
  if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = char(w[0] - 32);
  return w;
}

}  // namespace

Course generate(const Options& o) {
  Random rnd(o.seed);
  const int modules = 24;
  const int perModule = (o.pages + modules - 1) / modules;

  // "files.qx"
  Course course;
  std::vector<std::string> names(size_t(o.pages) + 1);
  const std::vector<std::string> kTitleForms = {"Introduction to", "Measuring",     "Testing",
                                                "Review:",         "Practice with", "Using",
                                                "Troubleshooting", "Calculating",   "The"};
  for (int p = 1; p <= o.pages; ++p) {
    const int module = (p - 1) / perModule + 1;
    const int inModule = (p - 1) % perModule + 1;
    char name[32];
    std::snprintf(name, sizeof name, "qx%02d%04d.qx", module, inModule);
    names[size_t(p)] = name;
    std::string title = rnd.pick(kTitleForms) + " " + capitalised(rnd.pick(kBase));
    if (rnd.chance(0.5)) title += " and " + capitalised(rnd.pick(kBase)) + "s";
    if (rnd.chance(0.03))
      title +=
          " at 25\xB0"
          "C, 10 \xB5"
          "A";  // degree and micro signs
    std::string line = std::to_string(p) + "\t" + names[size_t(p)] + "\t" + title;
    if (o.messy) {
      const int fault = rnd.below(60);
      if (fault == 0)
        line = "";  // blank line
      else if (fault == 1)
        line = std::to_string(p) + "\t" + names[size_t(p)];  // no title field
      else if (fault == 2)
        line = std::to_string(p) + "\t\t" + title;  // empty name
      else if (fault == 3 && p > 1)                 // shared name
        line = std::to_string(p) + "\t" + names[size_t(p - 1 - rnd.below(std::min(p - 1, 50)))] + "\t" + title;
      else if (fault == 4)
        line = " +" + std::to_string(p) + " \t" + names[size_t(p)] + "\t" + title + "\tmore";
    }
    course.filesQx += QByteArray::fromStdString(line + "\r\n");
  }

  // "words.qx"
  std::vector<std::string> vocab = makeVocabulary(o.words, rnd);
  // Rank by commonness: the plain vocabulary first, in a shuffled order, then the rest.
  std::vector<int> rankOf(vocab.size());
  {
    std::vector<int> order(vocab.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    const size_t plain = std::min(kBase.size(), order.size());
    for (size_t i = plain; i > 1; --i) std::swap(order[i - 1], order[size_t(rnd.below(int(i)))]);
    for (size_t i = order.size(); i > plain + 1; --i)
      std::swap(order[i - 1], order[plain + size_t(rnd.below(int(i - plain)))]);
    for (size_t r = 0; r < order.size(); ++r) rankOf[size_t(order[r])] = int(r) + 1;
  }
  std::vector<int> sortedWords(vocab.size());
  for (size_t i = 0; i < sortedWords.size(); ++i) sortedWords[i] = int(i);
  std::sort(sortedWords.begin(), sortedWords.end(), [&](int a, int b) { return vocab[size_t(a)] < vocab[size_t(b)]; });
  if (o.messy)  // the search must not rely on the file being in order
    for (size_t i = sortedWords.size(); i > 1; --i)
      if (rnd.chance(0.1)) std::swap(sortedWords[i - 1], sortedWords[size_t(rnd.below(int(i)))]);

  std::vector<char> taken(size_t(o.pages) + 1);
  std::vector<int> list;
  for (int w : sortedWords) {
    const double rank = rankOf[size_t(w)];
    const int length = std::clamp(int(std::lround(o.longestList / std::pow(rank, 0.7))), 1, o.pages);
    // Most of a word's pages lie in one or two modules that are about it.
    const int topic = topicOf(vocab[size_t(w)]);
    // The pages that treat the word's topic: the first pages of its module when it has a
    // topic of its own, else a stretch of a module somewhere.
    const int homeSpan = std::min(perModule, topic >= 0 ? 150 : 50 + rnd.below(150));
    const int module = topic >= 0 ? topic % modules : rnd.below(modules);
    const int homeFirst =
        std::min(o.pages, module * perModule + 1 + (topic >= 0 ? 0 : rnd.below(perModule - homeSpan + 1)));
    const int homeLast = std::min(o.pages, homeFirst + homeSpan - 1);
    list.clear();
    int inHome = 0;
    while (int(list.size()) < length) {
      int p;
      if (inHome < (homeLast - homeFirst + 1) / 2 && rnd.chance(0.7)) {
        p = homeFirst + rnd.below(homeLast - homeFirst + 1);
        if (!taken[size_t(p)]) ++inHome;
      } else {
        p = 1 + rnd.below(o.pages);
      }
      if (taken[size_t(p)]) continue;
      taken[size_t(p)] = 1;
      list.push_back(p);
    }
    std::sort(list.begin(), list.end());
    for (int p : list) taken[size_t(p)] = 0;

    std::string word = vocab[size_t(w)];
    std::string pages;
    for (int p : list) pages += std::to_string(p) + "\t";
    if (o.messy) {
      switch (rnd.below(40)) {
        case 0: word = "  " + word + " "; break;
        case 1: word = capitalised(word); break;
        case 2:
          for (char& c : word) c = char(std::toupper(static_cast<unsigned char>(c)));
          break;
        case 3: word = "wid\xE9rst\xE4nde" + word; break;  // lower-case Windows-1252 letters
        case 4: word = "\xC9TAT" + word; break;            // and an upper-case one
        case 5: word = "   "; break;
        case 6: word = ""; break;
        case 7: word += " " + vocab[size_t(rnd.below(int(vocab.size())))]; break;
        default: break;
      }
      switch (rnd.below(30)) {
        case 0: pages.pop_back(); break;  // no final TAB
        case 1: pages = "abc\t" + pages; break;
        case 2: pages += "0\t" + std::to_string(o.pages + 1 + rnd.below(20000)) + "\t"; break;
        case 3: pages = "\t\t" + pages + "99999999999999999999\t"; break;
        case 4: pages = " +" + pages; break;
        case 5: pages = ""; break;
        case 6: pages = "-5\t" + pages + "12x\t"; break;
        default: break;
      }
      if (rnd.chance(0.01)) {  // a line without any TAB, or a blank line
        course.wordsQx += QByteArray::fromStdString(rnd.chance(0.5) ? word + "\r\n" : "\r\n");
        continue;
      }
    }
    course.wordsQx += QByteArray::fromStdString(word + "\t" + pages + "\r\n");
  }
  return course;
}

}  // namespace coursedata
