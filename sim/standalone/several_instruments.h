#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kell::sim {

// Several simulated instruments at once, a process each (as instruments on a service bench are
// independent of each other): `serve` runs one in a child process, whose standard output's
// first line is its port. The ports are printed on standard output in the order of the
// scenarios, one a line, once every instrument has one. Runs until `stopped` says so (a signal)
// or every instrument ended, then stops the others with SIGTERM and waits for them. 0 when
// every instrument started and ended well.
int RunSeveral(const std::vector<std::string>& scenarios,
               const std::function<int(const std::string& scenario)>& serve,
               const std::function<bool()>& stopped);

}  // namespace kell::sim
