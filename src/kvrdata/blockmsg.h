#pragma once
// One message of a filter's visit: status code, its text and the context path where it arose.

#include <string>

#include "kvrdata/blockobject.h"
#include "kvrdata/blockvalue.h"

namespace Kvrdata_ns {

class TBlockMsg : public TBlockObject {
public:
    explicit TBlockMsg(TBlockObject* Parent = nullptr);

    void Describe(TBlockFilter* Filter) override;

    short IOState = 0;
    TBVarString<100> Text;
    TBVarString<1000> Context;
};

// "<context> <code> (<text>)", as traced after a failed read.
std::string MessageText(const TBlockMsg* M);

} // namespace Kvrdata_ns
