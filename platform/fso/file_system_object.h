// FileSystemObject ("Scripting.FileSystemObject"): the folder and file calls
// the catalog library makes. Names are taken literally ("*" and "?" are
// characters like any other); symbolic links are removed, never followed.
// Errors carry VB's numbers and texts with the source
// "Scripting.FileSystemObject".
//
// file_system_object.cpp: tests, creation, file removal;
// folder_removal.cpp: DeleteFolder.
#pragma once

#include <optional>
#include <string>

#include "runtime/object.h"

namespace fso {

class FileSystemObject : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override;

  bool FolderExists(const std::string& path);
  bool FileExists(const std::string& path);  // a folder is no file
  // One level: 58 when the name exists, 76 when its parent folder does not.
  void CreateFolder(const std::string& path);
  // 53 when there is no such file; 70 for a read-only file unless forced.
  void DeleteFile(const std::string& path, std::optional<bool> force);
  // Removes the folder with everything in it. The whole tree is checked
  // first: a read-only entry (without its owner's write bit) refuses the
  // call with 70 before anything is removed, unless forced. 76 when there
  // is no such folder; 75 when the system fails midway.
  void DeleteFolder(const std::string& path, std::optional<bool> force);
};

// FSO errors.
namespace fsoerr {
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kFileAlreadyExists = 58;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kPathFileAccessError = 75;
constexpr int32_t kPathNotFound = 76;
}  // namespace fsoerr

[[noreturn]] void RaiseFso(int32_t number);
// False for a name the system cannot take whole (one holding NUL).
inline bool Whole(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}
// The FSO error for a failed system call's errno.
[[noreturn]] void RaiseFsoForErrno(int error);

}  // namespace fso
