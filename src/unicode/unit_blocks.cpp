// The block readers of unit_blocks.h: a portable one a lane at a time, and AVX-512 where the processor has it.
#include "unicode/unit_blocks.h"

#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tirmok {
namespace {

using Mask = std::uint64_t;
using T = UnitBlockTables;

// The units of a block: their codes (lanes past `count` hold nothing), where
// the first unit the block cannot read is (`problem`, 64 for none), and
// whether the last unit only tells the one before it what follows (the
// block's input goes on past it).
struct LaneMasks {
  Mask consonant = 0;
  Mask signOrVirama = 0;
  Mask vowelOrSign = 0;
  Mask signSecond = 0;
  Mask freshStop = 0;
  Mask takenStop = 0;
  Mask twoUnitSign = 0;
  Mask virama = 0;
  Mask keepFirst = 0;
  Mask keepSecond = 0;
};

struct LanePlan {
  std::int32_t end;  // the lanes decoded: 0 to end - 1
  Mask taking;       // lanes a consonant's step takes in
  Mask keepFirst;
  Mask keepSecond;
};

// DecodeRun's cells for all lanes at once. A unit is taken in by the step
// before it exactly when that unit is a one-byte consonant and this one a
// vowel sign or the virama; the unit after it decides how much a step keeps.
// Lanes from `processed` on are not decoded; a step whose second unit is not
// decoded is left whole.
LanePlan PlanLanes(const LaneMasks& m, std::int32_t processed) {
  const Mask taking = (m.consonant << 1) & m.signOrVirama;
  const Mask fresh = ~taking;
  const Mask nextSign = m.signOrVirama >> 1;
  const Mask nextVowel = m.vowelOrSign >> 1;
  const Mask nextSecond = m.signSecond >> 1;
  const Mask beyond = ~Mask{0} << processed;  // processed < 64
  const Mask stop = (fresh & m.freshStop) | (taking & (m.takenStop | (m.twoUnitSign & nextSecond))) | beyond;
  std::int32_t end = std::countr_zero(stop);
  if (((taking >> end) & 1) != 0) --end;
  const Mask lanes = (Mask{1} << end) - 1;
  return {end, taking, lanes & ((fresh & m.keepFirst) | (taking & (~m.virama | nextVowel))),
          lanes & fresh & m.keepSecond & ~(m.consonant & nextSign)};
}

// The lanes to decode: all when the block's units end at a unit it cannot
// read; else all but the last, whose follower is unknown, and but the one
// before it too when the last may be taken in by its step.
std::int32_t Processed(std::int32_t count, std::int32_t problem, bool lastMayBeTaken) {
  return problem < kBlockUnits ? count : count - 1 - (lastMayBeTaken ? 1 : 0);
}
bool MayBeTaken(const T& t, Byte code) { return code >= t.signFirst && code <= t.signLast; }

// Blocks one after another while the input and the room last; a block that
// stops before its end (at a step blocks do not answer, or at the end of the
// characters they read) is the last.
template <std::int32_t kReadable, class In, class Block>
[[gnu::always_inline]] inline BlockSteps ReadBlocks(const In* p, std::int32_t available, Byte* out, std::int32_t room,
                                                    Block&& block) {
  BlockSteps done{0, 0};
  bool whole = true;
  while (whole && available - done.consumed >= kReadable && room - done.written >= kBlockOutputMax) {
    const BlockSteps one = block(p + done.consumed, out + done.written, whole);
    done.consumed += one.consumed;
    done.written += one.written;
  }
  return done;
}

// --- Portable readers ---

LaneMasks MasksOf(const T& t, const Byte* codes, std::int32_t count) {
  LaneMasks m;
  for (std::int32_t i = 0; i < count; ++i) {
    const Byte p = t.props[codes[i]];
    const Byte k = t.keeps[codes[i]];
    const Mask bit = Mask{1} << i;
    if (p & T::kConsonant) m.consonant |= bit;
    if (p & T::kSignOrVirama) m.signOrVirama |= bit;
    if (p & T::kVowelOrSign) m.vowelOrSign |= bit;
    if (p & T::kSignSecond) m.signSecond |= bit;
    if (p & T::kFreshStop) m.freshStop |= bit;
    if (p & T::kTakenStop) m.takenStop |= bit;
    if (p & T::kTwoUnitSign) m.twoUnitSign |= bit;
    if (p & T::kVirama) m.virama |= bit;
    if (k & T::kKeepFirst) m.keepFirst |= bit;
    if (k & T::kKeepSecond) m.keepSecond |= bit;
  }
  return m;
}

std::int32_t WriteLanes(const T& t, const Byte* codes, const LanePlan& plan, Byte* out) {
  Byte* const begin = out;
  for (std::int32_t i = 0; i < plan.end; ++i) {
    const Byte c = codes[i];
    if ((plan.keepFirst >> i) & 1) *out++ = ((plan.taking >> i) & 1) ? t.takenFirst[c] : t.freshFirst[c];
    if ((plan.keepSecond >> i) & 1) *out++ = t.freshSecond[c];
  }
  return static_cast<std::int32_t>(out - begin);
}

BlockSteps PortableUtf8Block(const T& t, const Byte* p, Byte* out, bool& whole) {
  Byte codes[kBlockUnits];
  std::int32_t starts[kBlockUnits];
  std::int32_t count = 0;
  std::int32_t at = 0;
  // A character at a time; the first one blocks do not read ends the units.
  while (at < kBlockUnits) {
    const Byte b0 = p[at];
    const Byte b1 = p[at + 1];
    const Byte b2 = p[at + 2];
    int code = -1;
    std::int32_t size = 1;
    if (b0 >= 0x20 && b0 < 0x80) {
      code = b0;
    } else if (b0 == 0xE0 && (b1 & 0xFE) == 0xB0 && (b2 & 0xC0) == 0x80) {
      code = 0x80 | ((b1 & 1) << 6) | (b2 & 0x3F);
      size = 3;
    } else if (b0 == 0xE2 && b1 == 0x80 && (b2 & 0xE0) == 0x80) {
      code = b2 & 0x1F;
      size = 3;
    }
    if (code < 0) break;
    codes[count] = static_cast<Byte>(code);
    starts[count++] = at;
    at += size;
  }
  // A character that began in the last bytes ends past the block: its lane
  // is then the follower, as in the AVX-512 reader.
  const std::int32_t problem = at < kBlockUnits ? at : kBlockUnits;
  const std::int32_t processed = Processed(count, problem, count > 0 && MayBeTaken(t, codes[count - 1]));
  const LanePlan plan = PlanLanes(MasksOf(t, codes, count), processed);
  const std::int32_t written = WriteLanes(t, codes, plan, out);
  whole = plan.end == processed && problem == kBlockUnits;
  return {plan.end == count ? at : starts[plan.end], written};
}

BlockSteps PortableUtf16Block(const T& t, const char16_t* p, Byte* out, bool& whole) {
  Byte codes[kBlockUnits];
  std::int32_t count = 0;
  while (count < kBlockUnits) {
    const int code = BlockCodeOf(p[count]);
    if (code < 0) break;
    codes[count++] = static_cast<Byte>(code);
  }
  const std::int32_t processed = Processed(count, count, count > 0 && MayBeTaken(t, codes[count - 1]));
  const LanePlan plan = PlanLanes(MasksOf(t, codes, count), processed);
  whole = plan.end == processed && count == kBlockUnits;
  return {plan.end, WriteLanes(t, codes, plan, out)};
}

// --- AVX-512 readers (byte permutes and compression: VBMI, VBMI2) ---

#if defined(__x86_64__)
#define TIRMOK_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

// The tables in registers, loaded once for a run of blocks: 256 bytes each.
struct Table512 {
  __m512i quarter[4];
};
struct Tables512 {
  Table512 freshFirst, freshSecond, takenFirst, props, keeps;
  Byte signFirst, signLast;
};

[[gnu::always_inline]] TIRMOK_AVX512 inline Table512 Load(const std::array<Byte, 256>& table) {
  return {{_mm512_loadu_si512(table.data()), _mm512_loadu_si512(table.data() + 64),
           _mm512_loadu_si512(table.data() + 128), _mm512_loadu_si512(table.data() + 192)}};
}

[[gnu::always_inline]] TIRMOK_AVX512 inline Tables512 Load(const T& t) {
  return {Load(t.freshFirst), Load(t.freshSecond), Load(t.takenFirst), Load(t.props), Load(t.keeps),
          t.signFirst, t.signLast};
}

// A table looked up for 64 codes.
[[gnu::always_inline]] TIRMOK_AVX512 inline __m512i Lookup(const Table512& table, __m512i codes) {
  const __m512i low = _mm512_permutex2var_epi8(table.quarter[0], codes, table.quarter[1]);
  const __m512i high = _mm512_permutex2var_epi8(table.quarter[2], codes, table.quarter[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(codes), low, high);
}

[[gnu::always_inline]] TIRMOK_AVX512 inline __m512i Set8(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
[[gnu::always_inline]] TIRMOK_AVX512 inline __m512i Set16(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }

[[gnu::always_inline]] TIRMOK_AVX512 inline Mask Test(__m512i v, Byte bit) { return _mm512_test_epi8_mask(v, Set8(bit)); }

// Decodes the lanes of `codes` (the first `count` hold units) and writes
// their steps; returns the plan.
[[gnu::always_inline]] TIRMOK_AVX512 inline LanePlan DecodeLanes(const Tables512& t, __m512i codes, std::int32_t count, std::int32_t processed, Byte* out,
                                   std::int32_t& written) {
  const Mask units = _bzhi_u64(~Mask{0}, static_cast<unsigned>(count));
  const __m512i props = _mm512_maskz_mov_epi8(units, Lookup(t.props, codes));
  const __m512i keeps = _mm512_maskz_mov_epi8(units, Lookup(t.keeps, codes));
  LaneMasks m;
  m.consonant = Test(props, T::kConsonant);
  m.signOrVirama = Test(props, T::kSignOrVirama);
  m.vowelOrSign = Test(props, T::kVowelOrSign);
  m.signSecond = Test(props, T::kSignSecond);
  m.freshStop = Test(props, T::kFreshStop);
  m.takenStop = Test(props, T::kTakenStop);
  m.twoUnitSign = Test(props, T::kTwoUnitSign);
  m.virama = Test(props, T::kVirama);
  m.keepFirst = Test(keeps, T::kKeepFirst);
  m.keepSecond = Test(keeps, T::kKeepSecond);
  const LanePlan plan = PlanLanes(m, processed);
  const __m512i first = _mm512_mask_blend_epi8(plan.taking, Lookup(t.freshFirst, codes), Lookup(t.takenFirst, codes));
  const __m512i second = Lookup(t.freshSecond, codes);
  // Each lane's two bytes side by side, then only the kept ones.
  alignas(64) static constexpr auto kInterleave = [] {
    std::array<Byte, 128> index{};
    for (int j = 0; j < 128; ++j) index[j] = static_cast<Byte>((j & 1 ? 64 : 0) + j / 2);
    return index;
  }();
  const __m512i low = _mm512_permutex2var_epi8(first, _mm512_load_si512(kInterleave.data()), second);
  const __m512i high = _mm512_permutex2var_epi8(first, _mm512_load_si512(kInterleave.data() + 64), second);
  constexpr Mask kEven = 0x5555555555555555ull;
  const Mask keepLow = _pdep_u64(plan.keepFirst, kEven) | _pdep_u64(plan.keepSecond, kEven << 1);
  const Mask keepHigh = _pdep_u64(plan.keepFirst >> 32, kEven) | _pdep_u64(plan.keepSecond >> 32, kEven << 1);
  const auto lowCount = static_cast<unsigned>(std::popcount(keepLow));
  const auto highCount = static_cast<unsigned>(std::popcount(keepHigh));
  _mm512_mask_storeu_epi8(out, _bzhi_u64(~Mask{0}, lowCount), _mm512_maskz_compress_epi8(keepLow, low));
  _mm512_mask_storeu_epi8(out + lowCount, _bzhi_u64(~Mask{0}, highCount), _mm512_maskz_compress_epi8(keepHigh, high));
  written = static_cast<std::int32_t>(lowCount + highCount);
  return plan;
}

[[gnu::always_inline]] TIRMOK_AVX512 inline BlockSteps Avx512Utf8Block(const Tables512& t, const Byte* p, Byte* out, bool& whole) {
  const __m512i b0 = _mm512_loadu_si512(p);
  const __m512i b1 = _mm512_loadu_si512(p + 1);
  const __m512i b2 = _mm512_loadu_si512(p + 2);
  const auto set = Set8;
  const Mask ascii = _mm512_cmpge_epu8_mask(b0, set(0x20)) & _mm512_cmplt_epu8_mask(b0, set(0x80));
  const Mask telugu = _mm512_cmpeq_epi8_mask(b0, set(0xE0)) &
                      _mm512_cmpeq_epi8_mask(_mm512_and_si512(b1, set(0xFE)), set(0xB0)) &
                      _mm512_cmpeq_epi8_mask(_mm512_and_si512(b2, set(0xC0)), set(0x80));
  const Mask punctuation = _mm512_cmpeq_epi8_mask(b0, set(0xE2)) & _mm512_cmpeq_epi8_mask(b1, set(0x80)) &
                           _mm512_cmpeq_epi8_mask(_mm512_and_si512(b2, set(0xE0)), set(0x80));
  const Mask continuation = _mm512_cmpeq_epi8_mask(_mm512_and_si512(b0, set(0xC0)), set(0x80));
  // The characters are where they seem to be while every continuation byte
  // is one of the two after a three-byte lead, and every other byte a lead.
  const Mask three = telugu | punctuation;
  const Mask problems = ~(ascii | three | continuation) | (continuation ^ ((three << 1) | (three << 2)));
  const auto problem = static_cast<std::int32_t>(std::countr_zero(problems));
  const Mask leads = (ascii | three) & _bzhi_u64(~Mask{0}, static_cast<unsigned>(problem));
  const __m512i low = _mm512_or_si512(_mm512_and_si512(b2, set(0x3F)), set(0x80));
  const __m512i teluguCode =
      _mm512_mask_mov_epi8(low, _mm512_test_epi8_mask(b1, set(1)), _mm512_or_si512(low, set(0x40)));
  __m512i code = _mm512_mask_blend_epi8(punctuation, b0, _mm512_and_si512(b2, set(0x1F)));
  code = _mm512_mask_blend_epi8(telugu, code, teluguCode);
  const __m512i codes = _mm512_maskz_compress_epi8(leads, code);
  const auto count = static_cast<std::int32_t>(std::popcount(leads));
  // Where the next block begins when the lanes to decode are all decoded,
  // known from the characters alone: the processor goes on with it while the
  // lanes are decoded, instead of waiting for them from block to block.
  const Mask signs = _mm512_cmpge_epu8_mask(code, set(t.signFirst)) & _mm512_cmple_epu8_mask(code, set(t.signLast));
  const int last = 63 - std::countl_zero(leads);
  const bool lastMayBeTaken = last >= 0 && ((signs >> last) & 1) != 0;
  const std::int32_t processed = Processed(count, problem, lastMayBeTaken);
  const std::int32_t restart =
      problem < kBlockUnits ? problem : lastMayBeTaken ? 63 - std::countl_zero(leads ^ (Mask{1} << last)) : last;
  std::int32_t written = 0;
  const LanePlan plan = DecodeLanes(t, codes, count, processed, out, written);
  whole = plan.end == processed && problem == kBlockUnits;
  if (__builtin_expect(plan.end == processed, 1)) return {restart, written};
  if (plan.end == count) return {problem, written};
  return {static_cast<std::int32_t>(std::countr_zero(_pdep_u64(Mask{1} << plan.end, leads))), written};
}

[[gnu::always_inline]] TIRMOK_AVX512 inline BlockSteps Avx512Utf16Block(const Tables512& t, const char16_t* p, Byte* out, bool& whole) {
  const auto set = Set16;
  Mask readable = 0;
  __m512i halves[2];
  for (int h = 0; h < 2; ++h) {
    const __m512i u = _mm512_loadu_si512(p + 32 * h);
    const Mask ascii = _mm512_cmpge_epu16_mask(u, set(0x20)) & _mm512_cmplt_epu16_mask(u, set(0x80));
    const Mask telugu = _mm512_cmpeq_epi16_mask(_mm512_and_si512(u, set(0xFF80)), set(0x0C00));
    const Mask punctuation = _mm512_cmpeq_epi16_mask(_mm512_and_si512(u, set(0xFFE0)), set(0x2000));
    readable |= (ascii | telugu | punctuation) << (32 * h);
    // ASCII as itself; the Telugu block with bit 7 set; U+2000 on as the low five bits.
    __m512i code = _mm512_mask_mov_epi16(u, static_cast<__mmask32>(telugu),
                                         _mm512_or_si512(_mm512_and_si512(u, set(0x7F)), set(0x80)));
    code = _mm512_mask_mov_epi16(code, static_cast<__mmask32>(punctuation), _mm512_and_si512(u, set(0x1F)));
    halves[h] = code;
  }
  // The low byte of each unit, the 64 in order.
  alignas(64) static constexpr auto kLowBytes = [] {
    std::array<Byte, 64> index{};
    for (int j = 0; j < 64; ++j) index[j] = static_cast<Byte>(2 * j);
    return index;
  }();
  const __m512i codes = _mm512_permutex2var_epi8(halves[0], _mm512_load_si512(kLowBytes.data()), halves[1]);
  const auto count = static_cast<std::int32_t>(std::countr_one(readable));
  std::int32_t written = 0;
  const Mask signs = _mm512_cmpge_epu8_mask(codes, Set8(t.signFirst)) & _mm512_cmple_epu8_mask(codes, Set8(t.signLast));
  const std::int32_t processed = Processed(count, count, count > 0 && ((signs >> (count - 1)) & 1) != 0);
  const LanePlan plan = DecodeLanes(t, codes, count, processed, out, written);
  whole = plan.end == processed && count == kBlockUnits;
  return {plan.end, written};
}

TIRMOK_AVX512 BlockSteps Avx512Utf8Blocks(const T& t, const Byte* p, std::int32_t available, Byte* out,
                                          std::int32_t room) {
  const Tables512 tables = Load(t);
  const auto block = [&tables](const Byte* q, Byte* o, bool& whole) TIRMOK_AVX512 {
    return Avx512Utf8Block(tables, q, o, whole);
  };
  const BlockSteps done = ReadBlocks<kUtf8BlockReadable>(p, available, out, room, block);
  // The code after this is not AVX code: leave the upper halves of the
  // registers clear, or its first SSE instruction waits for them.
  _mm256_zeroupper();
  return done;
}

TIRMOK_AVX512 BlockSteps Avx512Utf16Blocks(const T& t, const char16_t* p, std::int32_t available, Byte* out,
                                           std::int32_t room) {
  const Tables512 tables = Load(t);
  const auto block = [&tables](const char16_t* q, Byte* o, bool& whole) TIRMOK_AVX512 {
    return Avx512Utf16Block(tables, q, o, whole);
  };
  const BlockSteps done = ReadBlocks<kUtf16BlockReadable>(p, available, out, room, block);
  _mm256_zeroupper();  // as above
  return done;
}

bool HasAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
         __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}
#endif

BlockSteps PortableUtf8Blocks(const T& t, const Byte* p, std::int32_t available, Byte* out, std::int32_t room) {
  return ReadBlocks<kUtf8BlockReadable>(p, available, out, room, [&t](const Byte* q, Byte* o, bool& whole) {
    return PortableUtf8Block(t, q, o, whole);
  });
}

BlockSteps PortableUtf16Blocks(const T& t, const char16_t* p, std::int32_t available, Byte* out, std::int32_t room) {
  return ReadBlocks<kUtf16BlockReadable>(p, available, out, room, [&t](const char16_t* q, Byte* o, bool& whole) {
    return PortableUtf16Block(t, q, o, whole);
  });
}

}  // namespace

Utf8BlockReader PortableUtf8BlockReader() { return PortableUtf8Blocks; }
Utf16BlockReader PortableUtf16BlockReader() { return PortableUtf16Blocks; }

// The portable readers restate the lanes for the tests and read far slower
// than the unit-at-a-time run cells, so without AVX-512 no blocks are read.
Utf8BlockReader BestUtf8BlockReader() {
#if defined(__x86_64__)
  static const Utf8BlockReader best = HasAvx512() ? Avx512Utf8Blocks : nullptr;
  return best;
#else
  return nullptr;
#endif
}

Utf16BlockReader BestUtf16BlockReader() {
#if defined(__x86_64__)
  static const Utf16BlockReader best = HasAvx512() ? Avx512Utf16Blocks : nullptr;
  return best;
#else
  return nullptr;
#endif
}

}  // namespace tirmok
