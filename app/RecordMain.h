#pragma once

namespace orvanto {

struct RecordOptions;

// Runs a recording with no display and returns the exit status.
int runRecord(int argc, char** argv, const RecordOptions& options);

} // namespace orvanto
