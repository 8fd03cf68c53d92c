// The catalog classes' paged lists: the list's query narrowed to the
// caller's ids, opened on a Tamrick.DRecordset of the caller's page or of
// its own on the catalog connection string.
#pragma once

#include <cstdint>
#include <string>

#include "quarvel/services/catalog_connection.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel {

// How a list puts its ids into the query.
enum class IdListForm {
  kNumbers,      // each id converted to a number: "KEY IN (3,5)"
  kQuotedTexts,  // each id a text literal: "KEY IN ('A1','O''B')"
};

// What the caller of a paged list method passes.
struct PagedListRequest {
  rt::ObjectPtr page;               // Tamrick.Page, or null
  std::string persistedState;       // used only without a page
  int16_t pageSize = 0;
  rt::Variant ids = rt::Variant::Missing();  // an array, or Missing for none
  std::string sortFields;           // set on the list only when not empty
};

// The request of a list method's arguments: the page size taken as a 16-bit
// number (Overflow, 6, beyond), and the sort fields set when given (Missing
// gives none; Null fails with Invalid use of Null, 94).
PagedListRequest ListRequest(const rt::ObjectPtr& page, const std::string& persistedState, int32_t pageSize,
                             const rt::Variant& ids, const rt::Variant& sortFields);

// Opens the list on `sql` (its key column `keyColumn`): when ids are given,
// the query gets " WHERE (" or " AND (" & keyColumn & " IN (" & ids joined
// by "," & "))"; with a page, the page's list on the connection named
// "QuarvelConnection", else a new Tamrick.DRecordset on the catalog
// connection string from `source`. No handler of its own: failures reach
// the calling method's handler as they came.
rt::ObjectPtr CatalogPagedQuery(const std::string& sql, const std::string& keyColumn, IdListForm form,
                                const PagedListRequest& request,
                                ConnectionSource source = ConnectionSource::kConfiguration);

}  // namespace quarvel
