// Tamrick.Page: what a web page hands a paged list: the name of the
// connection its list reads, its paged recordset, and the request (a page
// number) that the browser sent.
#pragma once

#include <memory>
#include <string>

#include "runtime/object.h"
#include "suite/tamrick/drecordset.h"

namespace tamrick {

class Page : public rt::Object {
 public:
  std::string TypeName() const override { return "Page"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string ConnectionName() { return connectionName_; }
  void SetConnectionName(const std::string& v);
  // The page's own list, made on first use.
  std::shared_ptr<DRecordset> Recordset();
  // The list's state as the page keeps it between requests.
  std::string PersistedStateInfo();
  void SetPersistedStateInfo(const std::string& v);
  // The page number the browser asked for; 0 for no request.
  int32_t RequestedPage() { return requestedPage_; }
  void SetRequestedPage(int32_t v) { requestedPage_ = v; }

  // n: the page asked for; flag: whether there is a request; value: unused.
  void GetRequest(int32_t& n, bool& flag, rt::Variant& value);

 private:
  std::string connectionName_;
  std::string state_;
  int32_t requestedPage_ = 0;
  std::shared_ptr<DRecordset> recordset_;
};

}  // namespace tamrick
