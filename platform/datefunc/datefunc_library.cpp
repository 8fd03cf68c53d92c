// The DataFunctions component library: its one class and the four library
// exports. Callers create the class by its identifier; the ProgID only names
// it in the registration file.
#include <memory>

#include "platform/datefunc/data_functions.h"
#include "runtime/registry.h"

namespace datefunc {
namespace {

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      rt::ClassInfo{"DataFunctions.DataFunctions", "{66EF21CA-6A88-4D16-B416-C5CEFF675F7F}",
                    rt::TransactionAttribute::None,
                    [] { return rt::ObjectPtr(std::make_shared<DataFunctions>()); }},
  });
  return table;
}

}  // namespace
}  // namespace datefunc

RT_COMPONENT_EXPORTS(datefunc::Classes())
