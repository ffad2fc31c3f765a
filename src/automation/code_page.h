// The 8-bit code page of the automation layer's strings: Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace tirmok::automation {

// UTF-16 to Windows-1252. A character outside the code page becomes '?', one
// for each character (a surrogate pair is one character). The five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1
// controls of the same value, so every byte survives a round trip.
std::string ToWindows1252(std::u16string_view text);

// Windows-1252 to UTF-16; every byte has a character.
std::u16string FromWindows1252(std::string_view text);

}  // namespace tirmok::automation
