#include "kvrdata/blockstream.h"

#include "kvrdata/blockfilter.h"

namespace Kvrdata_ns {

TBlockStream::TBlockStream(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false), Stream(std::make_unique<TMemoryStream>())
{
    SetBigSize(true);
}

TBlockStream::TBlockStream(const TBlockStream& Other)
    : TBlockObject(Other), Stream(std::make_unique<TMemoryStream>(Other.Stream->Bytes()))
{
}

TBlockStream& TBlockStream::operator=(const TBlockStream& Other)
{
    if (this != &Other) {
        TBlockObject::operator=(Other);
        const std::vector<std::uint8_t> bytes = Other.Stream->Bytes();
        Stream->Clear();
        Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    }
    return *this;
}

TBlockStream::~TBlockStream() = default;

std::string TBlockStream::GetClassName() const
{
    return "TBlockStream";
}

void TBlockStream::Describe(TBlockFilter* Filter)
{
    if (Filter->IsWriting())
        Stream->SetPosition(0);
    else
        Stream->SetSize(0);
    Filter->Transfer("*Stream", Stream.get());
}

} // namespace Kvrdata_ns
