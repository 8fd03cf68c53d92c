// A product's attachment folder and its removal when the product goes.
#include "quarvel/product/attachment_folder.h"

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace quarvel::product {
namespace {

namespace fs = std::filesystem;

void DeleteFolder(const rt::ObjectPtr& fso, const std::string& folder) {
  fso->Call("DeleteFolder", {rt::Variant(folder), rt::Variant(false)});
}

// Whether the file object's DeleteFolder (not forced) would take the whole
// tree: its rule is that no entry may be read-only (without its owner's
// write bit) and that every folder in it, and the folder's parent, can be
// changed by this process. Links are removed, not followed.
bool Removable(const std::string& folder) {
  auto writable = [](const fs::file_status& status) {
    return (status.permissions() & fs::perms::owner_write) != fs::perms::none;
  };
  auto changeable = [](const fs::path& path) { return ::access(path.c_str(), W_OK | X_OK) == 0; };
  std::error_code error;
  const fs::path root(folder);
  if (!changeable(root.parent_path())) return false;
  if (fs::is_symlink(fs::symlink_status(root, error))) return true;  // only the link goes
  if (!writable(fs::symlink_status(root, error)) || !changeable(root)) return false;
  fs::recursive_directory_iterator it(root, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::file_status status = it->symlink_status(error);
    if (error) return false;
    if (fs::is_symlink(status)) continue;
    if (!writable(status) || (fs::is_directory(status) && !changeable(it->path()))) return false;
  }
  return !error;
}

// Removes the folder once the transaction has committed (it hears the
// outcome after every resource has ended); on any other outcome the folder
// stays. A failure at that point cannot undo the committed delete: it is
// logged.
class FolderRemoval : public rt::Compensation {
 public:
  explicit FolderRemoval(std::string folder) : folder_(std::move(folder)) {}
  void Commit() noexcept override {
    try {
      rt::ObjectPtr fso = rt::CreateObject("Scripting.FileSystemObject");
      if (rt::CBool(fso->Call("FolderExists", {rt::Variant(folder_)}))) DeleteFolder(fso, folder_);
    } catch (...) {
      rt::TrapError();
      Err_LogError("Quarvel.Product.Delete", rt::Variant("The attachment folder " + folder_ + " stays"));
      rt::Err().Clear();
    }
  }
  void Rollback() noexcept override {}

 private:
  std::string folder_;
};

}  // namespace

std::string getAttachmentFolder(int32_t productId) {
  rt::ObjectPtr configuration = Gen_GetComponent("Solvane.Configuration");
  return rt::CStr(configuration->Call("GetInstallDir")) + "/quarvelweb/ProductAttachments/" + std::to_string(productId);
}

void RemoveAttachmentFolder(int32_t productId) {
  const std::string folder = getAttachmentFolder(productId);
  rt::ObjectPtr fso = Gen_GetComponent("Scripting.FileSystemObject");
  if (!rt::CBool(fso->Call("FolderExists", {rt::Variant(folder)}))) return;
  rt::ObjectContext* context = rt::GetObjectContext();
  rt::Transaction* transaction = context ? context->CurrentTransaction() : nullptr;
  // Outside a transaction the rows are gone for good already; a folder that
  // cannot go is refused by the file object itself, which removes nothing
  // before it has checked the whole tree.
  if (!transaction || !Removable(folder)) {
    DeleteFolder(fso, folder);
    return;
  }
  transaction->EnlistCompensation(std::make_shared<FolderRemoval>(folder));
}

}  // namespace quarvel::product
