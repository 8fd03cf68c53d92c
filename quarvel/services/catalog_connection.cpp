// The per-thread catalog connection string and the catalog connections.
#include "quarvel/services/catalog_connection.h"

#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

namespace {

// One per thread: the component server runs each apartment's objects on
// one thread, so the cache needs no lock and no thread sees another's.
thread_local std::string tConnectionString;

bool IsBlank(const rt::Variant& value) { return value.IsNull() || rt::Trim(rt::Concat(value)).empty(); }

// Keeps a value only when it is not blank.
void Keep(const rt::Variant& value) {
  if (!IsBlank(value)) tConnectionString = rt::Concat(value);
}

void FillFromConfiguration() {
  rt::ObjectPtr configuration = Gen_GetComponent("Solvane.Configuration");
  rt::Args prepare{rt::Variant(int16_t{0})};
  configuration->Invoke("PrepareConnection", rt::CallKind::Method, prepare);
  Keep(configuration->Call("GetComponentConnectionString", {rt::Variant("Quarvel")}));
}

// The web application's value, when there is an application and its value
// is text; every failure of this step is ignored.
void FillFromApplication(rt::ObjectContext& context) {
  try {
    rt::ObjectPtr application = context.Item("Application");
    if (!application) return;
    rt::Variant value = application->GetProperty("Value", {rt::Variant("QuarvelConnection_ConnectionString")});
    if (value.IsString()) Keep(value);
  } catch (...) {
    rt::TrapError();
    rt::Err().Clear();
  }
}

}  // namespace

std::string getConnectionString(ConnectionSource source) {
  if (!tConnectionString.empty()) return tConnectionString;
  rt::ObjectContext* context =
      source == ConnectionSource::kApplicationFirst ? rt::GetObjectContext() : nullptr;
  if (context) {
    FillFromApplication(*context);
    if (!tConnectionString.empty()) return tConnectionString;
    // Under a context a failing configuration leaves the string empty, and
    // the opening of the connection fails in the calling method instead.
    try {
      FillFromConfiguration();
    } catch (...) {
      rt::TrapError();
      rt::Err().Clear();
    }
    return tConnectionString;
  }
  FillFromConfiguration();
  return tConnectionString;
}

std::shared_ptr<data::Connection> getConnection(bool readCommitted, ConnectionSource source) {
  auto connection = data::Connection::New();
  connection->Open(getConnectionString(source));
  if (readCommitted) connection->Execute(kSqlReadCommitted);
  return connection;
}

std::shared_ptr<data::Connection> getReadCommittedConnection(ConnectionSource source) {
  return getConnection(true, source);
}

}  // namespace quarvel
