// The C++ API: the module's immutable converters with buffers of the calling thread, so calls never wait on the lock.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "collation/compare.h"
#include "collation/sort_key.h"
#include "core/text.h"
#include "core/utf.h"
#include "module/converter_module.h"
#include "module/hub.h"
#include "tirmok/tirmok_ext.h"
#include "tirmok/tirmok.hpp"

namespace tirmok {
namespace {

// Each thread converts in buffers of its own; they grow with the longest input
// the thread has seen, like the module's.
ScratchBuffers& ThreadScratch() {
  thread_local ScratchBuffers scratch;
  return scratch;
}

const ConverterSet& Converters() { return ConverterModule::Instance().converters; }

std::int32_t CheckedLength(std::size_t units) {
  if (RequiredCapacity(static_cast<std::int64_t>(std::min<std::size_t>(units, INT32_MAX))) >
          std::numeric_limits<std::int32_t>::max() ||
      units > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::length_error("tirmok: input too large");
  }
  return static_cast<std::int32_t>(units);
}

// Room of the calling thread for the copies and results a call needs on its
// way; like the scratch buffers it only grows, so once warm a call allocates
// nothing but the string it returns, and threads never share it.
struct CallBuffers {
  std::string bytes[2];
  std::u16string wide[2];
};

CallBuffers& ThreadBuffers() {
  thread_local CallBuffers buffers;
  return buffers;
}

// Gives back what a call for a long text made the thread's buffers take, so
// that a thread keeps little memory between calls: the copies beyond a
// million units, and scratch buffers grown for an input of more than about
// three million.
class KeepBuffersSmall {
 public:
  ~KeepBuffersSmall() {
    CallBuffers& buffers = ThreadBuffers();
    for (std::string& bytes : buffers.bytes) Trim(bytes);
    for (std::u16string& wide : buffers.wide) Trim(wide);
    ThreadScratch().Release(kKeptScratchBytes);
  }

 private:
  static constexpr std::size_t kKeptUnits = std::size_t{1} << 20;
  static constexpr std::int32_t kKeptScratchBytes = std::int32_t{1} << 26;
  template <class Unit>
  static void Trim(std::basic_string<Unit>& buffer) {
    if (buffer.capacity() > kKeptUnits) std::basic_string<Unit>().swap(buffer);
  }
};

// UpToZero into a buffer of the thread.
template <class Unit>
std::basic_string_view<Unit> Terminated(std::basic_string_view<Unit> text, std::basic_string<Unit>& buffer) {
  buffer.assign(UpToZero(text));
  return buffer;
}

// The bytes of an 8-bit input up to the first zero. The UTF-8 formats are
// read only within their length, so they are taken in place; the others
// are read up to a terminator, so they are copied into a buffer of the
// thread with one.
std::string_view ByteInput(std::string_view text, Format from, std::string& buffer) {
  if (from == Format::kUtf8 || from == Format::kIso15919Utf8) {
    const std::string_view bytes = UpToZero(text);
    return bytes.empty() ? std::string_view("") : bytes;
  }
  return Terminated(text, buffer);
}

// The UTF-16 form of UTF-8 text, cut at its first zero unit, in a buffer of the thread.
std::u16string_view TerminatedWide(std::string_view utf8, std::u16string& buffer) {
  buffer.resize(utf8.size() + 1);
  const std::int32_t units = Utf8ToUtf16(reinterpret_cast<const Byte*>(utf8.data()), static_cast<std::int32_t>(utf8.size()),
                                         buffer.data(), static_cast<std::int32_t>(buffer.size()));
  buffer.resize(static_cast<std::size_t>(units));
  buffer.resize(UpToZero(std::u16string_view(buffer)).size());
  return buffer;
}

// A Format value the library knows; any other (Format(12), a cast byte)
// would index past the format table.
Format Known(Format format) {
  if (static_cast<std::size_t>(format) >= AllFormats().size()) {
    throw std::invalid_argument("tirmok: invalid format value " + std::to_string(static_cast<unsigned>(format)));
  }
  return format;
}

void RequireDirections(Format from, Format to) {
  Known(from);
  Known(to);
  if (!Info(from).input) throw std::invalid_argument("tirmok: " + std::string(Info(from).name) + " cannot be read");
  if (!Info(to).output) throw std::invalid_argument("tirmok: " + std::string(Info(to).name) + " cannot be written");
}

// Runs the pipeline. The result is sized by the encoding itself, in the
// thread's scratch buffer or a spill buffer as large as the result, and
// copied out once: memory follows the text, not the size rule.
template <class OutUnit>
std::basic_string<OutUnit> Run(const void* input, std::int32_t length, Format from, Format to,
                               const Properties& properties) {
  SpillBuffer spill;
  const WholeOutput whole = ConvertWhole(Converters(), ThreadScratch(), properties, input, length, from, to, spill);
  switch (whole.status) {
    case ConvertStatus::kDone:
    case ConvertStatus::kCut:
      break;
    case ConvertStatus::kOutOfMemory:
      throw std::bad_alloc();
    case ConvertStatus::kInvalidArgument:  // the directions were checked: a result beyond the sizes
      throw std::length_error("tirmok: result too large");
  }
  return std::basic_string<OutUnit>(static_cast<const OutUnit*>(whole.data), static_cast<std::size_t>(whole.length));
}

std::u16string WideResult(const void* input, std::int32_t length, Format from, Format to,
                          const Properties& properties) {
  if (IsWide(to)) return Run<char16_t>(input, length, from, to, properties);
  if (to == Format::kUtf8 || to == Format::kIso15919Utf8) {
    const std::string bytes = Run<char>(input, length, from, to, properties);
    return Utf8ToUtf16(bytes);
  }
  throw std::invalid_argument("tirmok: " + std::string(Info(to).name) + " is a byte format");
}

std::string ByteResult(const void* input, std::int32_t length, Format from, Format to,
                       const Properties& properties) {
  // The UTF-8 form of a UTF-16 result: the format's own UTF-8 encoder where it
  // has one, without a UTF-16 copy of the result on the way.
  if (to == Format::kUnicode) return Run<char>(input, length, from, Format::kUtf8, properties);
  if (to == Format::kIso15919) return Run<char>(input, length, from, Format::kIso15919Utf8, properties);
  if (IsWide(to)) return Utf16ToUtf8(Run<char16_t>(input, length, from, to, properties));
  return Run<char>(input, length, from, to, properties);
}

void RequireComparable(Format format) {
  Known(format);
  if (!Info(format).comparable) {
    throw std::invalid_argument("tirmok: " + std::string(Info(format).name) + " cannot be compared");
  }
}

template <class Unit>
std::string SortKeyOf(std::basic_string_view<Unit> text, Format format) {
  RequireComparable(format);
  std::basic_string<Unit>* buffer = nullptr;
  if constexpr (sizeof(Unit) == 1) {
    buffer = &ThreadBuffers().bytes[0];
  } else {
    buffer = &ThreadBuffers().wide[0];
  }
  const std::basic_string_view<Unit> terminated = Terminated(text, *buffer);
  const std::int32_t length = CheckedLength(terminated.size());
  ScratchBuffers& scratch = ThreadScratch();
  if (!scratch.ReserveFor(length)) throw std::bad_alloc();
  CollationString(Converters(), scratch, terminated.data(), length, format, scratch.WideA());
  std::string key;
  AppendSortKey(Converters().collation, scratch.WideA(), key);
  return key;
}

// A comparison in the thread's buffers, or std::bad_alloc when they could not be had.
int Compared(const void* x, std::int32_t n1, Format formatX, const void* y, std::int32_t n2, Format formatY) {
  std::int32_t order = 0;
  if (!CompareReserved(Converters(), ThreadScratch(), x, n1, formatX, y, n2, formatY, order)) {
    throw std::bad_alloc();
  }
  return order;
}

template <class Unit>
int CompareOf(std::basic_string_view<Unit> a, Format formatA, std::basic_string_view<Unit> b, Format formatB) {
  RequireComparable(formatA);
  RequireComparable(formatB);
  CallBuffers& buffers = ThreadBuffers();
  const std::basic_string_view<Unit> x = Terminated(a, buffers.wide[0]);
  const std::basic_string_view<Unit> y = Terminated(b, buffers.wide[1]);
  const std::int32_t n1 = CheckedLength(x.size());
  const std::int32_t n2 = CheckedLength(y.size());
  return Compared(x.data(), n1, formatA, y.data(), n2, formatB);
}

std::string DateConvert(std::string_view phrase, bool fromEnglish) {
  // The caller's text as a terminated string.
  const std::string terminated(UpToZero(phrase));
  const std::int32_t length = CheckedLength(terminated.size());
  std::int64_t capacity = 4 * static_cast<std::int64_t>(length) + 64;
  for (;;) {
    const auto cap = static_cast<std::int32_t>(std::min<std::int64_t>(capacity, INT32_MAX));
    std::string out(static_cast<std::size_t>(cap), '\0');
    const ConvertResult date = ConvertDatePhrase(Converters(), ThreadScratch(), nullptr, terminated.c_str(), length,
                                                 fromEnglish, out.data(), cap);
    if (date.status == ConvertStatus::kOutOfMemory) throw std::bad_alloc();
    const std::int32_t n = date.length;
    // Telugu words are written whole or not at all: a result that might have
    // stopped for room is redone with more.
    if (n + 40 < cap || cap == INT32_MAX) {
      out.resize(static_cast<std::size_t>(n));
      return out;
    }
    capacity *= 2;
  }
}

// Properties given to a call, as the key and value list of the C functions.
PropertyStore PropertiesOf(const char* const* properties) {
  PropertyStore store;
  for (const char* const* p = properties; p != nullptr && p[0] != nullptr; p += 2) {
    store.insert_or_assign(std::string(p[0]), std::string(p[1] != nullptr ? p[1] : ""));
    if (p[1] == nullptr) break;
  }
  return store;
}

ConvertResult ConvertWithProperties(const void* input, const char* inputFormat, void* output,
                                    const char* outputFormat, std::int32_t capacity,
                                    const char* const* properties, CallKind kind) {
  const auto from = ParseFormat(inputFormat);
  const auto to = ParseFormat(outputFormat);
  if (!from || !to || input == nullptr || capacity < 0 || (output == nullptr && capacity != 0)) {
    // The status function leaves an output of a known format empty; the
    // designed function leaves it as it was.
    if (kind == CallKind::kMeasured && to && output != nullptr && capacity > 0) WriteEmpty(output, *to);
    return {0, ConvertStatus::kInvalidArgument, 0};
  }
  const KeepBuffersSmall keep;
  return ConvertTerminated(Converters(), ThreadScratch(), PropertiesOf(properties), nullptr, input, *from, output,
                           *to, capacity, kind);
}

}  // namespace

std::optional<Format> parse_format(std::string_view name) { return ParseFormat(name); }
std::string_view format_name(Format format) { return Info(Known(format)).name; }
bool is_wide(Format format) { return IsWide(Known(format)); }
bool can_read(Format format) { return Info(Known(format)).input; }
bool can_write(Format format) { return Info(Known(format)).output; }
bool can_compare(Format format) { return Info(Known(format)).comparable; }

std::string convert(std::string_view input, Format from, Format to, const Properties& properties) {
  RequireDirections(from, to);
  const KeepBuffersSmall keep;
  CallBuffers& buffers = ThreadBuffers();
  if (IsWide(from)) {
    const std::u16string_view wide = TerminatedWide(input, buffers.wide[0]);
    return ByteResult(wide.data(), CheckedLength(wide.size()), from, to, properties);
  }
  const std::string_view bytes = ByteInput(input, from, buffers.bytes[0]);
  return ByteResult(bytes.data(), CheckedLength(bytes.size()), from, to, properties);
}

std::string convert(std::u16string_view input, Format from, Format to, const Properties& properties) {
  RequireDirections(from, to);
  const KeepBuffersSmall keep;
  if (!IsWide(from)) {
    throw std::invalid_argument("tirmok: " + std::string(Info(from).name) + " is a byte format");
  }
  const std::u16string_view wide = Terminated(input, ThreadBuffers().wide[0]);
  return ByteResult(wide.data(), CheckedLength(wide.size()), from, to, properties);
}

std::u16string convert_u16(std::string_view input, Format from, Format to, const Properties& properties) {
  RequireDirections(from, to);
  const KeepBuffersSmall keep;
  CallBuffers& buffers = ThreadBuffers();
  if (IsWide(from)) {
    const std::u16string_view wide = TerminatedWide(input, buffers.wide[0]);
    return WideResult(wide.data(), CheckedLength(wide.size()), from, to, properties);
  }
  const std::string_view bytes = ByteInput(input, from, buffers.bytes[0]);
  return WideResult(bytes.data(), CheckedLength(bytes.size()), from, to, properties);
}

std::u16string convert_u16(std::u16string_view input, Format from, Format to, const Properties& properties) {
  RequireDirections(from, to);
  const KeepBuffersSmall keep;
  if (!IsWide(from)) {
    throw std::invalid_argument("tirmok: " + std::string(Info(from).name) + " is a byte format");
  }
  const std::u16string_view wide = Terminated(input, ThreadBuffers().wide[0]);
  return WideResult(wide.data(), CheckedLength(wide.size()), from, to, properties);
}

int compare(std::string_view a, Format format_a, std::string_view b, Format format_b) {
  const KeepBuffersSmall keep;
  RequireComparable(format_a);
  RequireComparable(format_b);
  // Each operand as a terminated string of its own format's units.
  CallBuffers& buffers = ThreadBuffers();
  const void* px = nullptr;
  const void* py = nullptr;
  std::size_t sizeA = 0, sizeB = 0;
  // UTF-8 is read only within its length (converted, or streamed), so it
  // needs no terminated copy: it is only cut at its first zero byte.
  const auto operand = [&](std::string_view text, Format format, int which, const void*& data, std::size_t& size) {
    if (IsWide(format)) {
      const std::u16string_view wide = TerminatedWide(text, buffers.wide[which]);
      data = wide.data();
      size = wide.size();
    } else if (format == Format::kUtf8) {
      const std::string_view bytes = UpToZero(text);
      size = bytes.size();
      data = bytes.empty() ? "" : bytes.data();
    } else {
      const std::string_view bytes = Terminated(text, buffers.bytes[which]);
      data = bytes.data();
      size = bytes.size();
    }
  };
  operand(a, format_a, 0, px, sizeA);
  operand(b, format_b, 1, py, sizeB);
  const std::int32_t n1 = CheckedLength(sizeA);
  const std::int32_t n2 = CheckedLength(sizeB);
  return Compared(px, n1, format_a, py, n2, format_b);
}

int compare(std::u16string_view a, Format format_a, std::u16string_view b, Format format_b) {
  const KeepBuffersSmall keep;
  if (!IsWide(Known(format_a)) || !IsWide(Known(format_b))) {
    throw std::invalid_argument("tirmok: UTF-16 strings need 16-bit formats");
  }
  return CompareOf(a, format_a, b, format_b);
}

std::string sort_key(std::string_view text, Format format) {
  const KeepBuffersSmall keep;
  if (IsWide(Known(format))) return SortKeyOf(TerminatedWide(text, ThreadBuffers().wide[1]), format);
  return SortKeyOf(text, format);
}

std::string sort_key(std::u16string_view text, Format format) {
  const KeepBuffersSmall keep;
  if (!IsWide(Known(format))) throw std::invalid_argument("tirmok: UTF-16 strings need 16-bit formats");
  return SortKeyOf(text, format);
}

std::string date_to_telugu(std::string_view phrase) { return DateConvert(phrase, true); }
std::string date_to_english(std::string_view phrase) { return DateConvert(phrase, false); }

}  // namespace tirmok

extern "C" int32_t TirmokSortKey(const void* text, const char* format, unsigned char* key, int32_t capacity) {
  try {
    if (text == nullptr || format == nullptr) return -1;
    const auto parsed = tirmok::ParseFormat(format);
    if (!parsed || !tirmok::Info(*parsed).comparable) return -1;
    std::string result;
    if (tirmok::IsWide(*parsed)) {
      const std::u16string wide =
          tirmok::AlignedCopy(text, static_cast<std::size_t>(tirmok::MeasureInput(text, *parsed)));
      result = tirmok::sort_key(std::u16string_view(wide), *parsed);
    } else {
      result = tirmok::sort_key(std::string_view(static_cast<const char*>(text)), *parsed);
    }
    if (result.size() > static_cast<std::size_t>(INT32_MAX)) return -1;
    const auto length = static_cast<std::int32_t>(result.size());
    if (key != nullptr && capacity >= length) std::memcpy(key, result.data(), result.size());
    return length;
  } catch (...) {
    return -1;
  }
}

extern "C" int32_t TirmokConvert(const void* input, const char* inputFormat, void* output, const char* outputFormat,
                                 int32_t capacity, const char* const* properties) {
  try {
    return tirmok::ConvertWithProperties(input, inputFormat, output, outputFormat, capacity, properties,
                                         tirmok::CallKind::kDesigned)
        .length;
  } catch (...) {
    return 0;
  }
}

extern "C" int32_t TirmokConvertStatus(const void* input, const char* inputFormat, void* output,
                                       const char* outputFormat, int32_t capacity, const char* const* properties,
                                       int32_t* status, int32_t* required) {
  tirmok::ConvertResult result;
  try {
    result = tirmok::ConvertWithProperties(input, inputFormat, output, outputFormat, capacity, properties,
                                           tirmok::CallKind::kMeasured);
  } catch (const std::bad_alloc&) {
    result = {0, tirmok::ConvertStatus::kOutOfMemory, 0};
  } catch (...) {
    result = {0, tirmok::ConvertStatus::kInvalidArgument, 0};
  }
  if (result.status == tirmok::ConvertStatus::kOutOfMemory || result.status == tirmok::ConvertStatus::kInvalidArgument) {
    result.length = 0;
    result.required = 0;
  }
  if (status != nullptr) *status = static_cast<int32_t>(result.status);
  if (required != nullptr) *required = result.required;
  return result.length;
}
