// The paged-list protocol, the filters of its queries and the per-thread
// SQL literal maker.
#include "common/lib_paging.h"

#include "common/lib_general.h"
#include "runtime/com_error.h"
#include "runtime/regional.h"
#include "runtime/registry.h"

rt::ObjectPtr PagedQuery(const PagedQueryArgs& args) {
  rt::ObjectPtr list;
  if (!args.page) {
    list = rt::CreateObject("Tamrick.DRecordset");
    list->LetProperty("ConnectionString", rt::Variant(args.connectionString()));
    list->LetProperty("PersistedStateInfo", rt::Variant(args.persistedState));
  } else {
    args.page->LetProperty("ConnectionName", rt::Variant(args.connectionName));
    list = args.page->GetProperty("Recordset").AsObject();
  }
  list->LetProperty("PageSize", rt::Variant(args.pageSize));
  if (!args.sortFields.IsMissing()) list->LetProperty("SortFields", args.sortFields);
  if (args.page) {
    rt::Args request{rt::Variant(int32_t{0}), rt::Variant(false), rt::Variant()};
    args.page->Invoke("GetRequest", rt::CallKind::Method, request);
    if (rt::CBool(request[1])) {
      list->Call("Reset");
      rt::Args apply{rt::Variant(true), request[0]};
      list->Invoke("ApplyRequest", rt::CallKind::Method, apply);
    }
  }
  list->Call("Open", {rt::Variant(args.sql), rt::Variant(args.keyColumn)});
  return list;
}

std::string SqlNumber(const rt::Variant& id) {
  if (id.IsNull() || id.IsEmpty() || id.IsObject() || id.IsArray() || !rt::IsNumeric(id))
    rt::RaiseVb(rt::vberr::kTypeMismatch);
  std::string text = rt::CDec(id).ToString();
  // A Double whose 15 decimal digits name another number keeps all it needs.
  if (const double* d = id.Get<double>(); d && rt::ParseNumber(text) != *d) text = rt::FormatDoubleExact(*d);
  return text;
}

std::string IdInList(const std::string& keyColumn, const rt::Variant& ids, const std::string& separator) {
  const rt::SafeArray& array = ids.AsArray();
  std::string list;
  for (size_t i = 0; i < array.data.size(); ++i) list += (i ? separator : "") + SqlNumber(array.data[i]);
  return keyColumn + " IN (" + list + ")";
}

std::string TextInList(const std::string& keyColumn, const rt::Variant& ids, const std::string& separator) {
  const rt::SafeArray& array = ids.AsArray();
  std::string list;
  for (size_t i = 0; i < array.data.size(); ++i) list += (i ? separator : "") + "'" + Gen_SqlQuote(array.data[i]) + "'";
  return keyColumn + " IN (" + list + ")";
}

std::string buildWhereClause(const std::string& sql, const std::string& condition) {
  const bool hasWhere = sql.find("WHERE") != std::string::npos;
  return sql + " " + (hasWhere ? "AND" : "WHERE") + " (" + condition + ")";
}

rt::ObjectPtr ThreadUtilities() {
  thread_local rt::ObjectPtr utilities;
  if (!utilities) utilities = rt::CreateObject("Tamrick.Utilities");
  return utilities;
}
