#include "host/placeholder_members.h"

#include <atomic>
#include <cstdio>

#include "host/host.h"
#include "host/host_call_scope.h"

namespace host {
namespace {

std::atomic<PlaceholderCallHandler> placeholder_handler{nullptr};

}  // namespace

void report_placeholder_call(const char *member) noexcept {
  HostCallScope host_code;
  Host *host = Host::current();
  // Shown as the host shows errors; a caller that reports failed runs
  // itself names the member there.
  if (host == nullptr || (host->print_messages() && host->print_errors())) {
    std::fprintf(stderr,
                 "host: the module called %s, a member of the host's table it must never call "
                 "(was it built with another layout of the host's tables?)\n",
                 member);
  }
  if (host != nullptr) host->note_placeholder_call(member);
  if (PlaceholderCallHandler handler = placeholder_handler.load(std::memory_order_acquire)) handler(member);
}

void set_placeholder_call_handler(PlaceholderCallHandler handler) noexcept {
  placeholder_handler.store(handler, std::memory_order_release);
}

}  // namespace host
