#include "module/item_rotation_order.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace KeyFrame {
namespace {

// Whether the headers the module is built against declare the 2020 member
// `rotationOrder` (the stand-in headers and the host's 2020 headers do).
template <typename Table, typename = void>
struct DeclaresRotationOrder : std::false_type {};
template <typename Table>
struct DeclaresRotationOrder<Table, std::void_t<decltype(&Table::rotationOrder)>> : std::true_type {};

// Headers before 2020 end the table at sameItemFlags (34 members). Hosts
// since 2020 append six members (selected, follow, controllerTrans,
// splineItem, splineFit, splineT) and then rotationOrder, which this
// declares after the older table: the only member the module names by a
// declaration of its own, needed where the headers lack it.
template <typename OlderTable>
struct TableSince2020 {
  OlderTable older;
  void (*appended_before_rotation_order[6])();
  int (*rotationOrder)(LWItemID item);
};

template <typename Table>
std::int64_t rotation_order_value(const void *table, LWItemID item) {
  if constexpr (DeclaresRotationOrder<Table>::value) {
    return static_cast<std::int64_t>(static_cast<const Table *>(table)->rotationOrder(item));
  } else {
    using Since2020 = TableSince2020<Table>;
    static_assert(offsetof(Since2020, rotationOrder) == 40 * sizeof(void (*)()),
                  "the item information table of these headers is not the 34-member table of 9.6");
    return static_cast<const Since2020 *>(table)->rotationOrder(item);
  }
}

}  // namespace

std::optional<RotationOrder> item_rotation_order(const void *item_info_since_2020, LWItemID item) {
  if (item_info_since_2020 == nullptr) return RotationOrder::kHPB;
  return rotation_order_from_value(rotation_order_value<LWItemInfo>(item_info_since_2020, item));
}

}  // namespace KeyFrame
