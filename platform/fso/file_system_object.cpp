// FileSystemObject: existence tests, folder creation and file removal.
#include "platform/fso/file_system_object.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/com_error.h"
#include "runtime/dispatch.h"

namespace fso {
namespace {

std::string Text(int32_t number) {
  switch (number) {
    case fsoerr::kFileNotFound: return "File not found";
    case fsoerr::kFileAlreadyExists: return "File already exists";
    case fsoerr::kPermissionDenied: return "Permission denied";
    case fsoerr::kPathNotFound: return "Path not found";
    default: return "Path/File access error";
  }
}

// The folder that holds `path`'s last name ("." for a bare name).
std::string ParentOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : trimmed.substr(0, slash);
}

}  // namespace

void RaiseFso(int32_t number) { rt::Raise(number, "Scripting.FileSystemObject", Text(number)); }

void RaiseFsoForErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: RaiseFso(fsoerr::kPermissionDenied);
    case ENOENT:
    case ENOTDIR: RaiseFso(fsoerr::kPathNotFound);
    case EEXIST: RaiseFso(fsoerr::kFileAlreadyExists);
    default: RaiseFso(fsoerr::kPathFileAccessError);
  }
}

const rt::DispatchTable* FileSystemObject::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<FileSystemObject>("FileSystemObject")
          .Method("FolderExists", &FileSystemObject::FolderExists)
          .Method("FileExists", &FileSystemObject::FileExists)
          .Method("CreateFolder", &FileSystemObject::CreateFolder)
          .Method("DeleteFile", &FileSystemObject::DeleteFile)
          .Method("DeleteFolder", &FileSystemObject::DeleteFolder)
          .Build();
  return &table;
}

bool FileSystemObject::FolderExists(const std::string& path) {
  struct stat info {};
  return Whole(path) && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileSystemObject::FileExists(const std::string& path) {
  struct stat info {};
  return Whole(path) && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void FileSystemObject::CreateFolder(const std::string& path) {
  if (!Whole(path)) RaiseFso(fsoerr::kPathNotFound);
  if (::mkdir(path.c_str(), 0777) == 0) return;
  RaiseFsoForErrno(errno);
}

void FileSystemObject::DeleteFile(const std::string& path, std::optional<bool> force) {
  struct stat info {};
  if (!Whole(path) || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
    RaiseFso(fsoerr::kFileNotFound);
  }
  // Root may write anything: the read-only test is the owner's write bit.
  if (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR) && !force.value_or(false)) {
    RaiseFso(fsoerr::kPermissionDenied);
  }
  if (::access(ParentOf(path).c_str(), W_OK | X_OK) != 0) RaiseFso(fsoerr::kPermissionDenied);
  if (::unlink(path.c_str()) == 0) return;
  if (errno == ENOENT) RaiseFso(fsoerr::kFileNotFound);
  RaiseFsoForErrno(errno);
}

}  // namespace fso
