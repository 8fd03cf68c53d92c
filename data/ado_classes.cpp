// Creation of the ADO stand-ins by ProgID inside this process.
#include "data/ado_classes.h"

#include "data/command.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/registry.h"

namespace data {

void RegisterAdoClasses() {
  // A function-local static: after the first call only its guard is read
  // (every Connection, Command and Recordset made passes here).
  static const bool registered = [] {
    rt::RegisterClass({"ADODB.Connection", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Connection>()); }});
    rt::RegisterClass({"ADODB.Recordset", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Recordset>()); }});
    rt::RegisterClass({"ADODB.Command", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<Command>()); }});
    return true;
  }();
  (void)registered;
}

}  // namespace data
