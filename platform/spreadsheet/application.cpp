// Application and Workbooks: opening a workbook from the download folder.
#include "platform/spreadsheet/application.h"

#include <algorithm>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/workbook_file.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"

namespace spreadsheet {
namespace {

// Workbooks are read only from the suite's download folder, as XML documents
// are: "<install folder>/XMLDownload".
std::string DownloadFolder() {
  std::string dir;
  try {
    rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
    dir = rt::CStr(configuration->Call("GetInstallDir"));
  } catch (const rt::ComError& e) {
    throw OpenFailure("the install folder cannot be read (" + e.description() + ")");
  }
  if (dir.empty()) throw OpenFailure("no install folder is configured");
  return dir + "/XMLDownload";
}

}  // namespace

const rt::DispatchTable* Application::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Application>("Application")
                                             .Get("Workbooks", &Application::GetWorkbooks)
                                             .Build();
  return &table;
}

rt::ObjectPtr Application::GetWorkbooks() { return workbooks_; }

const rt::DispatchTable* Workbooks::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Workbooks>("Workbooks")
          .Raw("Open", rt::CallKind::Method, ArgsHandler<Workbooks, &Workbooks::Open>())
          .Get("Count", &Workbooks::Count)
          .Get("Item", &Workbooks::Item)
          .Default("Item")
          .Build();
  return &table;
}

rt::Variant Workbooks::Open(rt::Args& args) {
  if (args.size() > 15) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (!Given(args, 0)) rt::RaiseVb(rt::vberr::kArgumentNotOptional);
  const std::string path = rt::CStr(args[0]);
  std::shared_ptr<WorkbookCells> cells;
  try {
    cells = ReadWorkbookFile(path, DownloadFolder());
  } catch (const OpenFailure& failure) {
    RaiseApplicationError("Unable to open the workbook '" + path + "': " + failure.what());
  }
  auto book = std::make_shared<Workbook>(std::move(cells),
                                         std::static_pointer_cast<Workbooks>(shared_from_this()));
  open_.push_back(book);
  return rt::Variant(book);
}

rt::Variant Workbooks::Item(const rt::Variant& index) const {
  if (index.IsString()) {
    for (const auto& book : open_) {
      if (rt::TextCompare(book->Name(), *index.Get<std::string>()) == 0) return rt::Variant(book);
    }
    rt::RaiseVb(rt::vberr::kSubscriptOutOfRange);
  }
  int32_t n = rt::CLng(index);
  if (n < 1 || n > Count()) rt::RaiseVb(rt::vberr::kSubscriptOutOfRange);
  return rt::Variant(open_[static_cast<size_t>(n - 1)]);
}

void Workbooks::Forget(const Workbook* book) {
  std::erase_if(open_, [book](const std::shared_ptr<Workbook>& b) { return b.get() == book; });
}

}  // namespace spreadsheet
