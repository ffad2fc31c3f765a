// CodeNormaliser: folds variant internal codes into the normalised set every encoder can write.
#include "core/normaliser.h"

#include <algorithm>

#include "core/run_loop.h"

namespace tirmok {
namespace {

struct Fold {
  Units<Byte> replaced;
  Units<Byte> replacement;
};

// In the order of addition. Longer keys are matched first, so tsa and dza keep
// their nukta while every other nukta is removed.
const Fold kFolds[] = {
    {{110}, {100}},              // vowel variant to a
    {{111}, {112}},              // ê to e
    {{115}, {116}},              // ô to o
    {{108}, {153, 106}},         // vocalic l to la + vocalic r
    {{109}, {153, 107}},         // vocalic ll to la + vocalic rr
    {{66}, {117, 88}},           // om sign to oo + anusvara
    {{142}, {141}},              // ṉ to na
    {{155}, {154}},              // ḻ to lla
    {{190}, {113}},              // ē variant to ee
    {{127, 170}, {127, 170}},    // tsa kept
    {{129, 170}, {129, 170}},    // dza kept
    {{170}, {}},                 // any other nukta removed
    {{200}, {75, 74}},           // ten to the digits 1 0
    {{201}, {75, 74, 74}},       // hundred to 1 0 0
    {{202}, {75, 74, 74, 74}},   // thousand to 1 0 0 0
    {{220}, {149}},              // ẏ to ya
    {{221}, {150}},              // second ra to ra
    {{215}, {88}},               // anusvara variant to anusvara
    {{216}, {}},                 // removed
    {{225}, {157}},              // wa to va
};

}  // namespace

CodeNormaliser::CodeNormaliser() {
  for (const Fold& fold : kFolds) table_.AddEntry(fold.replaced, fold.replacement);
  for (int b = 1; b < 256; ++b) {
    const bool looked = b >= code::kSpace && b != code::kEscapeLead;
    keptAsIs_[static_cast<std::size_t>(b)] =
        b != code::kEscapeLead &&
        (!looked || table_.LeftKeyed().Candidates(static_cast<std::uint32_t>(b)).empty());
  }
}

std::int32_t CodeNormaliser::Normalise(const Byte* input, std::int32_t length, Byte* output,
                                       std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  length = ResolveLength(input, length);
  std::int32_t position = 0;
  while (position < length) {
    const Byte* p = input + position;
    if (keptAsIs_[p[0]]) {
      // A run of bytes that are their own one-byte steps (most of any text):
      // as many as fit are copied at once.
      std::int32_t run = 1;
      while (run < length - position && keptAsIs_[p[run]]) ++run;
      const std::int32_t fits = std::min(run, sink.Room());
      sink.Append({p, static_cast<std::size_t>(fits)});
      position += fits;
      if (fits < run) break;
      continue;
    }
    if (p[0] == code::kEscapeLead) {
      // An escape is copied as it stands and needs room for all five bytes.
      // One cut short by the end of the input is copied, and skipped, only as
      // far as it goes.
      if (static_cast<std::int64_t>(sink.Length()) + kEscapeLength + 1 > capacity) break;
      std::int32_t n = 1;
      while (n < kEscapeLength && p[n] != 0) ++n;
      sink.Append({p, static_cast<std::size_t>(n)});
      position += n;
      continue;
    }
    std::span<const Byte> text{p, 1};
    std::int32_t used = 1;
    if (p[0] >= code::kSpace) {
      if (const auto match = table_.MatchLeft(p)) {
        text = match.value;
        used = match.length;
      }
    }
    if (!sink.Append(text)) break;
    position += used;
  }
  return position;
}

}  // namespace tirmok
