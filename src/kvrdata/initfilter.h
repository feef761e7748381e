#pragma once
// The filter behind Init and ClearMembers: walks a Describe and sets every value member to its
// initial value (imInit) or clears every present sub-object (imClear).

#include "kvrdata/blockfilter.h"

namespace Kvrdata_ns {

class TInitFilter : public TBlockFilter {
public:
    enum : unsigned char { imInit = 0, imClear = 1 };

    explicit TInitFilter(unsigned char Mode);

    short Read(const char* Name, TBlockObject* Root) override;
    short Write(const char* Name, TBlockObject* Root) override;

    using TBlockFilter::Transfer;
    using TBlockFilter::TransferObject;
    short Transfer(const char* Name, TBlockValue* Value) override;
    short Transfer(const char* Name, unsigned char* Value) override;
    short Transfer(const char* Name, unsigned short* Value) override;
    short Transfer(const char* Name, unsigned int* Value) override;
    short Transfer(const char* Name, char* Value) override;
    short Transfer(const char* Name, short* Value) override;
    short Transfer(const char* Name, int* Value) override;
    short Transfer(const char* Name, std::int64_t* Value) override;
    short Transfer(const char* Name, double* Value) override;
    short Transfer(const char* Name, bool* Value) override;
    short Transfer(const char* Name, TStream* Member) override;
    short TransferObject(const char* Name, TBlockObject*& Obj, unsigned char OptionalID) override;
    short TransferObject(const char* Name, TBlockObject* Obj) override;
    void BeginSubBlock(TBlockFilter*& Child, const char* Name, unsigned char& ID, unsigned char& BlockOption,
                       bool Optional, int FixedSize, bool BigSize) override;
    void EndSubBlock(TBlockFilter*& Child) override;

    unsigned char GetInitMode() const { return InitMode; }

private:
    template <typename T>
    short Zero(T* Value)
    {
        if (InitMode == imInit)
            *Value = T{};
        return Status;
    }

    unsigned char InitMode;
};

} // namespace Kvrdata_ns
