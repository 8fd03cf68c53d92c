// FileSystemObject::DeleteFolder: check the whole tree, then remove it. A
// refusal found halfway through a removal would leave a folder with part of
// its files gone, which a caller whose transaction rolls back cannot undo.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/fso/file_system_object.h"

namespace fso {
namespace {

namespace fs = std::filesystem;

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Read-only as the file's mode says it, whoever runs this: root may write
// anything, so its own permission would never refuse.
bool ReadOnly(const fs::file_status& status) {
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Refuses (70) when any entry is read-only and `force` is off, or when a
// folder whose entries go cannot be changed by this process.
void CheckRemovable(const fs::path& folder, bool force) {
  auto checkFolder = [&](const fs::path& path, const fs::file_status& status) {
    if (!force && ReadOnly(status)) RaiseFso(fsoerr::kPermissionDenied);
    if (::access(path.c_str(), W_OK | X_OK) != 0) RaiseFso(fsoerr::kPermissionDenied);
  };
  std::error_code error;
  checkFolder(folder, fs::symlink_status(folder, error));

  fs::recursive_directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    fs::file_status status = it->symlink_status(error);
    if (error) break;
    if (fs::is_symlink(status)) continue;  // the link goes, its target stays
    if (fs::is_directory(status)) {
      checkFolder(it->path(), status);
    } else if (!force && ReadOnly(status)) {
      RaiseFso(fsoerr::kPermissionDenied);
    }
  }
  if (error) {
    bool denied = error == std::errc::permission_denied;
    RaiseFso(denied ? fsoerr::kPermissionDenied : fsoerr::kPathFileAccessError);
  }
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void FileSystemObject::DeleteFolder(const std::string& given, std::optional<bool> force) {
  std::string path = WithoutTrailingSlashes(given);
  struct stat info {};
  if (!Whole(path) || ::lstat(path.c_str(), &info) != 0) RaiseFso(fsoerr::kPathNotFound);
  // "." and ".." name a folder that cannot itself be removed: refused before
  // its contents would go.
  std::string last = path.substr(path.rfind('/') + 1);
  if (last == "." || last == "..") RaiseFso(fsoerr::kPathFileAccessError);
  if (::access(ParentOf(path).c_str(), W_OK | X_OK) != 0) RaiseFso(fsoerr::kPermissionDenied);

  if (S_ISLNK(info.st_mode)) {
    // A link to a folder: the link goes, the folder it names stays.
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
      RaiseFso(fsoerr::kPathNotFound);
    }
    if (::unlink(path.c_str()) != 0) RaiseFso(fsoerr::kPathFileAccessError);
    return;
  }
  if (!S_ISDIR(info.st_mode)) RaiseFso(fsoerr::kPathNotFound);

  CheckRemovable(path, force.value_or(false));
  std::error_code error;
  fs::remove_all(path, error);
  if (error) RaiseFso(fsoerr::kPathFileAccessError);
}

}  // namespace fso
