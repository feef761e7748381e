#include "kvrdata/initfilter.h"

namespace Kvrdata_ns {

TInitFilter::TInitFilter(unsigned char Mode) : TBlockFilter(nullptr, boInit), InitMode(Mode) {}

short TInitFilter::Read(const char*, TBlockObject* Root)
{
    Writing = false;
    if (Root)
        Root->Describe(this);
    return Status;
}

short TInitFilter::Write(const char*, TBlockObject*)
{
    return Status;
}

short TInitFilter::Transfer(const char*, TBlockValue* Value)
{
    if (InitMode == imInit)
        Value->Clear();
    return Status;
}

short TInitFilter::Transfer(const char*, unsigned char* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, unsigned short* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, unsigned int* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, char* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, short* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, int* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, std::int64_t* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, double* Value) { return Zero(Value); }
short TInitFilter::Transfer(const char*, bool* Value) { return Zero(Value); }

short TInitFilter::Transfer(const char*, TStream*)
{
    return Status;
}

short TInitFilter::TransferObject(const char*, TBlockObject*& Obj, unsigned char OptionalID)
{
    // An optional pointer is only forgotten here: its owner created nothing yet.
    if (InitMode == imInit) {
        if (OptionalID != 0)
            Obj = nullptr;
    } else if (Obj) {
        Obj->Clear();
    }
    return Status;
}

short TInitFilter::TransferObject(const char*, TBlockObject* Obj)
{
    if (InitMode == imClear && Obj)
        Obj->Clear();
    return Status;
}

void TInitFilter::BeginSubBlock(TBlockFilter*& Child, const char*, unsigned char& ID, unsigned char& BlockOption,
                                bool, int, bool)
{
    Child = this;
    if (InitMode == imInit) {
        ID = 0;
        BlockOption = 0;
    }
}

void TInitFilter::EndSubBlock(TBlockFilter*& Child)
{
    Child = this;
}

} // namespace Kvrdata_ns
