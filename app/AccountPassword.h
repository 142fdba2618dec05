#pragma once

#include <QString>
#include <cstdio>

namespace orvanto {

// The longest password read from standard input or the terminal.
inline constexpr int MaxPasswordBytes = 4096;

// The password of the account `address` (xtream://USER@host:port) for a run with no window: the
// first line of `input` when that is not a terminal (so that a script pipes it in), else asked
// for on the terminal without echo. Empty when none was given. Nothing of it is printed.
QString readAccountPassword(const QString& address, FILE* input = stdin);

} // namespace orvanto
