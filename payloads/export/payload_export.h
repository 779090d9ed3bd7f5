#pragma once

#include <string>

namespace kell::payloads {

// Writes every embedded payload into `folder` (made when missing) under its file name, byte for
// byte, and beside them a SHA256SUMS manifest that `sha256sum -c` accepts. Returns false and
// says why in *error when a file cannot be written.
bool ExportPayloads(const std::string& folder, std::string* error);

}  // namespace kell::payloads
