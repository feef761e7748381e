#include "kvrdata/blocktrace.h"

#include <stdexcept>

namespace Kvrdata_ns::detail {

TraceScope::TraceScope(const char*) {}
TraceScope::~TraceScope() = default;

void Trace(unsigned, const std::string&) {}

void AssertionFailed(const char* File, const char* Function, int Line, const char* Condition)
{
    throw std::logic_error(std::string("\n\nAssertion failed:\nFile: ") + File + "\nFunction: " + Function +
                           "\nLine: " + std::to_string(Line) + "\nCondition: " + Condition + "\n\n");
}

} // namespace Kvrdata_ns::detail
