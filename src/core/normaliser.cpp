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
  // The step at a byte sees only the byte after it while every key is at
  // most two bytes long; a byte that begins a longer key is never passed over.
  std::array<bool, 256> longKey{};
  for (std::uint32_t b = 1; b < 256; ++b) {
    for (const auto& candidate : table_.LeftKeyed().Candidates(b)) longKey[b] = longKey[b] || candidate.key.size() > 2;
  }
  for (std::uint32_t b = 1; b < 256; ++b) {
    bool always = true;
    for (std::uint32_t next = 0; next < 256; ++next) {
      const Byte pair[] = {static_cast<Byte>(b), static_cast<Byte>(next), 0};
      bool unchanged = b != code::kEscapeLead && !longKey[b];
      if (unchanged) {
        const Step step = StepAt(pair);
        unchanged = step.used == 1 && step.text.size() == 1 && step.text[0] == pair[0];
      }
      if (unchanged) unchanged_[b][next >> 6] |= std::uint64_t{1} << (next & 63);
      always = always && unchanged;
    }
    keptAsIs_[b] = always;
  }
  // Bytes that need no look at their neighbours when none of the bytes
  // around them is one of the rest: those the steps keep whatever follows,
  // and those kept before every byte but a few of the rest that are never
  // kept themselves (ca and ja before anything but the nukta).
  const auto exceptionsAllIn = [this](std::uint32_t b, auto&& in) {
    for (std::uint32_t next = 0; next < 256; ++next) {
      if (!Unchanged(static_cast<Byte>(b), static_cast<Byte>(next)) && !in(next)) return false;
    }
    return true;
  };
  std::array<bool, 256> keptBesideOthers{};
  for (std::uint32_t b = 1; b < 256; ++b) {
    keptBesideOthers[b] = !keptAsIs_[b] && exceptionsAllIn(b, [this](std::uint32_t x) { return !keptAsIs_[x]; });
  }
  for (std::uint32_t b = 0; b < 256; ++b) {
    passable_[b] = keptAsIs_[b] ||
                   (keptBesideOthers[b] &&
                    exceptionsAllIn(b, [&](std::uint32_t x) { return !keptAsIs_[x] && !keptBesideOthers[x]; }));
  }
}

CodeNormaliser::Step CodeNormaliser::StepAt(const Byte* p) const {
  if (p[0] >= code::kSpace) {
    if (const auto match = table_.MatchLeft(p)) return {match.value, match.length};
  }
  return {{p, 1}, 1};
}

std::int32_t CodeNormaliser::Normalise(const Byte* input, std::int32_t length, Byte* output,
                                       std::int32_t capacity) const {
  return Run<true>(input, length, output, capacity);
}

std::int32_t CodeNormaliser::NormaliseStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                                 std::int32_t capacity) const {
  return Run<false>(input, length, output, capacity);
}

template <bool kRuns>
std::int32_t CodeNormaliser::Run(const Byte* input, std::int32_t length, Byte* output,
                                 std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  length = ResolveLength(input, length);
  std::int32_t position = 0;
  while (position < length) {
    const Byte* p = input + position;
    if constexpr (kRuns) {
      // A run of bytes that the steps leave as they stand (most of any
      // text): as many as fit are copied at once. The steps read the byte
      // after the last one, past `length` too, and so does the run.
      std::int32_t run = 0;
      const std::int32_t most = length - position;
      for (;;) {
        // Eight bytes at a time while none of them, nor the byte after
        // them, is one that the others' steps look out for.
        while (run + 8 <= most) {
          const Byte* const q = p + run;
          const bool kept = passable_[q[0]] & passable_[q[1]] & passable_[q[2]] & passable_[q[3]] &
                            passable_[q[4]] & passable_[q[5]] & passable_[q[6]] & passable_[q[7]] & passable_[q[8]];
          if (!kept) break;
          run += 8;
        }
        if (run < most && Unchanged(p[run], p[run + 1])) {
          ++run;
          continue;
        }
        break;
      }
      if (run > 0) {
        const std::int32_t fits = std::min(run, sink.Room());
        sink.Append({p, static_cast<std::size_t>(fits)});
        position += fits;
        if (fits < run) break;
        continue;
      }
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
    const Step step = StepAt(p);
    if (!sink.Append(step.text)) break;
    position += step.used;
  }
  return position;
}

}  // namespace tirmok
