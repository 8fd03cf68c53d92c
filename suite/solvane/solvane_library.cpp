// The Solvane component library: its classes and the four library exports.
#include <cstdint>
#include <memory>

#include "runtime/registry.h"
#include "suite/solvane/configuration.h"
#include "suite/solvane/log.h"
#include "suite/solvane/referential_checker.h"
#include "suite/solvane/result_object.h"

namespace solvane {
namespace {

template <class T>
rt::ClassInfo Class(const char* progId, const char* clsid,
                    rt::TransactionAttribute attribute = rt::TransactionAttribute::None) {
  return rt::ClassInfo{progId, clsid, attribute,
                       [] { return rt::ObjectPtr(std::make_shared<T>()); }};
}

const rt::ClassTable& Classes() {
  // The checker requires a transaction so that the components it asks join
  // its caller's: a cleanup in BeforeDelete is undone with an aborted delete.
  static const rt::ClassTable table({
      Class<Configuration>("Solvane.Configuration", "{6C1D2A40-5E7B-4F0C-9A51-0B3E8D2C7101}"),
      Class<Log>("Solvane.Log", "{6C1D2A40-5E7B-4F0C-9A51-0B3E8D2C7102}"),
      Class<ResultObject>("Solvane.ResultObject", "{6C1D2A40-5E7B-4F0C-9A51-0B3E8D2C7103}"),
      Class<ReferentialChecker>("Solvane.ReferentialChecker",
                                "{6C1D2A40-5E7B-4F0C-9A51-0B3E8D2C7104}",
                                rt::TransactionAttribute::Required),
  });
  return table;
}

}  // namespace
}  // namespace solvane

RT_COMPONENT_EXPORTS(solvane::Classes())
