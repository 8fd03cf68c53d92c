// Tamrick.DRecordset: one page of a list. It opens the list's query with its
// key column and page size, moves to the page that a request asks for, keeps
// where it stands in its persisted state text, and answers the page's rows
// as a recordset does.
//
// Requests (ApplyRequest): with the first argument True, the second is a page
// number (below 1 means the first page; past the end, the last page); with
// False, it is a move by that many pages (1 next, -1 previous). Without a
// request the list opens on the page its state names, or the first (the
// last when that page is past the end). An empty list has an empty page 1.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "data/recordset.h"
#include "runtime/object.h"
#include "suite/tamrick/keyset_query.h"
#include "suite/tamrick/list_position.h"

namespace tamrick {

class DRecordset : public rt::Object {
 public:
  std::string TypeName() const override { return "DRecordset"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string ConnectionString() { return connectionString_; }
  void SetConnectionString(const std::string& v) { connectionString_ = v; }
  // The page's named connection, resolved when the list opens.
  void SetConnectionName(const std::string& v) { connectionName_ = v; }
  std::string PersistedStateInfo() { return state_; }
  void SetPersistedStateInfo(const std::string& v) { state_ = v; }
  int32_t PageSize() { return pageSize_; }
  void SetPageSize(int32_t v);
  std::string SortFields() { return sortFields_; }
  void SetSortFields(const std::string& v) { sortFields_ = v; }

  void Reset() { request_.reset(); }
  void ApplyRequest(bool& absolute, int32_t& n) { request_ = Request{absolute, n}; }
  void Open(const std::string& sql, const std::string& keyColumns);
  void Close();

  // The current page.
  int32_t AbsolutePage() { return position_.page; }
  int32_t PageCount();
  int32_t RecordCount() { return Rows().RecordCount(); }
  bool Eof() { return Rows().Eof(); }
  bool Bof() { return Rows().Bof(); }
  void MoveNext() { Rows().MoveNext(); }
  void MoveFirst() { Rows().MoveFirst(); }
  std::shared_ptr<data::Recordset> Recordset() { return rows_; }

 private:
  struct Request {
    bool absolute;
    int32_t n;
  };
  struct Located {
    bool found = true;
    std::optional<SortKey> before;
  };

  data::Recordset& Rows();
  rt::Variant FieldsLate(const rt::Variant& index);
  std::string ResolveConnectionString();
  Located Locate(data::Connection& cn, int32_t target, const ListPosition& prior);
  std::optional<SortKey> KeyOfRow(data::Recordset& rs);
  int32_t CountPages(data::Connection& cn);
  std::shared_ptr<data::Recordset> OpenPage(const std::shared_ptr<data::Connection>& cn,
                                            const std::optional<SortKey>& before);

  std::string connectionString_;
  std::string connectionName_;
  std::string state_;
  std::string sortFields_;
  int32_t pageSize_ = 10;
  std::optional<Request> request_;

  std::optional<KeysetQuery> query_;
  ListPosition position_;
  std::optional<int32_t> pageCount_;
  std::shared_ptr<data::Recordset> rows_;
};

}  // namespace tamrick
