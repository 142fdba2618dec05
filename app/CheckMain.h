#pragma once

namespace orvanto {

struct CheckOptions;

// Runs a check of a list's addresses with no display and returns the exit status.
int runCheck(int argc, char** argv, const CheckOptions& options);

} // namespace orvanto
