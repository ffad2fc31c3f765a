// GlyphReader: every lookup the font decoder makes at one position, found by one walk over a trie of the tables' keys.
#include "font/glyph_reader.h"

#include <algorithm>
#include <limits>

namespace tirmok {

void GlyphReader::AddKeys(const KeyedArray<Byte, Byte>& keys) {
  for (const auto& entry : keys.Entries()) {
    std::size_t node = 0;
    for (const Byte b : entry.key.View()) {
      if (b == 0) break;  // keys hold none; the walk must stop at the terminator
      if (building_[node].children[b] == 0) {
        if (building_.size() > std::numeric_limits<std::uint16_t>::max()) {
          overflow_ = true;
          return;
        }
        Building child;
        child.string = building_[node].string;
        child.string.push_back(b);
        building_[node].children[b] = static_cast<std::uint16_t>(building_.size());
        building_.push_back(std::move(child));
      }
      node = building_[node].children[b];
    }
  }
}

void GlyphReader::Resolve(const std::function<Lookups(const Byte*)>& lookup) {
  if (overflow_) return;
  const auto hasChildren = [](const Building& n) {
    for (const std::uint16_t c : n.children)
      if (c != 0) return true;
    return false;
  };
  // New numbers: the root and every node with children first, then the leaves.
  std::vector<std::uint16_t> number(building_.size());
  std::uint32_t next = 0;
  for (std::size_t i = 0; i < building_.size(); ++i)
    if (i == 0 || hasChildren(building_[i])) number[i] = static_cast<std::uint16_t>(next++);
  inner_ = next;
  for (std::size_t i = 1; i < building_.size(); ++i)
    if (!hasChildren(building_[i])) number[i] = static_cast<std::uint16_t>(next++);

  // Bytes that lead to the same children from every node below the root
  // share a class, so that those nodes' rows are short and stay in the cache.
  std::vector<std::vector<std::uint16_t>> columns(256);
  for (std::uint32_t b = 0; b < 256; ++b) {
    for (std::size_t i = 1; i < building_.size(); ++i) {
      if (number[i] < inner_) columns[b].push_back(building_[i].children[b]);
    }
  }
  classOf_.fill(0);
  std::vector<std::uint32_t> firstOfClass = {0};  // class 0: bytes that go on from no node below the root
  for (std::uint32_t b = 1; b < 256; ++b) {
    if (std::all_of(columns[b].begin(), columns[b].end(), [](std::uint16_t c) { return c == 0; })) continue;
    std::size_t c = 1;
    while (c < firstOfClass.size() && columns[firstOfClass[c]] != columns[b]) ++c;
    if (c == firstOfClass.size()) firstOfClass.push_back(b);
    classOf_[b] = static_cast<std::uint8_t>(c);
  }
  classes_ = static_cast<std::uint32_t>(firstOfClass.size());
  if (static_cast<std::size_t>(inner_ + 1) * classes_ > std::numeric_limits<std::uint16_t>::max()) return;
  // A move names its node and where that node's row begins.
  const auto move = [&](std::uint16_t child) {
    const std::uint32_t row = std::min(number[child], static_cast<std::uint16_t>(inner_));
    return (row * classes_) << 16 | number[child];
  };

  root_.fill(0);
  next_.assign(static_cast<std::size_t>(inner_ + 1) * classes_, 0);
  lookups_.assign(building_.size(), Lookups{});
  for (std::size_t i = 0; i < building_.size(); ++i) {
    const Building& node = building_[i];
    for (std::uint32_t b = 0; b < 256; ++b) {
      if (node.children[b] == 0) continue;
      if (i == 0) {
        root_[b] = move(node.children[b]);
      } else {
        next_[number[i] * classes_ + classOf_[b]] = move(node.children[b]);
      }
    }
    std::vector<Byte> terminated = node.string;
    terminated.push_back(0);
    lookups_[number[i]] = lookup(terminated.data());
    lookups_[number[i]].depth = static_cast<std::uint8_t>(std::min<std::size_t>(node.string.size(), 255));
  }
  std::vector<Building>().swap(building_);  // the build nodes are not needed once read; give their memory back
}

}  // namespace tirmok
