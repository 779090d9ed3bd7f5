#include "config/record_writer.h"

#include "config/param_format_version.h"
#include "image/util.h"

namespace kell {

void RecordWriter::Byte(std::uint8_t value) {
    area_[index_] = value;
    ++index_;
}

void RecordWriter::Bytes(std::initializer_list<std::uint8_t> values) {
    for (std::uint8_t value : values)
        Byte(value);
}

void RecordWriter::Bytes(std::span<const std::uint8_t> values) {
    for (std::uint8_t value : values)
        Byte(value);
}

void RecordWriter::Zeros(int count) {
    for (int i = 0; i < count; ++i)
        Byte(0);
}

void RecordWriter::Skip(int count) {
    index_ = static_cast<std::uint8_t>(index_ + count);
}

void RecordWriter::Word(std::uint16_t value) {
    Byte(static_cast<std::uint8_t>(value));
    Byte(static_cast<std::uint8_t>(value >> 8));
}

void RecordWriter::Long(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value));
    Word(static_cast<std::uint16_t>(value >> 16));
}

void RecordWriter::BeginConfigRecord() {
    Bytes({0xA0, 0x00, 0x00, ParamFormatVersionNumber()});
}

void RecordWriter::EndConfigRecord() {
    End(0xFA, true);
}

void RecordWriter::BeginProfile() {
    Bytes({0xBA, 0x00, 0x00, 0x0D});
}

void RecordWriter::EndProfile() {
    End(0xCA, false);
}

void RecordWriter::End(std::uint8_t terminator, bool lengthHighByte) {
    Byte(terminator);
    const unsigned length = index_ + 1u;  // the check byte still to come included
    area_[1] = static_cast<std::uint8_t>(length);
    if (lengthHighByte)
        area_[2] = static_cast<std::uint8_t>(length >> 8);
    Byte(TUtil::Xor(area_.data(), index_));
}

}  // namespace kell
