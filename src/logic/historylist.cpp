#include "logic/historylist.h"

#include "logic/codepage.h"
#include "logic/historylog.h"
#include "logic/textrules.h"
#include "platform/logging.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace history {

namespace {

// Every catalogue name, trimmed and upper-cased, in one Aho-Corasick automaton: one pass
// over a record finds every name that occurs in it, however many names there are.
class NameMatcher {
 public:
  explicit NameMatcher(const search::PageTable& catalogue);

  // Appends the catalogue entries whose names occur anywhere in `text`, ascending.
  void entriesIn(QByteArrayView text, std::vector<int>& entries);

 private:
  static constexpr int kNone = -1;
  int child(int node, unsigned char c) const {
    if (node == 0) return rootChild_[c];
    const std::uint64_t key = edgeKey(node, c);
    for (size_t i = slot(key);; i = (i + 1) & mask_) {
      if (edgeKey_[i] == key) return edgeChild_[i];
      if (edgeKey_[i] == 0) return kNone;
    }
  }
  // The steps of the constructor: the catalogue's names (by entry number), a trie sized for
  // them, the names put in, each name's entries chained, the failure and dictionary links.
  static std::vector<QByteArrayView> catalogueNames(const search::PageTable& catalogue);
  void startTrie(const std::vector<QByteArrayView>& names);
  std::vector<int> insertNames(const std::vector<QByteArrayView>& names);
  void chainEntries(const std::vector<int>& nodeOf);
  void linkFailures();
  int addChild(int node, unsigned char c);
  // Never 0, which marks an empty slot.
  static std::uint64_t edgeKey(int node, unsigned char c) { return (std::uint64_t(node) << 8 | c) + 1; }
  size_t slot(std::uint64_t key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> shift_) & mask_; }

  std::array<int, 256> rootChild_;
  // The edges below the root, by open addressing on (node, byte).
  std::vector<std::uint64_t> edgeKey_;
  std::vector<int> edgeChild_;
  size_t mask_ = 0;
  int shift_ = 0;

  // Per node. A node is a name when firstEntry_ is not 0; dict_ is the longest proper
  // suffix of it that is a name (0 for none), so the names that end at a position are the
  // node's own and those down its dict_ chain.
  std::vector<int> fail_;
  std::vector<int> dict_;
  std::vector<int> firstEntry_;
  std::vector<int> firstChild_, nextSibling_;
  std::vector<unsigned char> label_;
  std::vector<int> nextEntry_;  // per catalogue entry: the next entry with the same name, or 0

  // Scratch of one record.
  std::vector<std::uint32_t> seen_;  // per node: the stamp of the record that last found it
  std::uint32_t stamp_ = 0;
  std::vector<int> found_;
};

NameMatcher::NameMatcher(const search::PageTable& catalogue) {
  const std::vector<QByteArrayView> names = catalogueNames(catalogue);
  startTrie(names);
  const std::vector<int> nodeOf = insertNames(names);
  chainEntries(nodeOf);
  linkFailures();
  seen_.assign(fail_.size(), 0);
}

std::vector<QByteArrayView> NameMatcher::catalogueNames(const search::PageTable& catalogue) {
  std::vector<QByteArrayView> names(1);  // numbered as the catalogue: entry 0 is never filled
  for (int j = 1; j <= kCapacity; ++j) {
    const QByteArrayView name = textrules::trimSpaces(catalogue.file(j));
    if (name.isEmpty()) break;
    names.push_back(name);
  }
  return names;
}

void NameMatcher::startTrie(const std::vector<QByteArrayView>& names) {
  // At most one node per byte of the names, and the root.
  size_t maxNodes = 1;
  for (const QByteArrayView name : names) maxNodes += size_t(name.size());
  const size_t slotCount = std::bit_ceil(2 * maxNodes + 2);
  mask_ = slotCount - 1;
  shift_ = 64 - std::countr_zero(slotCount);
  rootChild_.fill(kNone);
  edgeKey_.assign(slotCount, 0);
  edgeChild_.assign(slotCount, kNone);
  fail_.reserve(maxNodes);
  firstChild_.reserve(maxNodes);
  nextSibling_.reserve(maxNodes);
  label_.reserve(maxNodes);
  fail_.push_back(0);
  firstChild_.push_back(kNone);
  nextSibling_.push_back(kNone);
  label_.push_back(0);
}

std::vector<int> NameMatcher::insertNames(const std::vector<QByteArrayView>& names) {
  std::vector<int> nodeOf(names.size(), 0);
  for (size_t j = 1; j < names.size(); ++j) {
    int node = 0;
    for (char ch : names[j]) {
      const unsigned char c = cp1252::upper(static_cast<unsigned char>(ch));
      const int next = child(node, c);
      node = next != kNone ? next : addChild(node, c);
    }
    nodeOf[j] = node;
  }
  return nodeOf;
}

void NameMatcher::chainEntries(const std::vector<int>& nodeOf) {
  firstEntry_.assign(fail_.size(), 0);
  nextEntry_.assign(nodeOf.size(), 0);
  // Built from the back, so every name's chain runs in catalogue order.
  for (size_t j = nodeOf.size() - 1; j >= 1; --j) {
    nextEntry_[j] = firstEntry_[size_t(nodeOf[j])];
    firstEntry_[size_t(nodeOf[j])] = int(j);
  }
}

void NameMatcher::linkFailures() {
  // Breadth first, so that a node's failure link is known before its children's.
  const size_t nodes = fail_.size();
  dict_.assign(nodes, 0);
  std::vector<int> queue;
  queue.reserve(nodes);
  queue.push_back(0);
  for (size_t q = 0; q < queue.size(); ++q) {
    const int u = queue[q];
    for (int v = firstChild_[size_t(u)]; v != kNone; v = nextSibling_[size_t(v)]) {
      queue.push_back(v);
      int f = 0;
      if (u != 0) {
        for (f = fail_[size_t(u)];; f = fail_[size_t(f)]) {
          const int next = child(f, label_[size_t(v)]);
          if (next != kNone) {
            f = next;
            break;
          }
          if (f == 0) break;
        }
      }
      fail_[size_t(v)] = f;
      dict_[size_t(v)] = firstEntry_[size_t(f)] != 0 ? f : dict_[size_t(f)];
    }
  }
}

int NameMatcher::addChild(int node, unsigned char c) {
  const int v = int(fail_.size());
  fail_.push_back(0);
  firstChild_.push_back(kNone);
  label_.push_back(c);
  nextSibling_.push_back(firstChild_[size_t(node)]);
  firstChild_[size_t(node)] = v;
  if (node == 0) {
    rootChild_[c] = v;
    return v;
  }
  const std::uint64_t key = edgeKey(node, c);
  size_t i = slot(key);
  while (edgeKey_[i] != 0) i = (i + 1) & mask_;
  edgeKey_[i] = key;
  edgeChild_[i] = v;
  return v;
}

void NameMatcher::entriesIn(QByteArrayView text, std::vector<int>& entries) {
  ++stamp_;
  found_.clear();
  int state = 0;
  for (char ch : text) {
    const unsigned char c = cp1252::upper(static_cast<unsigned char>(ch));
    for (;;) {
      const int next = child(state, c);
      if (next != kNone) {
        state = next;
        break;
      }
      if (state == 0) break;
      state = fail_[size_t(state)];
    }
    // A name found before was reported with its whole dict_ chain, so the walk stops there.
    for (int t = firstEntry_[size_t(state)] != 0 ? state : dict_[size_t(state)]; t != 0 && seen_[size_t(t)] != stamp_;
         t = dict_[size_t(t)]) {
      seen_[size_t(t)] = stamp_;
      found_.push_back(t);
    }
  }
  const size_t first = entries.size();
  for (int t : found_)
    for (int j = firstEntry_[size_t(t)]; j != 0; j = nextEntry_[size_t(j)]) entries.push_back(j);
  if (found_.size() > 1) std::sort(entries.begin() + qsizetype(first), entries.end());
}

}  // namespace

HistoryList HistoryList::load(QByteArray log, std::optional<QByteArray> catalogue) {
  HistoryList list;
  list.setLog(std::move(log));
  list.lookUpTitles(std::move(catalogue));
  return list;
}

void HistoryList::setLog(QByteArray log) {
  log_ = std::move(log);
  records_.clear();
  tooManyRecords_ = false;
  const char* const base = log_.constData();
  const qsizetype size = log_.size();
  for (qsizetype pos = 0; pos < size;) {
    if (records_.size() == size_t(kCapacity)) {
      tooManyRecords_ = true;
      break;
    }
    const auto* cr = static_cast<const char*>(std::memchr(base + pos, '\r', size_t(size - pos)));
    const qsizetype end = cr ? cr - base : size;
    records_.push_back({pos, end - pos});
    pos = std::min(end + 2, size);
  }
  catalogue_ = {};
  catalogueStatus_.reset();
  titled_ = false;
  items_.clear();
  for (size_t r = 0; r < records_.size(); ++r) items_.push_back({int(r), 0});
}

void HistoryList::lookUpTitles(std::optional<QByteArray> catalogue) {
  catalogue_ = {};
  catalogueStatus_.reset();
  titled_ = false;
  items_.clear();
  for (size_t r = 0; r < records_.size(); ++r) items_.push_back({int(r), 0});
  if (!catalogue) {
    qCWarning(lcHistory) << "no page catalogue files.qx: the history lists its records as they are stored";
    return;
  }
  catalogue_ = search::PageTable::read(std::move(*catalogue));
  catalogueStatus_ = catalogue_.status();
  if (catalogueStatus_->tooMany) return;  // the user is told "Too many files!"
  if (catalogueStatus_->stoppedAtLine != 0) {
    qCWarning(lcHistory) << "files.qx line" << catalogueStatus_->stoppedAtLine
                         << "has a page number that does not convert: the history lists its records as they are stored";
    return;
  }

  NameMatcher names(catalogue_);
  items_.clear();
  std::vector<int> entries;
  for (size_t r = 0; r < records_.size(); ++r) {
    const QByteArrayView text = textrules::trimSpaces(record(int(r)));
    // A name counts from the record's second character on: its opening quotation mark.
    if (text.size() < 2) continue;
    entries.clear();
    names.entriesIn(text.sliced(1), entries);
    for (int j : entries) items_.push_back({int(r), j});
  }
  titled_ = true;
}

QString HistoryList::text(int i) const { return cp1252::decode(textBytes(i)); }

QByteArrayView HistoryList::textBytes(int i) const {
  if (!valid(i)) return {};
  const Item& item = items_[size_t(i)];
  return item.entry != 0 ? catalogue_.title(item.entry) : record(item.record);
}

QByteArrayView HistoryList::histPage(int i) const {
  if (!valid(i)) return {};
  return catalogue_.file(items_[size_t(i)].entry);
}

QString HistoryList::pageToOpen(int i) const {
  if (!valid(i)) return {};
  const Item& item = items_[size_t(i)];
  if (item.entry != 0) return cp1252::decode(textrules::trimSpaces(catalogue_.file(item.entry)));
  QByteArray page = record(item.record).toByteArray();
  page.replace("\"", "");
  return cp1252::decode(textrules::trimSpaces(page));
}

}  // namespace history
