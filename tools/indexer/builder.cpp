#include "builder.h"

#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/textrules.h"
#include "words.h"

#include <algorithm>
#include <string_view>

namespace indexer {

using search::kCapacity;

namespace {

// Slots of the word table: a power of two, over twice the words and stop words it can hold.
constexpr std::uint32_t kSlots = 32768;
static_assert(kSlots > 2 * (kCapacity + std::size(kStopWords)));

}  // namespace

Builder::Builder() : slots_(kSlots, 0) {
  for (const QByteArray& w : upperStopWords()) entries_[size_t(entryOf(w, true))].stop = true;
  stopWords_ = int(entries_.size());
}

int Builder::entryOf(const QByteArray& word, bool room) {
  for (std::uint32_t i = textrules::hash(word) & (kSlots - 1);; i = (i + 1) & (kSlots - 1)) {
    if (slots_[i] == 0) {
      if (!room) return -1;
      entries_.push_back({word, false, {}});
      slots_[i] = std::uint16_t(entries_.size());
      return int(entries_.size()) - 1;
    }
    if (entries_[slots_[i] - 1u].word == word) return slots_[i] - 1;
  }
}

std::optional<QString> Builder::addPage(const QString& name, const PageContent& content, bool indexed) {
  ++offered_;
  const bool beyond = pages_ == kCapacity;
  if (beyond && firstPageBeyond_.isEmpty()) firstPageBeyond_ = name;
  if (const auto written = cp1252::encodeExactly(name); !written)
    return QStringLiteral("%1: the page name holds %2, which Windows-1252 cannot write").arg(name, written.error());
  if (!search::fitsNameField(name))
    return QStringLiteral("%1: the page name holds a TAB or a line break, which files.qx cannot hold").arg(name);
  const QString& title = content.title.isEmpty() ? name : content.title;
  if (const auto written = cp1252::encodeExactly(title); !written)
    return QStringLiteral("%1: the title holds %2, which Windows-1252 cannot write").arg(name, written.error());

  // A page beyond the capacity is not listed, but its words are counted all the same.
  if (!beyond) {
    ++pages_;
    search::appendPageLine(files_, pages_, cp1252::encode(name), cp1252::encode(title));
  }
  if (indexed) addWords(name, content.text, !beyond);
  return std::nullopt;
}

void Builder::addWords(const QString& name, QStringView text, bool listed) {
  forEachWord(text, key_, [&](const QByteArray& word) {
    const bool room = int(entries_.size()) - stopWords_ < kCapacity;
    const int k = entryOf(word, room);
    if (k < 0) {
      if (wordsBeyond_.isEmpty()) {
        firstWordBeyond_ = word;
        firstWordBeyondPage_ = name;
      }
      wordsBeyond_.insert(word);
      return;
    }
    Entry& entry = entries_[size_t(k)];
    if (entry.stop || !listed) return;
    if (entry.pages.empty() || entry.pages.back() != pages_) entry.pages.push_back(std::uint16_t(pages_));
  });
}

QStringList Builder::overflows() const {
  QStringList lines;
  if (tooManyPages())
    lines << QStringLiteral("%1 pages to list, but files.qx holds at most %2; the first beyond them is %3")
                 .arg(offered_)
                 .arg(kCapacity)
                 .arg(firstPageBeyond_);
  if (tooManyWords())
    lines << QStringLiteral("%1 different words, but words.qx holds at most %2; the first beyond them is \"%3\", on %4")
                 .arg(int(entries_.size()) - stopWords_ + int(wordsBeyond_.size()))
                 .arg(kCapacity)
                 .arg(cp1252::decode(firstWordBeyond_), firstWordBeyondPage_);
  return lines;
}

Output Builder::finish() const {
  std::vector<const Entry*> order;
  order.reserve(entries_.size());
  for (const Entry& e : entries_)
    if (!e.stop) order.push_back(&e);
  // Compared as unsigned bytes, as the reader's search compares them.
  const auto view = [](const Entry* e) { return std::string_view(e->word.constData(), size_t(e->word.size())); };
  std::sort(order.begin(), order.end(), [&view](const Entry* a, const Entry* b) { return view(a) < view(b); });

  Output out;
  out.filesQx = files_;
  out.pages = pages_;
  out.words = int(order.size());
  qsizetype size = 0;
  for (const Entry* e : order) size += e->word.size() + 3 + qsizetype(e->pages.size()) * 6;
  out.wordsQx.reserve(size);
  for (const Entry* e : order) search::appendWordLine(out.wordsQx, e->word, e->pages);
  return out;
}

}  // namespace indexer
