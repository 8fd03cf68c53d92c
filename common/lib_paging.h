// The suite's class library (Tamrick) as both libraries use it: the
// paged-list protocol that their list methods follow (a Tamrick.DRecordset
// opened on the method's query and key column, taken from the caller's page
// or created plainly when there is none), the filters of those queries, and
// the per-thread SQL literal maker.
#pragma once

#include <functional>
#include <string>

#include "runtime/object.h"
#include "runtime/variant.h"

struct PagedQueryArgs {
  rt::ObjectPtr page;             // Tamrick.Page, or null
  std::string persistedState;     // used only without a page
  int32_t pageSize = 0;
  rt::Variant sortFields = rt::Variant::Missing();  // set on the list only when not Missing
  std::string sql;                // the list's query, filters included
  std::string keyColumn;
  std::string connectionName;     // "BrintorConnection", "QuarvelConnection"
  // The library's connection string; asked only when there is no page.
  std::function<std::string()> connectionString;
};

// Opens the list and answers the Tamrick.DRecordset. No handler of its own:
// failures reach the calling method's handler as they came.
rt::ObjectPtr PagedQuery(const PagedQueryArgs& args);

// A caller's id as it goes into SQL unquoted: the number's digits. Anything
// that is not a number (Null, Empty, text that reads as no number, an
// object, an array) fails with Type mismatch (13), so no caller text
// reaches the statement.
std::string SqlNumber(const rt::Variant& id);

// `key IN (<ids>)`, the ids joined by `separator`, each as SqlNumber writes
// it. An empty array gives "key IN ()", which the database refuses.
std::string IdInList(const std::string& keyColumn, const rt::Variant& ids, const std::string& separator = ", ");

// `key IN ('<id>','<id>')`: each id as a text literal, its single quotes
// doubled (Null gives ''), joined by `separator`.
std::string TextInList(const std::string& keyColumn, const rt::Variant& ids, const std::string& separator = ",");

// The SQL text, " ", "AND" when "WHERE" occurs anywhere in it (letter case
// counts) or else "WHERE", " (", the condition, ")".
std::string buildWhereClause(const std::string& sql, const std::string& condition);

// The thread's "Tamrick.Utilities", created plainly at first use and kept
// for the thread's life.
rt::ObjectPtr ThreadUtilities();
