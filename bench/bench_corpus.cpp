// The benchmark's text in every format, and its words.
#include "bench_corpus.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <span>
#include <sstream>

#include "core/internal_code.h"
#include "core/utf.h"
#include "tirmok/tirmok.h"
#include "typing/inscript_tables.h"
#include "typing/key_rows.h"
#include "typing/phonetic_keyboard_tables.h"

namespace tirmok::bench {
namespace {

Corpus& MutableCorpus() {
  static Corpus corpus;
  return corpus;
}

std::string NameOf(Format format) { return std::string(format_name(format)); }

// One block through the C export, as a caller of the library would do it.
template <class Out>
std::basic_string<Out> ConvertBlock(const void* input, Format from, Format to) {
  const std::string fromName = NameOf(from);
  const std::string toName = NameOf(to);
  const std::int32_t size = LpxConvert(input, fromName.c_str(), nullptr, toName.c_str(), 0);
  std::basic_string<Out> out(static_cast<std::size_t>(size), Out{0});
  const std::int32_t n = LpxConvert(input, fromName.c_str(), out.data(), toName.c_str(), size);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// The keys a typist presses for internal code, by the tables of one keyboard
// scheme: a consonant's key, then its vowel's key (after a consonant, the
// INSCRIPT layout uses vowel-sign keys), or the halant key for a consonant
// without vowel; an independent vowel's key; a sign's key. Codes no key types
// are left out.
class Typist {
 public:
  Typist(std::span<const KeyRow> consonants, std::span<const KeyRow> vowels, std::span<const KeyRow> vowelSigns,
         std::span<const KeyRow> signs, char halant, bool typesInherentA)
      : halant_(halant), typesInherentA_(typesInherentA) {
    Fill(consonants_, consonants);
    Fill(vowels_, vowels);
    Fill(vowelSigns_, vowelSigns);
    Fill(signs_, signs);
  }

  std::string Type(std::string_view internal) const {
    std::string keys;
    const auto* p = reinterpret_cast<const Byte*>(internal.data());
    const auto* end = p + internal.size();
    while (p < end) {
      if (IsControl(*p)) {
        keys.push_back(static_cast<char>(*p++));
        continue;
      }
      if (*p == code::kEscapeLead) {
        p += std::min<std::ptrdiff_t>(kEscapeLength, end - p);
        continue;
      }
      std::size_t used = 0;
      if (const std::string* key = Longest(consonants_, p, end, used)) {
        keys += *key;
        p += used;
        if (p < end && IsVowel(*p)) {
          if (*p != code::kVowelA || typesInherentA_) {
            std::size_t vowelUsed = 0;
            if (const std::string* sign = Longest(vowelSigns_, p, end, vowelUsed)) keys += *sign;
          }
          ++p;
        } else if (p == end || (*p != code::kJoiner && *p != code::kSeparator)) {
          keys.push_back(halant_);
        }
        continue;
      }
      for (const auto* table : {&vowels_, &signs_}) {
        if (const std::string* key = Longest(*table, p, end, used)) {
          keys += *key;
          break;
        }
      }
      p += used > 0 ? used : 1;
    }
    return keys;
  }

 private:
  using Table = std::map<std::basic_string<Byte>, std::string>;

  static void Fill(Table& table, std::span<const KeyRow> rows) {
    for (const KeyRow& row : rows) {
      std::basic_string<Byte> code;
      for (Byte b : row.code)
        if (b != 0) code.push_back(b);
      table.emplace(code, row.keys);  // the first row for a code is the key a typist knows
    }
  }

  static const std::string* Longest(const Table& table, const Byte* p, const Byte* end, std::size_t& used) {
    for (std::size_t n = std::min<std::ptrdiff_t>(3, end - p); n > 0; --n) {
      const auto it = table.find(std::basic_string<Byte>(p, n));
      if (it != table.end()) {
        used = n;
        return &it->second;
      }
    }
    used = 0;
    return nullptr;
  }

  char halant_;
  bool typesInherentA_;
  Table consonants_, vowels_, vowelSigns_, signs_;
};

const Typist& PhoneticTypist() {
  using namespace phonetic_keyboard;
  static const Typist typist(ConsonantRows(), VowelRows(), VowelRows(), SignRows(), 'f', true);
  return typist;
}

const Typist& InscriptTypist() {
  using namespace inscript;
  static const Typist typist(ConsonantRows(), VowelRows(), VowelSignRows(), SignRows(), 'd', false);
  return typist;
}

FormText MakeForm(Format format) {
  const FormText& utf8 = TheCorpus().utf8;
  FormText form;
  form.format = format;
  for (std::size_t i = 0; i < utf8.Blocks(); ++i) {
    const std::string& text = utf8.bytes[i];
    if (format == Format::kUtf8) {
      form.bytes.push_back(text);
    } else if (format == Format::kUnicode) {
      form.wide.push_back(Utf16Of(text));
    } else if (format == Format::kLpxkbd || format == Format::kInscript) {
      const std::string internal = ConvertBlock<char>(text.c_str(), Format::kUtf8, Format::kLpxcode);
      form.bytes.push_back((format == Format::kLpxkbd ? PhoneticTypist() : InscriptTypist()).Type(internal));
    } else if (is_wide(format)) {
      form.wide.push_back(ConvertBlock<char16_t>(text.c_str(), Format::kUtf8, format));
    } else {
      form.bytes.push_back(ConvertBlock<char>(text.c_str(), Format::kUtf8, format));
    }
    const std::size_t units = form.IsWide() ? form.wide.back().size() : form.bytes.back().size();
    form.totalBytes += units * (form.IsWide() ? 2 : 1);
    form.largestUnits = std::max(form.largestUnits, units);
  }
  return form;
}

// A fixed-seed generator, so every run and every machine shuffles alike.
std::uint64_t NextRandom(std::uint64_t& state) {
  state = state * 6364136223846793005ULL + 1442695040888963407ULL;
  return state >> 33;
}

}  // namespace

std::u16string Utf16Of(std::string_view utf8) { return Utf8ToUtf16(utf8); }

bool LoadCorpus(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read '" + path + "'";
    return false;
  }
  Corpus& corpus = MutableCorpus();
  corpus.source = path;
  corpus.utf8.format = Format::kUtf8;
  std::string line;
  std::string block;
  auto flush = [&] {
    if (block.empty()) return;
    corpus.utf8.totalBytes += block.size();
    corpus.utf8.largestUnits = std::max(corpus.utf8.largestUnits, block.size());
    corpus.utf8.bytes.push_back(std::move(block));
    block.clear();
  };
  while (std::getline(in, line)) {
    // A zero byte would end the library's string early; the benchmark text has none.
    std::erase(line, '\0');
    line.push_back('\n');
    if (block.size() + line.size() > kBlockBytes) flush();
    block += line;
  }
  flush();
  if (corpus.utf8.totalBytes == 0) {
    error = "'" + path + "' is empty";
    return false;
  }

  // Words: the runs of non-ASCII bytes (Telugu letters, signs and joiners).
  for (const std::string& text : corpus.utf8.bytes) {
    std::size_t i = 0;
    while (i < text.size()) {
      while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
      const std::size_t start = i;
      while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) ++i;
      if (i > start) corpus.words.emplace_back(text, start, i - start);
    }
  }
  std::uint64_t seed = 20240611;
  for (std::size_t i = corpus.words.size(); i > 1; --i) {
    std::swap(corpus.words[i - 1], corpus.words[NextRandom(seed) % i]);
  }
  return true;
}

const Corpus& TheCorpus() { return MutableCorpus(); }

const std::vector<std::string>& WordsUtf8(std::size_t limit) {
  static std::map<std::size_t, std::vector<std::string>> cache;
  auto& words = cache[limit];
  if (words.empty()) {
    const auto& all = TheCorpus().words;
    words.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(limit, all.size())));
  }
  return words;
}

const std::vector<std::u16string>& WordsUtf16(std::size_t limit) {
  static std::map<std::size_t, std::vector<std::u16string>> cache;
  auto& words = cache[limit];
  if (words.empty())
    for (const std::string& word : WordsUtf8(limit)) words.push_back(Utf16Of(word));
  return words;
}

const std::vector<std::string>& LinesUtf8() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> result;
    for (const std::string& block : TheCorpus().utf8.bytes) {
      std::size_t start = 0;
      while (start < block.size()) {
        std::size_t end = block.find('\n', start);
        end = end == std::string::npos ? block.size() : end + 1;
        result.push_back(block.substr(start, end - start));
        start = end;
      }
    }
    return result;
  }();
  return lines;
}

const FormText& TextIn(Format format) {
  static std::map<Format, std::unique_ptr<FormText>> cache;
  auto& slot = cache[format];
  if (!slot) slot = std::make_unique<FormText>(MakeForm(format));
  return *slot;
}

}  // namespace tirmok::bench
