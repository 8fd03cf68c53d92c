// The catalog database's connection string, cached once per thread and
// shared by every class of the catalog library on that thread, and the
// connections the classes open on it.
//
// Whichever class first needs a connection on a thread fills the cache; it
// is never cleared or read again for the thread's life. A blank value (Null,
// or text that trims to nothing) is never kept, so the next call asks again;
// the cache is therefore either empty or a usable text, and the classes that
// fill it only when it is exactly empty (Faqlist) need no source of their own.
#pragma once

#include <memory>
#include <string>

#include "data/connection.h"

namespace quarvel {

// Where a class takes the connection string from while the cache is blank.
enum class ConnectionSource {
  // Solvane.Configuration's connection string of the component "Quarvel".
  kConfiguration,
  // Product's: the web application's value "QuarvelConnection_ConnectionString"
  // first (a missing or non-text value is ignored), then the configuration,
  // whose failures are then ignored when there is an object context.
  kApplicationFirst,
};

// The cached string, filled first when blank. Failures of the configuration
// step reach the caller's handler as they came (Gen_GetComponent has logged
// and raised its own).
std::string getConnectionString(ConnectionSource source = ConnectionSource::kConfiguration);

// A new connection opened on the cached string (empty user and password,
// options unspecified); with `readCommitted`, then
// "set TRANSACTION ISOLATION LEVEL READ COMMITTED" on it. The caller owns and
// closes it; failures reach the caller's handler.
std::shared_ptr<data::Connection> getConnection(bool readCommitted = false,
                                                ConnectionSource source = ConnectionSource::kConfiguration);

// getConnection with READ COMMITTED: for the existence checks that guard a
// write and the reads that must not see uncommitted rows.
std::shared_ptr<data::Connection> getReadCommittedConnection(
    ConnectionSource source = ConnectionSource::kConfiguration);

}  // namespace quarvel
