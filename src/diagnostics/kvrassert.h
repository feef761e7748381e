#pragma once
// Assertion checks: a failed condition is reported to the debugger output and the user, then
// raises EAssertionFailed (or breaks into an attached debugger).
//
//   KVR_ASSERT(Len < 40);                                  // operation name from __func__
//   KVR_ASSERT_IN("TBString<N>::SetLength", Len < 40);     // operation name given

#include <functional>
#include <stdexcept>
#include <string>

// The general error that carries an assertion report; callers treat it as any error.
class EAssertionFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Builds the report text of a failed assertion.
std::string AssertionReport(const char* File, const char* Function, int Line, const char* Condition);

// Reports the failure and raises EAssertionFailed; with a debugger attached it breaks instead
// and returns when the debugger lets the program go on.
void AssertionFailed(const char* File, const char* Function, int Line, const char* Condition);

namespace kvr::diag {
// Shows a plain text modally (a simple message box with OK). The default writes to stderr; the
// program installs its message box, tests a recorder. Returns the previous hook.
using PlainMessageHook = std::function<void(const std::string& Text)>;
PlainMessageHook SetPlainMessageHook(PlainMessageHook Hook);
// Whether a failure breaks into the debugger; the default asks the system.
using DebuggerProbe = std::function<bool()>;
DebuggerProbe SetDebuggerProbe(DebuggerProbe Probe);
} // namespace kvr::diag

#define KVR_ASSERT_IN(FunctionName, Condition) \
    ((Condition) ? static_cast<void>(0) : AssertionFailed(__FILE__, FunctionName, __LINE__, #Condition))
#define KVR_ASSERT(Condition) KVR_ASSERT_IN(__func__, Condition)
