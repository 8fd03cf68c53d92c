// The Tamrick component library: its classes and the four library exports.
#include <cstdint>
#include <memory>

#include "runtime/registry.h"
#include "suite/tamrick/drecordset.h"
#include "suite/tamrick/page.h"
#include "suite/tamrick/utilities.h"

namespace tamrick {
namespace {

template <class T>
rt::ClassInfo Class(const char* progId, const char* clsid) {
  return rt::ClassInfo{progId, clsid, rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<T>()); }};
}

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      Class<Page>("Tamrick.Page", "{9E4B7C12-3A5D-4E61-8F20-7D1C5B3A9201}"),
      Class<DRecordset>("Tamrick.DRecordset", "{9E4B7C12-3A5D-4E61-8F20-7D1C5B3A9202}"),
      Class<Utilities>("Tamrick.Utilities", "{9E4B7C12-3A5D-4E61-8F20-7D1C5B3A9203}"),
  });
  return table;
}

}  // namespace
}  // namespace tamrick

RT_COMPONENT_EXPORTS(tamrick::Classes())
