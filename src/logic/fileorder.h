#pragma once
// The words that begin with a term follow each other in sorted order, but their entries
// are listed in the order of the word file. The file is alphabetical as a rule, and then a
// run is already in the file's order; otherwise its entries are put back in order through
// a bitmap of every entry number, with no sort and no allocation per query.
#include "logic/datafiles.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace search {

class FileOrder {
 public:
  FileOrder() : bits_(kWords, 0) {}

  // Takes the entry numbers (1 to kCapacity, each once) of `run`. False when they are in
  // the file's order already: nothing is taken, and the run is to be used as it is.
  template <typename Entry>
  bool take(std::span<const Entry> run) {
    if (std::is_sorted(run.begin(), run.end())) return false;
    std::fill(bits_.begin(), bits_.end(), 0);
    for (const Entry k : run) bits_[size_t(k) >> 6] |= std::uint64_t(1) << (k & 63);
    return true;
  }

  // Calls visit(k) for the entries last taken, ascending.
  template <typename Visit>
  void forEach(Visit visit) const {
    for (int w = 0; w < kWords; ++w)
      for (std::uint64_t bits = bits_[size_t(w)]; bits; bits &= bits - 1) visit(w * 64 + std::countr_zero(bits));
  }

 private:
  static constexpr int kWords = (kCapacity + 1 + 63) / 64;
  std::vector<std::uint64_t> bits_;
};

}  // namespace search
