#include "logic/launcher.h"

#include "logic/textrules.h"

#include <limits>

namespace launcher {

namespace {

constexpr char16_t kPicturePrefix[] = u"/POPJPG=";
constexpr char16_t kPracticePrefix[] = u"/PRAC=";
constexpr char16_t kAmpvaleAlone[] = u"qx0000";

// `length` characters from the 1-based `start`, or nothing for a negative length: the
// step that would take them is skipped and its target keeps its value.
std::optional<QStringView> mid(QStringView text, qsizetype start, qsizetype length) {
  if (length < 0) return std::nullopt;
  if (start > text.size()) return QStringView();
  return text.sliced(start - 1).left(length);
}

// A whole number (textrules::wholeNumber) that fits 32 bits; 0 for anything else.
// (QString::toInt would also pass over tabs and line ends around the number.)
qint32 toInt32(std::optional<QStringView> text) {
  const auto value = text ? textrules::wholeNumber(*text) : std::nullopt;
  if (!value || *value < std::numeric_limits<qint32>::min() || *value > std::numeric_limits<qint32>::max()) return 0;
  return qint32(*value);
}

std::optional<Picture> parsePicture(QStringView line) {
  // 1-based positions of the first "/W" and "/H", 0 when absent.
  const qsizetype pW = line.indexOf(u"/W") + 1;
  const qsizetype pH = line.indexOf(u"/H") + 1;
  if (pW == 0 || pH == 0) return std::nullopt;
  Picture picture;
  // One separator stands between the name and "/W"; the character after "/W" and "/H"
  // is skipped whatever it is, and one separator stands before "/H".
  if (const auto name = mid(line, 9, pW - 10)) picture.PopFile = name->toString();
  picture.width = toInt32(mid(line, pW + 3, pH - pW - 4));
  picture.height = toInt32(mid(line, pH + 3, line.size()));
  return picture;
}

PracticeTest practiceTest(QStringView line, const Places& places) {
  PracticeTest test;
  test.name = textrules::trimSpaces(line.sliced(QStringView(kPracticePrefix).size())).toString();
  const bool leavesFolder = test.name.contains(u'/') || test.name.contains(u'\\') || test.name.contains(u"..");
  if (!leavesFolder && !test.name.isEmpty())
    test.program = places.programFolder + QStringLiteral("/ch") + test.name + QStringLiteral("test");
  return test;
}

Exercise exercise(Simulator simulator, QStringView line, const Places& places) {
  if (simulator == Simulator::Trivex)
    return {simulator,
            places.applicationData + QStringLiteral("/Vendrel/Trivex/RUV_CIRS/") + line.toString(),
            blocks::kKindTrivex,
            QStringLiteral("Trivex -"),
            places.programFilesFolder + QStringLiteral("/Vendrel/Trivex/Trivex"),
            QStringLiteral("Could not find Trivex. Please retry or run Setup on the USB.")};
  std::optional<quint8> kind;
  if (line != QStringView(kAmpvaleAlone)) kind = blocks::kKindAmpvale;
  return {simulator,
          places.applicationData + QStringLiteral("/Vendrel/Ampvale/QX_CKTS/") + line.toString(),
          kind,
          QStringLiteral("Ampvale"),
          places.programFilesFolder + QStringLiteral("/Vendrel/Ampvale/ampvale"),
          QStringLiteral("Could not find Ampvale. Please retry or run Setup on the USB.")};
}

}  // namespace

Action modeOf(QStringView line, const Places& places) {
  if (line.isEmpty()) return BringForward{};
  if (line.startsWith(QStringView(kPicturePrefix))) {
    if (auto picture = parsePicture(line)) return *picture;
    return NoMode{};
  }
  if (line.startsWith(QStringView(kPracticePrefix))) return practiceTest(line, places);
  if (line.endsWith(u".cir") || line.endsWith(u".prb")) return exercise(Simulator::Trivex, line, places);
  if (line.endsWith(u".ckt") || line == QStringView(kAmpvaleAlone)) return exercise(Simulator::Ampvale, line, places);
  return NoMode{};
}

QString refusedMessage(const Exercise& exercise) {
  return QStringLiteral("The path of this exercise is longer than %1 bytes, which the simulator cannot take:\n%2")
      .arg(blocks::kNameMaxPathBytes)
      .arg(exercise.path);
}

Passed passToSimulator(blocks::SharedBlocks& blocks, const Exercise& exercise,
                       const std::function<bool(const QString& title)>& activate) {
  if (!blocks::writeExercise(blocks, exercise.path, exercise.kind)) return Passed::Refused;
  return activate(exercise.windowTitle) ? Passed::Found : Passed::Start;
}

void withdraw(blocks::SharedBlocks& blocks, const Exercise& exercise) {
  if (blocks.read(blocks::Block::AmpvaleName) == blocks::encodeName(exercise.path)) blocks::shutOffWithfile(blocks);
}

ExerciseWatch::Outcome ExerciseWatch::tick(const std::function<bool()>& findWindow) {
  ++ExerciseTicks;
  if (ExerciseTicks > tickLimit_) return Outcome::GaveUp;
  return findWindow() ? Outcome::Found : Outcome::Waiting;
}

}  // namespace launcher
