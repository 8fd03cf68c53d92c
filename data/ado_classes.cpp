// Creation of the ADO stand-ins by ProgID inside this process.
#include "data/ado_classes.h"

#include <mutex>

#include "data/command.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/registry.h"

namespace data {

void RegisterAdoClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    rt::RegisterClass({"ADODB.Connection", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Connection>()); }});
    rt::RegisterClass({"ADODB.Recordset", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Recordset>()); }});
    rt::RegisterClass({"ADODB.Command", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Command>()); }});
  });
}

}  // namespace data
