#include "tests/support/thread_state.h"

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/wait_until.h"

namespace test_support {
namespace {

// The state letter of /proc/self/task/<tid>/stat: the field after the parenthesised name.
char ThreadState(pid_t tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::stringstream text;
    text << in.rdbuf();
    const std::string stat = text.str();
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size()) return '?';
    return stat[nameEnd + 2];
}

}  // namespace

bool WaitUntilThreadSleeps(pid_t tid, int timeoutMs) {
    return WaitUntil([tid] { return ThreadState(tid) == 'S'; }, timeoutMs);
}

}  // namespace test_support
