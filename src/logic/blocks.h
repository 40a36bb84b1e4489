#pragma once
// The four named shared-memory blocks that the reader, its launcher copies and the two
// simulators share: names, sizes, byte layouts, and the writes this program makes.
// The layouts are a wire format with programs outside this one and hold byte for byte.
#include "platform/sharedblocks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace blocks {

inline constexpr qsizetype kRequestChars = 127;  // UTF-16LE characters in "QXwav"
inline constexpr char16_t kStopMediaRequest[] = u"v0000";

// "AmpvalePrev": the kind of the exercise last handed over.
inline constexpr quint8 kKindTrivex = 2;
inline constexpr quint8 kKindAmpvale = 3;
// "AmpvaleEnd": 0 while the course runs, 1 once the reader was quit from the return window.
inline constexpr quint8 kCourseRunning = 0;
inline constexpr quint8 kCourseEnded = 1;

// Bytes of a path in "AmpvaleName" at most, so that at least one zero ends it.
inline constexpr qsizetype kNameMaxPathBytes = kNameBytes - 1;
// The 255 bytes of "AmpvaleName" for a path: the path in the system's narrow encoding,
// UTF-8 (ASCII paths are byte for byte the same as before), then zeros. Nothing for a
// path of more than 254 bytes: a cut path names another file, and a simulator reads the
// block as a string that ends at a zero.
std::optional<QByteArray> encodeName(QStringView path);
// The path that stands in "AmpvaleName": the bytes up to the first zero, as UTF-8.
QString decodeName(QByteArrayView bytes);
// An exercise name stands in the block while its first byte is not zero.
bool nameStands(QByteArrayView bytes);

// A request is pending in "QXwav" while its first byte is not zero.
bool requestPending(QByteArrayView bytes);
// The request text of a "QXwav" block: its 127 UTF-16LE characters, cut at the first NUL
// character, with blanks (U+0020) trimmed at both ends. Writers that pad with blanks and
// writers that end the text with NUL characters are heard alike.
QString decodeRequest(QByteArrayView bytes);
// Requests are "v" and four digits, naming a narration; "v0000" stops what plays. The
// text becomes part of an address, so nothing else is heard.
bool isMediaRequest(QStringView text);

// The 255 bytes a writer puts into "QXwav": the text's first 127 characters as UTF-16LE,
// the rest of the characters `padding`, the odd last byte zero.
QByteArray encodeRequest(QStringView text, char16_t padding = u' ');

// Every copy at start-up: the course is running.
void resetCourseEnded(SharedBlocks& blocks);
// The quit from the return window was confirmed: the simulators learn the course has ended.
void shutOffQX(SharedBlocks& blocks);
// The return window was clicked: no exercise name stands any longer (all 255 bytes zero).
void shutOffWithfile(SharedBlocks& blocks);
// A launcher hands an exercise over: the name first, then the kind when there is one.
// False, and nothing written, when encodeName refuses the path.
bool writeExercise(SharedBlocks& blocks, QStringView path, std::optional<quint8> kind);

// What the reader's once-a-second poll finds.
struct Poll {
  std::optional<QString> request;  // a request taken (and acknowledged) from "QXwav"
  bool exerciseOpen = false;       // an exercise name stands in "AmpvaleName"
};
// Reads "QXwav" and, when a request is pending, acknowledges it (byte 0 := 0, flushed);
// then reads "AmpvaleName".
Poll poll(SharedBlocks& blocks);

}  // namespace blocks
