#include "model/keyrecordview.h"

#include "kvrdata/byteorder.h"

#include <algorithm>

namespace kvr::model {

std::string KeyRecordText(std::span<const std::uint8_t, kKeyRecordSize> record)
{
    const auto first = record.begin() + kf::Text;
    const auto last = std::find(first, first + kf::TextLength, 0);
    return std::string(first, last);
}

std::string KeyRecordView::Text() const
{
    return KeyRecordText(r_);
}

void KeyRecordView::SetText(std::string_view text)
{
    const auto first = r_.begin() + kf::Text;
    std::fill_n(first, kf::TextLength, 0);
    std::copy_n(text.begin(), std::min(text.size(), kf::TextLength), first);
}

std::uint16_t KeyRecordView::SpinValue() const
{
    return readLE16(r_, kf::Param1);
}

void KeyRecordView::SetSpinValue(std::uint16_t value)
{
    writeLE16(r_, kf::Param1, value);
}

std::uint16_t KeyRecordView::Source(std::size_t at) const
{
    return readBE16(r_, at);
}

void KeyRecordView::SetSource(std::size_t at, std::uint16_t id)
{
    writeBE16(r_, at, id);
}

std::uint16_t KeyRecordView::Index(std::size_t at) const
{
    return readLE16(r_, at);
}

void KeyRecordView::SetIndex(std::size_t at, std::uint16_t value)
{
    writeLE16(r_, at, value);
}

std::uint32_t KeyRecordView::DestinationDevice() const
{
    return readBE32(r_, kf::Param1);
}

void KeyRecordView::SetDestinationDevice(std::uint32_t id)
{
    writeBE32(r_, kf::Param1, id);
}

} // namespace kvr::model
