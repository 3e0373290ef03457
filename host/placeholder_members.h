#pragma once

#include <type_traits>

// Members of the host's tables that the module must never call: the tables
// are filled by position in the real host, so a module built with a wrong
// layout would reach one of these where it means another member. In the
// stand-in host each of them points to a placeholder that reports the call,
// naming the member, instead of doing anything: such a module fails loudly
// and never passes by luck.
namespace host {

// Called by every placeholder with the member's name, e.g.
// "LWEnvelopeFuncs.destroy". Records the call in Host::current(), prints it
// on stderr (where that host prints errors) and hands it to the handler
// installed below. Safe on any thread;
// never throws.
void report_placeholder_call(const char *member) noexcept;

// What else happens on a placeholder call; test programs install one that
// fails the running test. Null: nothing else.
using PlaceholderCallHandler = void (*)(const char *member);
void set_placeholder_call_handler(PlaceholderCallHandler handler) noexcept;

namespace detail {

template <const char *Member, typename Function>
struct Placeholder;

// Answers null, zero or nothing, whatever the member returns.
template <const char *Member, typename Result, typename... Args>
struct Placeholder<Member, Result (*)(Args...)> {
  static Result call(Args...) {
    report_placeholder_call(Member);
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
};

}  // namespace detail
}  // namespace host

// Points `table.member` (a member of the host struct `Type`) at a placeholder
// that reports "Type.member".
#define HOST_PLACEHOLDER(Type, table, member)                                                      \
  do {                                                                                             \
    static constexpr char placeholder_name[] = #Type "." #member;                                  \
    (table).member = &::host::detail::Placeholder<placeholder_name, decltype(Type::member)>::call; \
  } while (0)
