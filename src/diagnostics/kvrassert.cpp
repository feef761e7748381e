#include "diagnostics/kvrassert.h"

#include <csignal>
#include <cstdio>
#include <mutex>

#include "diagnostics/platform.h"

namespace {

std::mutex HookLock;

kvr::diag::PlainMessageHook& PlainHook()
{
    static kvr::diag::PlainMessageHook hook;
    return hook;
}

kvr::diag::DebuggerProbe& Probe()
{
    static kvr::diag::DebuggerProbe probe;
    return probe;
}

} // namespace

namespace kvr::diag {

PlainMessageHook SetPlainMessageHook(PlainMessageHook Hook)
{
    std::lock_guard lock(HookLock);
    std::swap(PlainHook(), Hook);
    return Hook;
}

DebuggerProbe SetDebuggerProbe(DebuggerProbe NewProbe)
{
    std::lock_guard lock(HookLock);
    std::swap(Probe(), NewProbe);
    return NewProbe;
}

} // namespace kvr::diag

std::string AssertionReport(const char* File, const char* Function, int Line, const char* Condition)
{
    using kvr::diag::Format;
    return std::string("\n\nAssertion failed:\n") + Format("File: %s\n", File ? File : "") +
           Format("Function: %s\n", Function ? Function : "") + Format("Line: %d\n", Line) +
           Format("Condition: %s\n\n", Condition ? Condition : "");
}

void AssertionFailed(const char* File, const char* Function, int Line, const char* Condition)
{
    const std::string report = AssertionReport(File, Function, Line, Condition);
    kvr::diag::WriteDebugOutput(report);
    kvr::diag::PlainMessageHook hook;
    kvr::diag::DebuggerProbe probe;
    {
        std::lock_guard lock(HookLock);
        hook = PlainHook();
        probe = Probe();
    }
    if (hook)
        hook(report);
    else
        std::fprintf(stderr, "%s", report.c_str());
    const bool debugger = probe ? probe() : kvr::diag::DebuggerPresent();
    if (!debugger)
        throw EAssertionFailed(report);
    std::raise(SIGTRAP);
}
