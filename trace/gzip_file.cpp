#include "trace/gzip_file.h"

#include <zlib.h>

#include <algorithm>

namespace kell::trace {

GzipFileReader::GzipFileReader(const std::string& path) : file_(gzopen(path.c_str(), "rb")) {}

GzipFileReader::~GzipFileReader() {
    if (file_)
        gzclose(static_cast<gzFile>(file_));
}

GzipFileReader::int_type GzipFileReader::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (!file_)
        return traits_type::eof();
    // A damaged or truncated stream ends the text where inflating stopped.
    const int got =
        gzread(static_cast<gzFile>(file_), buffer_.data(), static_cast<unsigned>(buffer_.size()));
    if (got <= 0)
        return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
}

bool WriteGzipFile(const std::string& path, const std::string& text) {
    gzFile file = gzopen(path.c_str(), "wb9");
    if (!file)
        return false;
    // gzwrite takes at most an unsigned int at a time.
    constexpr std::size_t kPiece = 1u << 30;
    bool whole = true;
    for (std::size_t at = 0; at < text.size() && whole; at += kPiece) {
        const auto n = static_cast<unsigned>(std::min(kPiece, text.size() - at));
        whole = gzwrite(file, text.data() + at, n) == static_cast<int>(n);
    }
    return gzclose(file) == Z_OK && whole;
}

}  // namespace kell::trace
