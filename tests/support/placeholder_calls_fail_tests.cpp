// Linked into every test program: a call of a placeholder member of the
// stand-in host's tables fails the test that made it, naming the member.
#include <gtest/gtest.h>

#include "host/placeholder_members.h"

namespace {

void fail_running_test(const char *member) {
  ADD_FAILURE() << "the module called " << member << ", a member of the host's table it must never call";
}

const bool installed = (host::set_placeholder_call_handler(fail_running_test), true);

}  // namespace
