#include "link/shared_frames.h"

#include "link/byte_wait.h"

namespace kell {

void SendLoaderClosing(LinkContext& link) {
    SendBytes(link, kLoaderClosing);
    link.serial.Drain();
}

}  // namespace kell
