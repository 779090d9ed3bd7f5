#pragma once

#include <array>
#include <streambuf>
#include <string>

namespace kell::trace {

// A file read through zlib's gzip reader: a gzip file is inflated, any other file is read as it
// is. A gzip file cut short yields what could be inflated of it.
class GzipFileReader : public std::streambuf {
  public:
    explicit GzipFileReader(const std::string& path);
    ~GzipFileReader() override;
    GzipFileReader(const GzipFileReader&) = delete;
    GzipFileReader& operator=(const GzipFileReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

  protected:
    int_type underflow() override;

  private:
    void* file_ = nullptr;  // gzFile
    std::array<char, 64 * 1024> buffer_{};
};

// Writes `text` to `path`, gzip-compressed; false when it could not be written whole.
bool WriteGzipFile(const std::string& path, const std::string& text);

}  // namespace kell::trace
