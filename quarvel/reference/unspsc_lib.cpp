// UNSPSCLib: the switch, the two relinking procedures and their lookups.
#include "quarvel/reference/unspsc_lib.h"

#include <limits>
#include <utility>
#include <vector>

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/reference/unspsc_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/registry.h"

namespace quarvel::UNSPSCLib {

namespace {

using Set = std::shared_ptr<rt::Dictionary>;

std::string Source(const char* procedure) { return std::string("Quarvel.UNSPSCLib.") + procedure; }

// The failure block of every procedure: close the connection it holds,
// vote abort, log and raise again. Call only inside a catch block.
// The caller's connection that OnCallersConnection lends the procedures on
// this thread, or null.
thread_local std::shared_ptr<data::Connection> tCallersConnection;

std::shared_ptr<data::Connection> OpenConnection() {
  return tCallersConnection ? tCallersConnection : getConnection();
}

// Closes a connection the procedure opened; a lent one is only let go.
void CloseConnection(std::shared_ptr<data::Connection>& connection) {
  if (connection && connection == tCallersConnection) {
    connection.reset();
    return;
  }
  Sql_CloseConnection(connection);
}

void Fail(const char* procedure, std::shared_ptr<data::Connection>& connection) {
  HandleMethodError(Source(procedure), [&] {
    CloseConnection(connection);
    Mts_SetAbort();
  });
}

// The rows of a query on a connection of its own (left in `connection` until
// the rows are read, so that a failure can close it), closed afterwards.
// Calls row(recordset) for each row.
template <class F>
void ReadRows(std::string sql, std::shared_ptr<data::Connection>& connection, F&& row) {
  connection = OpenConnection();
  auto recordset = Sql_GetReadonlyRecordset(sql, connection);
  for (; !recordset->Eof(); recordset->MoveNext()) row(*recordset);
  Sql_CloseRecordset(recordset);
  CloseConnection(connection);
}

// The first column's values as a set.
Set IdSet(const std::string& sql, std::shared_ptr<data::Connection>& connection) {
  Set ids = rt::NewDictionary();
  ReadRows(sql, connection, [&](data::Recordset& rs) { ids->Add(rs.Value(0), rt::Variant()); });
  return ids;
}

// One statement on a connection of its own.
void Execute(const std::string& sql, std::shared_ptr<data::Connection>& connection) {
  connection = OpenConnection();
  connection->Execute(sql);
  CloseConnection(connection);
}

std::string JoinedKeys(const rt::Dictionary& set) {
  std::string list;
  for (const rt::Dictionary::Entry& e : set.Entries()) list += (list.empty() ? "" : ",") + rt::CStr(e.key);
  return list;
}

// `value` + 1 as a 32-bit integer; Null and Empty count as 0. At the
// largest 32-bit value this overflows (6).
int32_t NextNumber(const rt::Variant& value) {
  const int64_t current = value.IsNull() || value.IsEmpty() ? 0 : rt::CLng(value);
  if (current >= std::numeric_limits<int32_t>::max()) rt::RaiseVb(rt::vberr::kOverflow);
  return static_cast<int32_t>(current + 1);
}

// `from` without the keys of `without`.
void RemoveKeys(rt::Dictionary& from, const rt::Dictionary& without) {
  for (const rt::Dictionary::Entry& e : without.Entries())
    if (from.Exists(e.key)) from.Remove(e.key);
}

Set Copy(const rt::Dictionary& set) {
  Set copy = rt::NewDictionary();
  for (const rt::Dictionary::Entry& e : set.Entries()) copy->Add(e.key, e.item);
  return copy;
}

// The value of COMMONPARAMETERS/UNSPSCIMPLEMENTED as text ("" for Null).
std::string SwitchValue(const rt::ObjectPtr& configuration) {
  rt::Args server{rt::Variant(int16_t{0})};
  configuration->Invoke("SelectDefaultServer", rt::CallKind::Method, server);
  return rt::Concat(configuration->Call("GetValue", {rt::Variant("COMMONPARAMETERS"), rt::Variant("UNSPSCIMPLEMENTED")}));
}

}  // namespace

// --- the switch ------------------------------------------------------------------

bool UNSPSCImplemented() { return SwitchValue(Gen_GetComponent("Solvane.Configuration")) == "Yes"; }

bool UNSPSCImplementedForImport() {
  return rt::UCase(SwitchValue(rt::CreateObject("Solvane.Configuration"))) == "YES";
}

OnCallersConnection::OnCallersConnection(std::shared_ptr<data::Connection> connection)
    : previous_(std::exchange(tCallersConnection, std::move(connection))) {}

OnCallersConnection::~OnCallersConnection() { tCallersConnection = std::move(previous_); }

// --- relinking ---------------------------------------------------------------------

void UpdateProductLinksForUNSPSCCode(int32_t productId, const std::string& previousCode,
                                     const std::string& newCode, bool newRow) {
  std::shared_ptr<data::Connection> connection;
  try {
    if (previousCode == newCode) return;
    Set leaving = previousCode.empty() ? rt::NewDictionary() : GetProductCategoriesForUNSPSCCode(previousCode);
    Set joining = newCode.empty() ? rt::NewDictionary() : GetProductCategoriesForUNSPSCCode(newCode);
    Set existing = newRow ? rt::NewDictionary() : GetProductCategoriesForProduct(productId);
    Set oldCategories = Copy(*leaving);
    RemoveKeys(*leaving, *joining);
    RemoveKeys(*joining, *oldCategories);
    RemoveKeys(*joining, *existing);
    if (leaving->Count() == 0 && joining->Count() == 0) return;

    const std::string product = std::to_string(productId);
    if (leaving->Count() > 0)
      Execute("DELETE FROM PRODUCTSBYCATEGORY WHERE PRODUCTID=" + product + " AND CATEGORYID IN (" +
                  JoinedKeys(*leaving) + ")",
              connection);
    if (joining->Count() > 0) {
      GetMaxSequenceNrsForProductCategories(*joining);
      for (const rt::Dictionary::Entry& e : joining->Entries())
        Execute("INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) VALUES (" + product + ", " +
                    rt::CStr(e.key) + ", " + std::to_string(NextNumber(e.item)) + ")",
                connection);
    }
  } catch (...) {
    Fail("UpdateProductLinksForUNSPSCCode", connection);
  }
}

void UpdateProductCategoryLinksForUNSPSCCode(int32_t categoryId, const std::string& previousCode,
                                             const std::string& newCode, bool newRow) {
  std::shared_ptr<data::Connection> connection;
  try {
    if (previousCode == newCode) return;
    Set leaving = previousCode.empty() ? rt::NewDictionary() : GetProductsForUNSPSCCode(previousCode);
    Set joining = newCode.empty() ? rt::NewDictionary() : GetProductsForUNSPSCCode(newCode);
    Set existing = rt::NewDictionary();
    int32_t sequence = 0;
    if (!newRow) GetProductsForProductCategory(categoryId, existing, sequence);
    Set oldProducts = Copy(*leaving);
    RemoveKeys(*leaving, *joining);
    RemoveKeys(*joining, *oldProducts);
    RemoveKeys(*joining, *existing);
    if (leaving->Count() == 0 && joining->Count() == 0) return;

    const std::string category = std::to_string(categoryId);
    if (leaving->Count() > 0)
      Execute("DELETE FROM PRODUCTSBYCATEGORY WHERE CATEGORYID=" + category + " AND PRODUCTID IN (" +
                  JoinedKeys(*leaving) + ")",
              connection);
    for (const rt::Dictionary::Entry& e : joining->Entries()) {
      sequence = NextNumber(rt::Variant(sequence));
      Execute("INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) VALUES (" + rt::CStr(e.key) +
                  ", " + category + ", " + std::to_string(sequence) + ")",
              connection);
    }
  } catch (...) {
    Fail("UpdateProductCategoryLinksForUNSPSCCode", connection);
  }
}

// --- lookups -------------------------------------------------------------------------

std::shared_ptr<rt::Dictionary> GetProductCategoriesForUNSPSCCode(const std::string& code) {
  std::shared_ptr<data::Connection> connection;
  try {
    std::string list;
    for (int32_t position = 1; position <= rt::Len(code); position += 2)
      list += (list.empty() ? "'" : ",'") + Gen_SqlQuote(rt::Variant(Left(code, position + 1))) + "'";
    return IdSet("SELECT CATEGORYID FROM PRODUCTCATEGORY WHERE UNSPSCCODE IN (" + list + ")", connection);
  } catch (...) {
    Fail("GetProductCategoriesForUNSPSCCode", connection);
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> GetProductCategoriesForProduct(int32_t productId) {
  std::shared_ptr<data::Connection> connection;
  try {
    return IdSet("SELECT CATEGORYID FROM PRODUCTSBYCATEGORY WHERE PRODUCTID=" + std::to_string(productId),
                 connection);
  } catch (...) {
    Fail("GetProductCategoriesForProduct", connection);
  }
  return nullptr;
}

void GetMaxSequenceNrsForProductCategories(rt::Dictionary& categories) {
  std::shared_ptr<data::Connection> connection;
  try {
    // One indexed MAX per category rather than one grouping over every link
    // of the categories: a product joining a category of many products then
    // costs the same as one joining an empty one. A category without links
    // keeps its item.
    std::vector<rt::Variant> keys;
    for (const rt::Dictionary::Entry& e : categories.Entries()) keys.push_back(e.key);
    for (const rt::Variant& key : keys) {
      ReadRows("SELECT MAX(SEQUENCE) AS SEQUENCE FROM PRODUCTSBYCATEGORY WHERE CATEGORYID = " +
                   std::to_string(rt::CLng(key)),
               connection, [&](data::Recordset& rs) {
                 const rt::Variant highest = rs.Value("SEQUENCE");
                 if (!highest.IsNull()) categories.SetItem(key, highest);
               });
    }
  } catch (...) {
    Fail("GetMaxSequenceNrsForProductCategories", connection);
  }
}

std::shared_ptr<rt::Dictionary> GetProductsForUNSPSCCode(const std::string& code) {
  std::shared_ptr<data::Connection> connection;
  try {
    return IdSet("SELECT PRODUCTID FROM PRODUCT WHERE UNSPSCCODE LIKE '" + Gen_SqlEscapeLike(rt::Variant(code)) +
                     "%'",
                 connection);
  } catch (...) {
    Fail("GetProductsForUNSPSCCode", connection);
  }
  return nullptr;
}

void GetProductsForProductCategory(int32_t categoryId, std::shared_ptr<rt::Dictionary>& products,
                                   int32_t& highestSequence) {
  std::shared_ptr<data::Connection> connection;
  try {
    products = nullptr;
    Set linked = rt::NewDictionary();
    int32_t highest = 0;
    ReadRows("SELECT PRODUCTID, SEQUENCE FROM PRODUCTSBYCATEGORY WHERE CATEGORYID=" + std::to_string(categoryId),
             connection, [&](data::Recordset& rs) {
               linked->Add(rs.Value("PRODUCTID"), rt::Variant());
               const rt::Variant sequence = rs.Value("SEQUENCE");
               if (!sequence.IsNull() && rt::CLng(sequence) > highest) highest = rt::CLng(sequence);
             });
    highestSequence = highest;
    products = linked;
  } catch (...) {
    Fail("GetProductsForProductCategory", connection);
  }
}

}  // namespace quarvel::UNSPSCLib
