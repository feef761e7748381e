#pragma once
// The block library's link to tracing and assertions. Kept in one place so the library's
// sources name one seam instead of the diagnostics headers directly.

#include <string>

namespace Kvrdata_ns::detail {

// A trace scope named after the operation (a string literal that outlives the scope).
class TraceScope {
public:
    explicit TraceScope(const char* FunctionName);
    ~TraceScope();
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

// One numbered trace line at the given level.
void Trace(unsigned Level, const std::string& Text);

// Reports a failed check and ends the operation with an exception.
[[noreturn]] void AssertionFailed(const char* File, const char* Function, int Line, const char* Condition);

} // namespace Kvrdata_ns::detail

#define KVRDATA_ASSERT(cond, function)                                                                 \
    do {                                                                                               \
        if (!(cond))                                                                                   \
            ::Kvrdata_ns::detail::AssertionFailed(__FILE__, function, __LINE__, #cond);                \
    } while (0)
