#pragma once

#include <string>
#include <string_view>

namespace kell {

// Text files written on Windows come in UTF-8 or in the Western code page (Windows-1252). The
// window shows UTF-8: a text that is valid UTF-8 is taken as it is, anything else is read as
// Windows-1252 and converted, so that accented letters show right either way.
std::string ToUtf8(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);
// Bytes that Windows-1252 leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace kell
