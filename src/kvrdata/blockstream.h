#pragma once
// A block object whose content is a memory stream of any length (up to 16,777,215 bytes):
// raw data carried inside the block format.

#include <memory>

#include "kvrdata/blockobject.h"
#include "kvrdata/stream.h"

namespace Kvrdata_ns {

class TBlockStream : public TBlockObject {
public:
    explicit TBlockStream(TBlockObject* Parent = nullptr);
    // A copy holds its own stream with the same bytes.
    TBlockStream(const TBlockStream& Other);
    TBlockStream& operator=(const TBlockStream& Other);
    ~TBlockStream() override;

    TMemoryStream* GetStream() { return Stream.get(); }
    std::string GetClassName() const override;
    void Describe(TBlockFilter* Filter) override;

private:
    std::unique_ptr<TMemoryStream> Stream; // never replaced, only emptied and refilled
};

} // namespace Kvrdata_ns
