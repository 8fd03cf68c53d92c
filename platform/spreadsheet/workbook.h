// Workbook: an open workbook and its Sheets collection.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/spreadsheet/sheet_cells.h"
#include "runtime/object.h"

namespace spreadsheet {

class Workbooks;
class Worksheet;

class Workbook : public rt::Object {
 public:
  Workbook(std::shared_ptr<const WorkbookCells> cells, std::weak_ptr<Workbooks> owner);
  const rt::DispatchTable* Dispatch() const override;

  std::string Name() const;      // the file's name
  std::string FullName() const;  // the file's path
  // Sheets / Worksheets: the collection; Sheets(n) or Sheets(name): one sheet,
  // numbered from 1 in workbook order.
  rt::Variant Sheets(rt::Args& args);
  // Close([SaveChanges], ...): nothing is ever saved; the workbook leaves the
  // application's Workbooks.
  rt::Variant Close(rt::Args& args);

  const std::vector<std::shared_ptr<Worksheet>>& SheetList() const { return sheets_; }
  rt::Variant Sheet(const rt::Variant& index) const;

 private:
  std::shared_ptr<const WorkbookCells> cells_;
  std::weak_ptr<Workbooks> owner_;
  std::vector<std::shared_ptr<Worksheet>> sheets_;
};

// The sheets of one workbook: Count and Item (the default member).
class Sheets : public rt::Object {
 public:
  explicit Sheets(std::shared_ptr<const Workbook> book) : book_(std::move(book)) {}
  const rt::DispatchTable* Dispatch() const override;

  int32_t Count() const { return static_cast<int32_t>(book_->SheetList().size()); }
  rt::Variant Item(const rt::Variant& index) const { return book_->Sheet(index); }

 private:
  std::shared_ptr<const Workbook> book_;
};

}  // namespace spreadsheet
