// Tamrick.DRecordset: keyset paging over a list's query.
#include "suite/tamrick/drecordset.h"

#include <algorithm>
#include <cstdint>

#include "data/field.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"

namespace tamrick {

namespace {
constexpr const char* kSource = "Tamrick.DRecordset";
}

const rt::DispatchTable* DRecordset::Dispatch() const {
  using D = DRecordset;
  static const rt::DispatchTable table = rt::DispatchBuilder<D>("DRecordset")
                                             .Get("ConnectionString", &D::ConnectionString)
                                             .Let("ConnectionString", &D::SetConnectionString)
                                             .Get("PersistedStateInfo", &D::PersistedStateInfo)
                                             .Let("PersistedStateInfo", &D::SetPersistedStateInfo)
                                             .Get("PageSize", &D::PageSize)
                                             .Let("PageSize", &D::SetPageSize)
                                             .Get("SortFields", &D::SortFields)
                                             .Let("SortFields", &D::SetSortFields)
                                             .Method("Reset", &D::Reset)
                                             .Method("ApplyRequest", &D::ApplyRequest)
                                             .Method("Open", &D::Open)
                                             .Method("Close", &D::Close)
                                             .Get("AbsolutePage", &D::AbsolutePage)
                                             .Get("PageCount", &D::PageCount)
                                             .Get("RecordCount", &D::RecordCount)
                                             .Get("EOF", &D::Eof)
                                             .Get("BOF", &D::Bof)
                                             .Method("MoveNext", &D::MoveNext)
                                             .Method("MoveFirst", &D::MoveFirst)
                                             .Get("Fields", &D::FieldsLate)
                                             .Get("Recordset", &D::Recordset)
                                             .Default("Fields")
                                             .Build();
  return &table;
}

void DRecordset::SetPageSize(int32_t v) {
  if (v < 1) rt::Raise(rt::vberr::kInvalidProcedureCall, kSource, "The page size must be at least 1");
  pageSize_ = v;
}

data::Recordset& DRecordset::Rows() {
  if (!rows_) rt::Raise(static_cast<int32_t>(0x800A0E78), kSource, "The list is not open.");
  return *rows_;
}

rt::Variant DRecordset::FieldsLate(const rt::Variant& index) {
  if (index.IsMissing()) return rt::Variant(rt::ObjectPtr(Rows().Fields()));
  return rt::Variant(rt::ObjectPtr(Rows().Field(index)));
}

// The named connection's string: the web application's value first, then
// the configuration's, both under "<name>_ConnectionString".
std::string DRecordset::ResolveConnectionString() {
  if (!connectionString_.empty() || connectionName_.empty()) return connectionString_;
  const std::string key = connectionName_ + "_ConnectionString";
  if (rt::ObjectContext* context = rt::GetObjectContext()) {
    try {
      if (rt::ObjectPtr application = context->Item("Application"))
        connectionString_ = rt::Concat(application->GetProperty("Value", {rt::Variant(key)}));
    } catch (...) {
      // No application object: the configuration answers.
    }
  }
  if (connectionString_.empty()) {
    rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
    connectionString_ = rt::Concat(configuration->Call("GetValue", {rt::Variant("CONNECTIONS"), rt::Variant(key)}));
  }
  return connectionString_;
}

std::optional<SortKey> DRecordset::KeyOfRow(data::Recordset& rs) {
  SortKey key;
  for (const OrderItem& o : query_->Order()) key.push_back(rs.Value(o.column));
  return key;
}

int32_t DRecordset::CountPages(data::Connection& cn) {
  auto rs = cn.Execute(query_->Count());
  const int64_t rows = rt::CLng(rs->Value(0));
  return static_cast<int32_t>((rows + pageSize_ - 1) / pageSize_);
}

// The key of the row before page `target`, found from the nearest position
// known: the page before or after the one the state names, a seek forward
// from its last row, a seek backward from its first, or the list's start.
DRecordset::Located DRecordset::Locate(data::Connection& cn, int32_t target, const ListPosition& prior) {
  if (target == 1) return {};
  auto boundary = [&](const std::string& sql, const std::vector<rt::Variant>& params) -> Located {
    auto rs = data::Recordset::New();
    rs->Open(sql, std::static_pointer_cast<data::Connection>(cn.Self()), params);
    if (rs->Eof()) return Located{false, std::nullopt};
    return Located{true, KeyOfRow(*rs)};
  };
  std::vector<rt::Variant> params;
  const int64_t size = pageSize_;
  if (target == prior.page && (prior.before || prior.page == 1)) return Located{true, prior.before};
  if (prior.last && target == int64_t{prior.page} + 1) return Located{true, prior.last};
  if (prior.last && target > prior.page) {
    std::string sql = query_->RowAfter((target - prior.page - 1) * size - 1, prior.last, params);
    return boundary(sql, params);
  }
  if (prior.before && target < prior.page && (prior.page - target) < target) {
    std::string sql = query_->RowBack((prior.page - target) * size, *prior.before, params);
    return boundary(sql, params);
  }
  std::string sql = query_->RowAfter((target - 1) * size - 1, std::nullopt, params);
  return boundary(sql, params);
}

// The page of rows after `before` (from the list's start without it), read
// and let go of the connection.
std::shared_ptr<data::Recordset> DRecordset::OpenPage(const std::shared_ptr<data::Connection>& cn,
                                                      const std::optional<SortKey>& before) {
  std::vector<rt::Variant> params;
  std::string pageSql = query_->Page(pageSize_, before, params);
  auto rows = data::Recordset::New();
  rows->SetCursorLocation(data::kUseClient);
  rows->Open(pageSql, cn, params, data::kCursorStatic, data::kLockReadOnly);
  rows->SetActiveConnection(nullptr);
  return rows;
}

void DRecordset::Open(const std::string& sql, const std::string& keyColumns) {
  auto cn = data::Connection::New();
  cn->Open(ResolveConnectionString());
  std::vector<std::string> columns;
  {
    auto probe = cn->Execute(KeysetQuery::Columns(sql));
    for (int32_t i = 0; i < probe->FieldCount(); ++i) columns.push_back(probe->Column(i).name);
  }
  query_.emplace(sql, ListOrder(sortFields_, keyColumns, columns));
  pageCount_.reset();

  const uint64_t hash = ListHash(sql, keyColumns, sortFields_);
  ListPosition prior;
  prior.listHash = hash;
  prior.pageSize = pageSize_;
  if (auto saved = ListPosition::FromText(state_); saved && saved->listHash == hash && saved->pageSize == pageSize_)
    prior = *saved;

  // A move by more pages than there are numbers ends at the first or the
  // last number, not at a wrapped one.
  int64_t asked = prior.page;
  if (request_) asked = request_->absolute ? request_->n : int64_t{prior.page} + request_->n;
  request_.reset();
  int32_t target = static_cast<int32_t>(std::clamp<int64_t>(asked, 1, INT32_MAX));

  // A page past the end is the last page. The row before the page can
  // exist while the page has none (the request is one page past a full
  // last page, or the next page from the state of the last): an empty page
  // other than the first is past the end too. An empty list answers its
  // empty first page.
  Located where = Locate(*cn, target, prior);
  std::shared_ptr<data::Recordset> rows;
  if (where.found) rows = OpenPage(cn, where.before);
  if (target > 1 && (!where.found || rows->RecordCount() == 0)) {
    pageCount_ = CountPages(*cn);
    target = std::max(1, *pageCount_);
    ListPosition start = prior;
    start.page = 1;
    start.before.reset();
    start.last.reset();
    where = Locate(*cn, target, start);
    rows = OpenPage(cn, where.before);
  }

  position_ = ListPosition{hash, pageSize_, target, where.before, std::nullopt};
  if (rows->RecordCount() > 0) {
    rows->MoveLast();
    position_.last = KeyOfRow(*rows);
    rows->MoveFirst();
  }
  rows_ = rows;
  state_ = position_.ToText();
  cn->Close();
}

int32_t DRecordset::PageCount() {
  if (!query_) Rows();
  if (!pageCount_) {
    auto cn = data::Connection::New();
    cn->Open(ResolveConnectionString());
    pageCount_ = CountPages(*cn);
  }
  return *pageCount_;
}

void DRecordset::Close() {
  rows_.reset();
  query_.reset();
}

}  // namespace tamrick
