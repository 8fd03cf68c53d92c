// ProductWriter: the write session of one ProductXML call. Every statement
// of the call that writes, and every lookup that must see what the call
// wrote, runs on the call's write group (import_batch.h): one session,
// committed every kRowsPerGroup rows, at the end of the call and before a
// failure leaves it. Statements take their values as parameters, so that
// each text is prepared once a session and no value of a document reaches
// SQL as text.
//
// The group holds the database's write lock while it is open, so a
// component that writes on a session of its own (the property-group
// component) or runs in a transaction of its own (Brintor.BusinessPartner,
// even to read) would fail at once: commit the group first
// (CommitOpenGroup). The UNSPSC relinking is lent the group's connection
// instead (UNSPSCLib::OnCallersConnection).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/command.h"
#include "data/recordset.h"
#include "quarvel/import/import_batch.h"
#include "runtime/variant.h"

namespace quarvel::productxml {

class ProductWriter {
 public:
  explicit ProductWriter(import::WriteGroup& group) : group_(group) {}

  // The session's connection, a group open on it.
  const std::shared_ptr<data::Connection>& Connection() { return group_.Connection(); }
  // A query's rows, read at once.
  std::shared_ptr<data::Recordset> Query(const std::string& sql, const std::vector<rt::Variant>& values);
  // A statement that writes; answers the rows it changed and counts it
  // towards the group.
  int32_t Write(const std::string& sql, const std::vector<rt::Variant>& values);
  // Commits the open group, so that another component may take the lock.
  void CommitOpenGroup() { group_.Commit(); }

  // An updatable recordset over the table that adds rows (AddNew, the
  // fields, Update) and reads each new row's identity back; call
  // RowAdded() after each Update.
  data::Recordset& Adder(const std::string& table);
  void RowAdded() { group_.RowWritten(); }

  // PRODUCT's column of the name (any letter case), raising the recordset's
  // unknown-field error (0x800A0CC1) when there is none; and a value made
  // to fit that column as a field assignment makes it.
  int32_t ProductColumn(const std::string& name);
  const std::string& ProductColumnName(int32_t column);
  rt::Variant FitToProductColumn(int32_t column, const rt::Variant& value);

 private:
  struct OpenAdder {
    std::shared_ptr<data::Recordset> recordset;
    int32_t rows = 0;
  };
  std::shared_ptr<data::Recordset> Run(const std::string& sql, const std::vector<rt::Variant>& values,
                                       rt::Variant* affected);
  // The table's adding recordset, open on the session's connection.
  OpenAdder& Opened(const std::string& table);

  import::WriteGroup& group_;
  std::shared_ptr<data::Command> command_;
  std::map<std::string, OpenAdder> adders_;  // by table
};

}  // namespace quarvel::productxml
