#pragma once

#include <map>
#include <string>
#include <string_view>

namespace kell {

// An INI file read by the rules of Windows private-profile files: [sections] and key=value
// lines; section and key names match without regard to case; the first occurrence of a key
// (and of a section) counts; white space around names and values is dropped, and a value in
// matching quotes loses them (so a text can keep a leading or trailing space); a missing file,
// section or key gives the caller's default. The file may be UTF-8 or Windows-1252; the values
// come out as UTF-8.
class PrivateProfile {
  public:
    // A file that does not exist or cannot be read gives an empty profile.
    static PrivateProfile Load(const std::string& path);
    static PrivateProfile Parse(std::string_view bytes);

    std::string Get(std::string_view section, std::string_view key,
                    std::string_view fallback) const;
    bool HasSection(std::string_view section) const;

    // Files larger than this are read only this far.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

  private:
    static int OnEntry(void* user, const char* section, const char* key, const char* value);

    std::map<std::string, std::map<std::string, std::string>> sections_;  // names lower-cased
    std::string currentSection_;
    bool skippingSection_ = false;
};

}  // namespace kell
