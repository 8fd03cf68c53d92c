// Opening a workbook file: the download-folder check, the format told by the
// file's first bytes, and the readers of the two formats.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/spreadsheet/sheet_cells.h"

namespace spreadsheet {

// Why a workbook cannot be opened, in words for the caller's message.
class OpenFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the workbook at `path` (relative paths from the working folder).
// The file must lie inside `downloadFolder` once every symbolic link is
// resolved; it is read by content (an OLE2 compound file or a ZIP package),
// whatever its name. Throws OpenFailure.
std::shared_ptr<WorkbookCells> ReadWorkbookFile(const std::string& path,
                                                const std::string& downloadFolder);

// The readers, each given an open descriptor of the checked file (which they
// do not close) and the file's canonical path.
std::shared_ptr<WorkbookCells> ReadXls(int fd, const std::string& canonicalPath);
std::shared_ptr<WorkbookCells> ReadXlsx(int fd, const std::string& canonicalPath);

}  // namespace spreadsheet
