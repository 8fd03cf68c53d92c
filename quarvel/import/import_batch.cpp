// The batch mechanism of the catalog imports: argument, budget, list, rest
// file and write groups.
#include "quarvel/import/import_batch.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "common/lib_general.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"

namespace quarvel::import {

namespace {

constexpr const char* kSeparator = "/\\";
constexpr size_t kLongestFileName = 255;

bool NamesNoFile(unsigned char c) { return c == '/' || c == '\\' || c < 0x20 || c == 0x7F; }

}  // namespace

BatchClock MonotonicClock() {
  return [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  };
}

BatchArgument SplitBatchArgument(const std::string& argument, const std::string& restFileStem) {
  const size_t at = argument.find(kSeparator);
  if (at == std::string::npos) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  BatchArgument split{argument.substr(0, at), argument.substr(at + 2)};
  for (char c : split.prefix) {
    if (NamesNoFile(static_cast<unsigned char>(c))) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  }
  if (restFileStem.size() + split.prefix.size() + 4 > kLongestFileName) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  return split;
}

int32_t RunWithinBudget(const rt::Variant& list, const BatchClock& clock, double started,
                        const std::function<void(const rt::Variant& entry)>& worker) {
  const rt::SafeArray& entries = list.AsArray();
  const int32_t lower = entries.LBound();
  const int32_t upper = entries.UBound();
  int32_t handled = 0;
  for (int32_t k = lower; k <= upper; ++k) {
    if (clock() - started >= kBudgetSeconds) break;
    worker(entries.At(k));
    ++handled;
  }
  return handled;
}

void CutList(rt::Variant& list, int32_t handled) {
  const rt::SafeArray& entries = list.AsArray();
  rt::ArrayPtr cut = rt::SafeArray::OneDim(0, handled - 1, entries.elementType);
  for (int32_t i = 0; i < handled; ++i) cut->At(i) = entries.At(entries.LBound() + i);
  list = rt::Variant(cut);
}

// --- the rest file ------------------------------------------------------------

RestFile::RestFile(const std::string& stem, const std::string& prefix) {
  rt::ObjectPtr configuration = Gen_GetComponent("Solvane.Configuration");
  folder_ = rt::CStr(configuration->Call("GetInstallDir")) + "/XMLDownload";
  configuration.reset();
  rt::ObjectPtr files = rt::CreateObject("Scripting.FileSystemObject");
  if (!rt::CBool(files->Call("FolderExists", {rt::Variant(folder_)}))) files->Call("CreateFolder", {rt::Variant(folder_)});
  path_ = folder_ + "/" + stem + prefix + ".xml";
}

void RestFile::Settle(const rt::ObjectPtr& document, bool elementsLeft) {
  if (!elementsLeft) {
    rt::ObjectPtr files = rt::CreateObject("Scripting.FileSystemObject");
    if (rt::CBool(files->Call("FileExists", {rt::Variant(path_)}))) files->Call("DeleteFile", {rt::Variant(path_)});
    return;
  }
  // A short name of its own, so that a rest file whose name is near the
  // longest a file may have is still written through a temporary one.
  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      folder_ + "/.remaining-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
  document->Call("save", {rt::Variant(temporary)});
  if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    rt::RaiseVb(rt::vberr::kPathFileAccess);
  }
}

// --- write groups --------------------------------------------------------------

WriteGroup::~WriteGroup() { CloseConnection(); }

const std::shared_ptr<data::Connection>& WriteGroup::Connection() {
  if (!connection_) connection_ = getConnection();
  if (!group_.IsOpen()) {
    group_ = data::OwnTransaction(connection_);
    rows_ = 0;
  }
  return connection_;
}

void WriteGroup::RowWritten() {
  if (++rows_ >= limit_) Commit();
}

void WriteGroup::Commit() {
  try {
    group_.Commit();
  } catch (...) {
    // The group failed to commit: its rows go with the connection.
    CloseConnection();
    throw;
  }
}

void WriteGroup::CommitAfterFailure() {
  try {
    Commit();
  } catch (...) {
    // The batch's own failure is the one to report.
  }
  CloseConnection();
}

void WriteGroup::CloseConnection() {
  group_ = data::OwnTransaction();  // an open group is rolled back
  if (!connection_) return;
  try {
    connection_->Close();
  } catch (...) {
    // Closing never keeps anything that a later call could need.
  }
  connection_.reset();
}

}  // namespace quarvel::import
