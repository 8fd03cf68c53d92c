// Application ("Excel.Application") and its Workbooks: the entry to the
// spreadsheet stand-in, which opens workbooks for reading.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/object.h"

namespace spreadsheet {

class Workbook;

class Workbooks : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override;

  // Open(Filename, ...): reads the workbook; the further arguments (links,
  // read-only, passwords, ...) are accepted and have no effect. A file that
  // cannot be opened raises 1004 "Unable to open the workbook '<Filename>':
  // <why>". Files are read only from "<install folder>/XMLDownload".
  rt::Variant Open(rt::Args& args);
  int32_t Count() const { return static_cast<int32_t>(open_.size()); }
  rt::Variant Item(const rt::Variant& index) const;

  void Forget(const Workbook* book);

 private:
  std::vector<std::shared_ptr<Workbook>> open_;
};

class Application : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override;
  rt::ObjectPtr GetWorkbooks();

 private:
  std::shared_ptr<Workbooks> workbooks_ = std::make_shared<Workbooks>();
};

}  // namespace spreadsheet
