// The catalog classes' paged lists over the shared paged-list protocol.
#include "quarvel/services/catalog_paging.h"

#include "common/lib_paging.h"

namespace quarvel {

PagedListRequest ListRequest(const rt::ObjectPtr& page, const std::string& persistedState, int32_t pageSize,
                             const rt::Variant& ids, const rt::Variant& sortFields) {
  PagedListRequest request;
  request.page = page;
  request.persistedState = persistedState;
  request.pageSize = rt::CInt(rt::Variant(pageSize));
  request.ids = ids;
  if (!sortFields.IsMissing()) request.sortFields = rt::CStr(sortFields);
  return request;
}

rt::ObjectPtr CatalogPagedQuery(const std::string& sql, const std::string& keyColumn, IdListForm form,
                                const PagedListRequest& request, ConnectionSource source) {
  PagedQueryArgs args;
  args.sql = sql;
  if (!request.ids.IsMissing()) {
    const std::string condition = form == IdListForm::kNumbers ? IdInList(keyColumn, request.ids, ",")
                                                               : TextInList(keyColumn, request.ids, ",");
    args.sql = buildWhereClause(sql, condition);
  }
  args.page = request.page;
  args.persistedState = request.persistedState;
  args.pageSize = request.pageSize;
  if (!request.sortFields.empty()) args.sortFields = rt::Variant(request.sortFields);
  args.keyColumn = keyColumn;
  args.connectionName = "QuarvelConnection";
  args.connectionString = [source] { return getConnectionString(source); };
  return PagedQuery(args);
}

}  // namespace quarvel
