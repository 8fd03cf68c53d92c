// ReferenceRegistry: which component owns each referenced key and which
// components' tables refer to it, read from the file references.ini.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace solvane {

struct Referrer {
  std::string progId;  // the class that answers for the referring rows
  std::string table;
  std::string column;
};

struct ReferencedKey {
  std::string table;  // the section name: a table or an entity such as "USER"
  std::string key;
  std::string owner;  // the class that answers whether a key value exists; may be empty
  // The key name the owner is asked with, where it answers under another
  // name than the one deletes pass; empty for `key`.
  std::string ownerKey;
  const std::string& OwnerKeyName() const { return ownerKey.empty() ? key : ownerKey; }
  std::vector<Referrer> referrers;
};

class ReferenceRegistry {
 public:
  // $SUITE_REFERENCES; else references.ini in the configured install folder
  // when there is one; else the registry shipped with the schema.
  static std::string DefaultPath();
  // Reads the file; raises 0x80004005 when it cannot be read or an entry is malformed.
  static ReferenceRegistry Load(const std::string& path);

  // The key of `table` (any letter case), or null.
  const ReferencedKey* FindKey(std::string_view table) const;
  // Every key that the column `column` of `table` refers to.
  std::vector<const ReferencedKey*> KeysReferredToBy(std::string_view table,
                                                     std::string_view column) const;

 private:
  std::vector<ReferencedKey> keys_;
};

}  // namespace solvane
