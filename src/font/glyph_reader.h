// GlyphReader: every lookup the font decoder makes at one position, found by one walk over a trie of the tables' keys.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/internal_code.h"
#include "core/mapping_table.h"

namespace tirmok {

// The font decoder asks up to four tables what begins at a position: the
// vowels, the bare consonants, every syllable table and the signs, each for
// its longest key there. A trie holding every key of all of them answers the
// four at once: the walk from the root follows the input as long as some key
// goes on, so every key that begins the input lies on its path, and the
// lookups at the input are those at the last node reached. Each node keeps
// them, made at start-up by the converter's own lookups on the node's string.
class GlyphReader {
 public:
  // One lookup's result: the glyph bytes it matched (0: none) and its
  // internal code.
  struct Found {
    static constexpr std::int32_t kMaxUnits = 6;
    std::uint8_t length = 0;
    std::uint8_t size = 0;
    Byte units[kMaxUnits] = {};

    std::span<const Byte> View() const { return {units, size}; }
  };
  // The lookups at a node. `consonant` is the syllable's first consonant (or
  // cluster) and `syllableVowel` its vowel (0 for a bare consonant).
  // Which lookup decides a step that begins here, in the order the decoder
  // asks: an independent vowel, the ai lead (the consonant lookups then come
  // from the next byte), a consonant, a sign; kNone for none of them, or a
  // value too long to keep.
  enum class Kind : std::uint8_t { kNone, kVowel, kAiLead, kConsonant, kSign };
  // Aligned so that one node's lookups never straddle two cache lines.
  struct alignas(32) Lookups {
    Kind kind = Kind::kNone;
    Found vowel;
    Found consonant;
    Byte syllableVowel = 0;
    Found sign;
    bool usable = false;  // false: a value too long to keep, the plain steps decide
    std::uint8_t depth = 0;  // the length of the node's string
  };

  // Adds every key of a right-keyed array to the trie.
  void AddKeys(const KeyedArray<Byte, Byte>& keys);
  // Once all keys are in: numbers the nodes and gives each the lookups that
  // `lookup` makes on its string (terminated). Without it, or when the keys
  // do not fit, the reader is not ready and every node is unusable.
  void Resolve(const std::function<Lookups(const Byte*)>& lookup);
  bool Ready() const { return !lookups_.empty(); }

  // The lookups at `p` (terminated; the walk never reads past the terminator,
  // which begins no key). Only once Ready().
  const Lookups& At(const Byte* p) const { return lookups_[NodeAt(p)]; }
  // The number of the node the walk from `p` ends at, below NodeCount(), and
  // the lookups of a node by its number.
  std::uint32_t NodeAt(const Byte* p) const {
    const Byte* end = p;
    return NodeAt(p, end);
  }
  // The same, with where the walk ended: `p` plus the node's depth.
  std::uint32_t NodeAt(const Byte* p, const Byte*& end) const {
    std::uint32_t move = root_[p[0]];
    if (move != 0) {
      for (++p;; ++p) {
        const std::uint32_t next = next_[(move >> 16) + classOf_[*p]];
        if (next == 0) break;
        move = next;
      }
    }
    end = p;
    return move & 0xFFFF;
  }
  std::size_t NodeCount() const { return lookups_.size(); }
  const Lookups& Node(std::size_t number) const { return lookups_[number]; }

 private:
  // While keys are added: each node's string and children (0: none).
  struct Building {
    std::vector<Byte> string;
    std::uint16_t children[256] = {};
  };
  std::vector<Building> building_ = std::vector<Building>(1);
  bool overflow_ = false;

  // Once resolved: the root's children by byte; then, for the nodes below it
  // with children (numbered first, after the root), one row of children by
  // class of byte each; the leaves share the empty row after them.
  // Each move to a node holds the node (low 16 bits) and the start of its
  // row (high 16 bits), so that the walk needs no arithmetic between reads.
  std::array<std::uint32_t, 256> root_{};
  std::array<std::uint8_t, 256> classOf_{};
  std::uint32_t classes_ = 0;
  std::uint32_t inner_ = 0;
  std::vector<std::uint32_t> next_;
  std::vector<Lookups> lookups_;
};

}  // namespace tirmok
