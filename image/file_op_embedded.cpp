// Kept apart from file_op.cpp so that only programs that read the embedded text link it.
#include "image/file_op.h"
#include "payloads/payloads.h"

namespace kell {

TFile_op::TFile_op() : TFile_op(payloads::MainFirmwareHex()) {}

}  // namespace kell
