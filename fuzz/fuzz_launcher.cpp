// The launcher's decision on its command line, and where the picture popup goes. The input
// is UTF-8 text cut at NUL bytes into the command line, the program's folder, the
// program-files folder and the application-data folder (absent ones take a default), then
// six little-endian 32-bit numbers for the popup: picture width and height, pointer x and
// y, screen width and height.
//
// The decision must be the one the launcher's mode rules give when worked out plainly on a
// std::u16string with 1-based positions, the same each time it is asked for, and must hold
// what the launcher relies on: a picture's name is the text after "/POPJPG=" that ends
// two characters before the first "/W", a practice test that could leave the program's
// folder starts nothing, and an exercise lies below the application-data folder.
#include "fuzzing.h"

#include "logic/launcher.h"
#include "logic/popup.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

using namespace launcher;

namespace {

std::u16string plain(QStringView text) { return std::u16string(text.utf16(), size_t(text.size())); }

bool endsWith(const std::u16string& s, std::u16string_view end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::u16string trimBlanks(std::u16string s) {
  const size_t first = s.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

// `length` characters from the 1-based `start`; nothing for a negative length (the step
// is skipped).
std::optional<std::u16string> mid(const std::u16string& s, long long start, long long length) {
  if (length < 0) return std::nullopt;
  if (start > (long long)s.size()) return std::u16string();
  return s.substr(size_t(start - 1), size_t(length));
}

// Blanks, an optional sign, decimal digits and blanks, read by std::from_chars into 32
// bits; 0 for anything else.
qint32 number(const std::optional<std::u16string>& text) {
  if (!text) return 0;
  std::string ascii;
  for (const char16_t c : trimBlanks(*text)) {
    if (c > 127) return 0;
    ascii += char(c);
  }
  const size_t sign = ascii.starts_with('+') || ascii.starts_with('-') ? 1 : 0;
  if (ascii.size() == sign || ascii.find_first_not_of("0123456789", sign) != std::string::npos) return 0;
  const char* const end = ascii.data() + ascii.size();
  std::int32_t value = 0;
  const auto [stop, error] = std::from_chars(ascii.data() + (ascii[0] == '+' ? 1 : 0), end, value);
  return error == std::errc() && stop == end ? value : 0;
}

Action expected(const std::u16string& line, const Places& places) {
  if (line.empty()) return BringForward{};
  if (line.starts_with(u"/POPJPG=")) {
    const long long pW = (long long)line.find(u"/W") + 1;  // npos + 1 == 0
    const long long pH = (long long)line.find(u"/H") + 1;
    if (pW == 0 || pH == 0) return NoMode{};
    Picture picture;
    if (const auto name = mid(line, 9, pW - 10)) picture.PopFile = QString::fromStdU16String(*name);
    picture.width = number(mid(line, pW + 3, pH - pW - 4));
    picture.height = number(mid(line, pH + 3, (long long)line.size()));
    return picture;
  }
  if (line.starts_with(u"/PRAC=")) {
    const std::u16string name = trimBlanks(line.substr(6));
    PracticeTest test{QString::fromStdU16String(name), {}};
    const bool leaves = name.find_first_of(u"/\\") != std::u16string::npos || name.find(u"..") != std::u16string::npos;
    // A test needs a name, and one that stays in the program's folder.
    if (!leaves && !name.empty())
      test.program = places.programFolder + QStringLiteral("/ch") + test.name + QStringLiteral("test");
    return test;
  }
  const QString whole = QString::fromStdU16String(line);
  if (endsWith(line, u".cir") || endsWith(line, u".prb"))
    return Exercise{Simulator::Trivex,
                    places.applicationData + QStringLiteral("/Vendrel/Trivex/RUV_CIRS/") + whole,
                    blocks::kKindTrivex,
                    QStringLiteral("Trivex -"),
                    places.programFilesFolder + QStringLiteral("/Vendrel/Trivex/Trivex"),
                    {}};
  if (endsWith(line, u".ckt") || line == u"qx0000")
    return Exercise{Simulator::Ampvale,
                    places.applicationData + QStringLiteral("/Vendrel/Ampvale/QX_CKTS/") + whole,
                    line == u"qx0000" ? std::nullopt : std::optional<quint8>(blocks::kKindAmpvale),
                    QStringLiteral("Ampvale"),
                    places.programFilesFolder + QStringLiteral("/Vendrel/Ampvale/ampvale"),
                    {}};
  return NoMode{};
}

// Field by field; an exercise's give-up message is left to `check`.
void compare(const char* what, const Action& got, const Action& want) {
  fuzzing::same(what, got.index(), want.index(), " mode");
  if (const auto* g = std::get_if<Picture>(&got)) {
    const auto& w = std::get<Picture>(want);
    fuzzing::same(what, g->PopFile, w.PopFile, " PopFile");
    fuzzing::same(what, g->width, w.width, " width");
    fuzzing::same(what, g->height, w.height, " height");
  } else if (const auto* g = std::get_if<PracticeTest>(&got)) {
    const auto& w = std::get<PracticeTest>(want);
    fuzzing::same(what, g->name, w.name, " name");
    fuzzing::same(what, g->program, w.program, " program");
  } else if (const auto* g = std::get_if<Exercise>(&got)) {
    const auto& w = std::get<Exercise>(want);
    fuzzing::same(what, int(g->simulator), int(w.simulator), " simulator");
    fuzzing::same(what, g->path, w.path, " path");
    fuzzing::same(what, g->kind.has_value(), w.kind.has_value(), " kind given");
    if (g->kind) fuzzing::same(what, *g->kind, *w.kind, " kind");
    fuzzing::same(what, g->windowTitle, w.windowTitle, " window title");
    fuzzing::same(what, g->program, w.program, " program");
  }
}

void check(QStringView line, const Action& action, const Places& places) {
  if (const auto* picture = std::get_if<Picture>(&action)) {
    const qsizetype at = line.indexOf(u"/W");
    if (!picture->PopFile.isEmpty() && (at != 9 + picture->PopFile.size() || line.mid(8, at - 9) != picture->PopFile))
      fuzzing::fail("PopFile is not the text from the ninth character to two before /W", picture->PopFile);
  } else if (const auto* test = std::get_if<PracticeTest>(&action)) {
    const bool leaves = test->name.contains(u'/') || test->name.contains(u'\\') || test->name.contains(u"..");
    if ((leaves || test->name.isEmpty()) != test->program.isEmpty())
      fuzzing::fail("practice test without a name or leaving the folder", test->program);
    if (!test->program.isEmpty() && !test->program.startsWith(places.programFolder + QStringLiteral("/ch")))
      fuzzing::fail("practice test outside the program's folder", test->program);
  } else if (const auto* exercise = std::get_if<Exercise>(&action)) {
    if (!exercise->path.startsWith(places.applicationData + u'/') || !exercise->path.endsWith(line))
      fuzzing::fail("exercise path is not the command line below the application data", exercise->path);
    const QString name =
        exercise->simulator == Simulator::Trivex ? QStringLiteral("Trivex") : QStringLiteral("Ampvale");
    if (!exercise->giveUpMessage.contains(name)) fuzzing::fail("give-up message", exercise->giveUpMessage);
  }
}

void checkPopup(int width, int height, QPoint pointer, QSize screen) {
  const QRect got = popup::geometry(width, height, pointer, screen);
  const long long limit = 1000000;
  for (const long long v : {got.left(), got.top(), got.width(), got.height()})
    if (v < -limit || v > limit) fuzzing::fail("popup outside the clamp", got);

  // Along one axis, in twips: the window no smaller than for a picture of size 0 and no
  // larger than the screen less 200 at each edge, at the pointer, or 200 twips short of the
  // screen's far edge where it would run past it.
  const auto axis = [&](const char* what, long long picture, long long extra, long long pointerAt,
                        long long screenLength, long long gotStart, long long gotLength) {
    const long long length = std::clamp(picture * 15 + extra, extra, std::max(extra, screenLength * 15 - 400));
    const long long start =
        pointerAt * 15 + length <= screenLength * 15 ? pointerAt * 15 : screenLength * 15 - length - 200;
    // Twips to pixels truncate toward zero, then the clamp.
    const auto px = [&](long long twips) { return std::clamp(twips / 15, -limit, limit); };
    fuzzing::same(what, gotLength, px(length), " length of ", got);
    fuzzing::same(what, gotStart, px(start), " start of ", got);
  };
  axis("popup across", width, 700, pointer.x(), screen.width(), got.left(), got.width());
  axis("popup down", height, 300, pointer.y(), screen.height(), got.top(), got.height());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<QByteArrayView> parts = fuzzing::split(fuzzing::bytes(data, size), 5);
  const auto part = [&](size_t i, const char* otherwise) {
    return i < parts.size() ? QString::fromUtf8(parts[i]) : QString::fromUtf8(otherwise);
  };
  const QString line = part(0, "");
  const Places places{part(1, "/opt/tavrin"), part(2, "/opt"), part(3, "/home/u/.local/share")};
  const QByteArrayView numbers = parts.size() > 4 ? parts[4] : QByteArrayView();

  const Action action = modeOf(line, places);
  compare("mode", action, expected(plain(line), places));
  compare("mode again", modeOf(line, places), action);
  check(line, action, places);

  const QPoint pointer(fuzzing::int32At(numbers, 2), fuzzing::int32At(numbers, 3));
  const QSize screen(fuzzing::int32At(numbers, 4), fuzzing::int32At(numbers, 5));
  checkPopup(fuzzing::int32At(numbers, 0), fuzzing::int32At(numbers, 1), pointer, screen);
  if (const auto* picture = std::get_if<Picture>(&action)) checkPopup(picture->width, picture->height, pointer, screen);
  return 0;
}
