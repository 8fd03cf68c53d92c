// Lib_SQL's table writers and existence tests: one INSERT, UPDATE or DELETE
// built from a dictionary of column names and values, run on the caller's
// open connection, which is then closed and the caller's transaction voted.
#pragma once

#include <memory>
#include <string>

#include "data/connection.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

// Dictionaries map upper-case column names to values; their key order is the
// order of the columns in the statement. The plain writers make literals
// with Gen_SqlValue, the *Unicode writers with Tamrick.Utilities'
// ToSqlUnicodeText (a null value fails those writes). Every column name must
// be a column of the table.
//
// Each writer closes the connection (the caller's variable still refers to
// the closed object), votes complete and answers an empty
// "Solvane.ResultObject". On failure it closes the connection, votes abort
// and logs and raises the error with its own name as the error source
// ("Sql_InsertTable", ...).

// INSERT <table>(<keys>) VALUES (<literals>)
rt::ObjectPtr Sql_InsertTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                              const std::shared_ptr<data::Connection>& connection);
rt::ObjectPtr Sql_InsertTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                                     const std::shared_ptr<data::Connection>& connection);

// UPDATE <table> SET <k=v,...> WHERE <k=v AND ...>
rt::ObjectPtr Sql_UpdateTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                              const std::shared_ptr<rt::Dictionary>& keys,
                              const std::shared_ptr<data::Connection>& connection);
rt::ObjectPtr Sql_UpdateTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                                     const std::shared_ptr<rt::Dictionary>& keys,
                                     const std::shared_ptr<data::Connection>& connection);

// DELETE FROM <table> WHERE <k=v AND ...>
rt::ObjectPtr Sql_DeleteTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& keys,
                                     const std::shared_ptr<data::Connection>& connection);

// True when a row of `table` has `column` equal to the dictionary's value
// under `key`. A key missing from the dictionary answers false at once: the
// connection is left open and no vote is cast. Otherwise the connection is
// closed and complete voted; a failure closes it, votes abort and is logged
// and raised with "Sql_ExistsInTable".
bool Sql_ExistsInTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& dictionary,
                       const std::string& key, const std::string& column,
                       const std::shared_ptr<data::Connection>& connection);

// Sql_ExistsInTable with the key as the column name.
bool Sql_KeyExistsInTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& dictionary,
                          const std::string& key, const std::shared_ptr<data::Connection>& connection);
