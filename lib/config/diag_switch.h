// The diagnostics switch: whether the trace section is written.
#pragma once
#include <string>
#include <string_view>

namespace diag {

// What the switch becomes after reading the "cow" value: an empty value,
// "@" or "oom" (any case) stay as read; every other value becomes "moo".
std::string SwitchFromCow(std::string_view cowValue);

// The trace is written while the switch contains "moo" or "MOO".
bool IsOn(std::string_view switchText);

// The "Copy diagnostics" command is offered when the raw value contains
// "moo" exactly (case matters here).
bool OffersCopyCommand(std::string_view cowValue);

}  // namespace diag
