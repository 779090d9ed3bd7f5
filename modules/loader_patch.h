#pragma once

namespace kell {

// Writes the loader's three configuration bytes (offsets 249 to 251 of the 968-byte loader
// block: 0x03, 0x20, 0x41) into the one shared copy of the blocks, so that every later
// sending of the block carries them. True when the bytes are in place; false only when the
// program carries no loader blocks.
bool PatchLoaderBlock();

}  // namespace kell
