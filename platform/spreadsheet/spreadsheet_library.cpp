// The spreadsheet component library: "Excel.Application" and the library exports.
#include <memory>

#include "platform/spreadsheet/application.h"
#include "runtime/registry.h"

namespace spreadsheet {
namespace {

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      rt::ClassInfo{"Excel.Application", "{3B8F0E52-71A4-4C2D-8E19-5D0A6F4C9301}",
                    rt::TransactionAttribute::None,
                    [] { return rt::ObjectPtr(std::make_shared<Application>()); }},
  });
  return table;
}

}  // namespace
}  // namespace spreadsheet

RT_COMPONENT_EXPORTS(spreadsheet::Classes())
