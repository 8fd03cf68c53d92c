// Tamrick.Page.
#include "suite/tamrick/page.h"

#include "runtime/dispatch.h"

namespace tamrick {

const rt::DispatchTable* Page::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Page>("Page")
                                             .Get("ConnectionName", &Page::ConnectionName)
                                             .Let("ConnectionName", &Page::SetConnectionName)
                                             .Get("Recordset", &Page::Recordset)
                                             .Get("PersistedStateInfo", &Page::PersistedStateInfo)
                                             .Let("PersistedStateInfo", &Page::SetPersistedStateInfo)
                                             .Get("RequestedPage", &Page::RequestedPage)
                                             .Let("RequestedPage", &Page::SetRequestedPage)
                                             .Method("GetRequest", &Page::GetRequest)
                                             .Build();
  return &table;
}

void Page::SetConnectionName(const std::string& v) {
  connectionName_ = v;
  if (recordset_) recordset_->SetConnectionName(v);
}

std::shared_ptr<DRecordset> Page::Recordset() {
  if (!recordset_) {
    recordset_ = std::make_shared<DRecordset>();
    recordset_->SetConnectionName(connectionName_);
    recordset_->SetPersistedStateInfo(state_);
  }
  return recordset_;
}

std::string Page::PersistedStateInfo() { return recordset_ ? recordset_->PersistedStateInfo() : state_; }

void Page::SetPersistedStateInfo(const std::string& v) {
  state_ = v;
  if (recordset_) recordset_->SetPersistedStateInfo(v);
}

void Page::GetRequest(int32_t& n, bool& flag, rt::Variant& value) {
  flag = requestedPage_ != 0;
  n = requestedPage_;
  value = rt::Variant();
}

}  // namespace tamrick
