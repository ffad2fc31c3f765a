// Fuzz target for the automation object's IDispatch::Invoke with random arguments.
//
// Input layout: a member selector, flags, the argument count and the named
// argument count, then per argument a type selector and its payload (format
// selectors, numbers or text of a length given by one byte); what is left is
// read as names for GetIDsOfNames.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "automation/code_page.h"
#include "fuzz_support.h"
#include "tirmok/com_names.h"

using namespace tirmok::fuzz;
using tirmok::automation::FromWindows1252;
using tirmok::automation::ToWindows1252;

namespace {

IDispatch* SharedObject() {
  static IDispatch* object = [] {
    IClassFactory* factory = nullptr;
    Require(DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK,
            "no class object");
    IDispatch* created = nullptr;
    Require(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&created)) == S_OK,
            "the class object made no object");
    factory->Release();
    return created;
  }();
  return object;
}

// UTF-16 text from bytes (two per unit, low byte first).
std::u16string Units(const std::string& bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units +=
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return units;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The 8-bit text the object hands the module for a host string, cut at its
// first zero as the module reads it.
std::string Narrow(const std::u16string& text) {
  const std::string bytes = ToWindows1252(text);
  return bytes.substr(0, bytes.find('\0'));
}

// The format index of a host's format name, as the object reads it: code page
// text, ASCII upper case, up to the first zero.
int FormatOf(const std::u16string& name) {
  std::string narrow = Narrow(name);
  for (char& c : narrow) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (int i = 0; i < kFormatCount; ++i) {
    if (narrow == kFormats[i]) return i;
  }
  return -1;
}

// Arguments of one call: the variants, the storage that by-reference
// variants point into, and what each string argument holds.
struct Arguments {
  std::vector<VARIANT> variants;
  std::vector<VARIANT> referenced;
  std::vector<BSTR> strings;
  std::vector<LONG> longs;
  std::vector<SHORT> shorts;
  std::vector<VARIANT_BOOL> bools;
  std::vector<DISPID> named;

  Arguments() {
    // By-reference variants point into these; reserving keeps the pointers valid.
    referenced.reserve(16);
    strings.reserve(32);
    longs.reserve(16);
    shorts.reserve(16);
    bools.reserve(16);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments() {
    for (BSTR s : strings) SysFreeString(s);
  }
  BSTR Keep(const std::u16string& text) {
    strings.push_back(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    return strings.back();
  }
};

// One argument's value, read from the fuzzer's bytes.
VARIANT MakeArgument(ByteReader& reader, Arguments& args, bool allowReference) {
  VARIANT v;
  VariantInit(&v);
  const std::uint8_t type = reader.Byte();
  switch (type % 12) {
    case 0:
    case 1:
    case 2: {  // a format name
      v.vt = VT_BSTR;
      v.bstrVal = args.Keep(Ascii(ChooseFormat(reader.Byte()).name));
      break;
    }
    case 3:
    case 4: {  // text
      v.vt = VT_BSTR;
      const std::string bytes = reader.Take(reader.Byte());
      v.bstrVal = args.Keep(type & 16 ? Units(bytes) : Ascii(bytes));
      break;
    }
    case 5:
      v.vt = VT_BSTR;
      v.bstrVal = nullptr;  // a null BSTR is the empty string
      break;
    case 6:
      v.vt = VT_I4;
      v.lVal = static_cast<LONG>(reader.Word() | (static_cast<std::uint32_t>(reader.Word()) << 16));
      break;
    case 7:
      v.vt = VT_I2;
      v.iVal = static_cast<SHORT>(reader.Word());
      break;
    case 8:
      v.vt = VT_BOOL;
      v.boolVal = (type & 16) ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case 9: {  // by reference: to a string, a number, a flag, or a variant
      if (!allowReference) break;
      switch ((type >> 4) % 5) {
        case 0:
          args.Keep(Ascii(ChooseFormat(reader.Byte()).name));
          v.vt = VT_BYREF | VT_BSTR;
          v.pbstrVal = &args.strings.back();
          break;
        case 1:
          args.longs.push_back(static_cast<LONG>(reader.Word()));
          v.vt = VT_BYREF | VT_I4;
          v.plVal = &args.longs.back();
          break;
        case 2:
          args.bools.push_back(VARIANT_TRUE);
          v.vt = VT_BYREF | VT_BOOL;
          v.pboolVal = &args.bools.back();
          break;
        case 3:
          args.referenced.push_back(MakeArgument(reader, args, false));
          v.vt = VT_BYREF | VT_VARIANT;
          v.pvarVal = &args.referenced.back();
          break;
        default:
          v.vt = VT_BYREF | (reader.Byte() % 2 ? VT_BSTR : VT_I4);
          v.byref = nullptr;  // a by-reference argument without its target
          break;
      }
      break;
    }
    case 10:
      args.shorts.push_back(static_cast<SHORT>(reader.Word()));
      v.vt = VT_BYREF | VT_I2;
      v.piVal = &args.shorts.back();
      break;
    default:  // a type no method takes
      v.vt = static_cast<VARTYPE>(reader.Byte() % 80);
      break;
  }
  return v;
}

// The string or number an argument carries, looking through one reference.
bool StringOf(const VARIANT& v, std::u16string& text) {
  const VARIANT* value = v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v;
  BSTR b = nullptr;
  if (value->vt == VT_BSTR) {
    b = value->bstrVal;
  } else if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal != nullptr) {
    b = *value->pbstrVal;
  } else {
    return false;
  }
  text = b == nullptr ? std::u16string() : std::u16string(b, SysStringLen(b));
  return true;
}

std::u16string BstrText(BSTR b) { return b == nullptr ? std::u16string() : std::u16string(b, SysStringLen(b)); }

// What Convert must return for these arguments: the export's output for the
// same text, carried through the code page for the 8-bit formats.
void CheckConvert(const std::u16string& input, int from, int to, const std::u16string& result) {
  std::string text;
  if (IsWide(from)) {
    const std::u16string units = input.substr(0, input.find(u'\0'));
    text.assign(reinterpret_cast<const char*>(units.data()), units.size() * 2);
  } else {
    text = Narrow(input);
  }
  const std::string output = ConvertText(text, from, to);
  std::u16string expected;
  if (IsWide(to)) {
    expected.assign(reinterpret_cast<const char16_t*>(output.data()), output.size() / 2);
  } else {
    expected = FromWindows1252(output);
  }
  if (expected != result) Fail("Convert gave another output than LpxConvert");
}

void CheckCompare(const std::u16string& a, int fa, const std::u16string& b, int fb, LONG result) {
  const auto hubText = [](const std::u16string& s, int format) {
    if (!IsWide(format)) return Narrow(s);
    const std::u16string units = s.substr(0, s.find(u'\0'));
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
  };
  const InputBuffer first(hubText(a, fa), IsWide(fa), false);
  const InputBuffer second(hubText(b, fb), IsWide(fb), false);
  if (LpxCompare(first.data(), kFormats[fa], second.data(), kFormats[fb]) != result) {
    Fail("Compare gave another result than LpxCompare");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  IDispatch* object = SharedObject();
  const std::uint8_t member = reader.Byte();
  const std::uint8_t flags = reader.Byte();
  const UINT count = reader.Byte() % 7;
  const UINT namedCount = reader.Byte() % 8;

  // Mostly the four methods as a host calls them; sometimes any identifier.
  const DISPID dispid = member < 200 ? 1 + member % 4 : static_cast<DISPID>(static_cast<std::int8_t>(member));
  WORD wFlags = DISPATCH_METHOD;
  if ((flags & 3) == 1) wFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  if ((flags & 3) == 2) wFlags = static_cast<WORD>(flags >> 4);
  const IID& riid = (flags & 4) ? IID_IDispatch : IID_NULL;

  Arguments args;
  args.variants.reserve(count);
  for (UINT i = 0; i < count; ++i) args.variants.push_back(MakeArgument(reader, args, true));
  const UINT named = std::min(namedCount, count + (flags & 8 ? 1 : 0));
  for (UINT i = 0; i < std::max(named, count); ++i) args.named.push_back(static_cast<DISPID>(reader.Byte() % 8) - 1);
  DISPPARAMS params{args.variants.empty() ? nullptr : args.variants.data(),
                    args.named.empty() ? nullptr : args.named.data(), count, (flags & 16) ? named : 0};

  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argumentError = ~0u;
  const HRESULT hr =
      object->Invoke(dispid, riid, 0, wFlags, (flags & 32) && count == 0 ? nullptr : &params,
                     (flags & 64) ? nullptr : &result, (flags & 128) ? nullptr : &exception, &argumentError);

  if (hr == DISP_E_EXCEPTION) {
    if (!(flags & 128)) {
      Require(exception.scode == E_FAIL, "a failed method did not report E_FAIL");
      Require(exception.bstrDescription != nullptr, "a failed method gave no description");
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  } else if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) {
    Require(argumentError < count, "a bad argument was not named");
  }
  if (hr == S_OK && !(flags & 64)) {
    // Positional arguments only: the values are known in parameter order.
    const bool positional = params.cNamedArgs == 0;
    std::vector<std::u16string> text(count);
    std::vector<bool> isText(count);
    for (UINT k = 0; k < count; ++k) isText[k] = StringOf(args.variants[count - 1 - k], text[k]);
    switch (dispid) {
      case DISPID_Itirmok50_Convert: {
        Require(result.vt == VT_BSTR, "Convert returned no string");
        if (positional) {
          const int from = FormatOf(text[1]);
          const int to = FormatOf(text[2]);
          Require(from >= 0 && to >= 0, "Convert accepted an invalid format name");
          CheckConvert(text[0], from, to, BstrText(result.bstrVal));
        }
        break;
      }
      case DISPID_Itirmok50_Compare: {
        Require(result.vt == VT_I4, "Compare returned no number");
        Require(result.lVal >= -1 && result.lVal <= 1, "Compare returned a value other than -1, 0 or 1");
        if (positional) {
          const int fa = FormatOf(text[1]);
          const int fb = FormatOf(text[3]);
          Require(fa >= 0 && fb >= 0, "Compare accepted an invalid format name");
          CheckCompare(text[0], fa, text[2], fb, result.lVal);
        }
        break;
      }
      case DISPID_Itirmok50_ConvertDate:
        Require(result.vt == VT_BSTR, "ConvertDate returned no string");
        break;
      case DISPID_Itirmok50_SetProperty:
        Require(result.vt == VT_EMPTY, "SetProperty returned a value");
        break;
      default:
        Fail("an unknown member succeeded");
    }
  } else if (hr == S_OK && dispid != DISPID_Itirmok50_SetProperty && dispid != DISPID_Itirmok50_Convert &&
             dispid != DISPID_Itirmok50_Compare && dispid != DISPID_Itirmok50_ConvertDate) {
    Fail("an unknown member succeeded");
  }
  VariantClear(&result);

  // A failure leaves error information on the thread; take it off.
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) == S_OK && error != nullptr) error->Release();

  // Names: the method's and its parameters', in any case and any text.
  if (reader.Left() > 0) {
    std::vector<std::u16string> names;
    const std::u16string methods[] = {u"Convert",   u"compare", u"CONVERTDATE",  u"SetProperty",
                                      u"bstrInput", u"lOutput", u"bFromEnglish", u""};
    for (int i = 0; i < 3 && reader.Left() > 0; ++i) {
      const std::uint8_t pick = reader.Byte();
      names.push_back(pick < 200 ? methods[pick % std::size(methods)] : Units(reader.Take(pick - 200)));
    }
    std::vector<LPOLESTR> pointers;
    for (std::u16string& n : names) pointers.push_back(n.data());
    std::vector<DISPID> ids(names.size(), 12345);
    const HRESULT named =
        object->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()), 0, ids.data());
    Require(named == S_OK || named == DISP_E_UNKNOWNNAME || named == E_INVALIDARG,
            "GetIDsOfNames gave an unexpected result");
    for (DISPID id : ids) Require(id == 12345 || id == DISPID_UNKNOWN || (id >= 0 && id < 8), "a strange identifier");
  }
  // While an object lives, the library cannot be unloaded.
  Require(DllCanUnloadNow() == S_FALSE, "the library could be unloaded with a live object");
  return 0;
}
