#include "kvrdata/blockmsg.h"

#include "kvrdata/blockfilter.h"

namespace Kvrdata_ns {

TBlockMsg::TBlockMsg(TBlockObject* Parent) : TBlockObject(Parent, 0, false, false)
{
    Init();
}

void TBlockMsg::Describe(TBlockFilter* Filter)
{
    int state = IOState;
    Filter->Transfer("IOState", &state);
    IOState = static_cast<short>(state);
    Filter->Transfer("Text", &Text);
    Filter->Transfer("Context", &Context);
}

std::string MessageText(const TBlockMsg* M)
{
    return std::string(M->Context.c_str()) + " " + std::to_string(M->IOState) + " (" + M->Text.c_str() + ")";
}

} // namespace Kvrdata_ns
