// Test output reaches the log line by line, so a run that dies mid-way still
// shows how far it got.
#include <cstdio>

namespace {
const int kUnbuffered = [] {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  return 0;
}();
}  // namespace
