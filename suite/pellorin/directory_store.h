// The membership directory's store: the one interface behind which the
// directory keeps its entries (an embedded SQLite file today; an LDAP
// server could implement it later), and the opening of the configured one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "suite/pellorin/attributes.h"
#include "suite/pellorin/filter.h"

namespace pellorin {

// One entry as read: its id and its attributes' stored texts.
struct Entry {
  std::string id;
  std::vector<std::pair<std::string, std::vector<std::string>>> attributes;

  // The attribute's values (name without regard to case); null when unset.
  const std::vector<std::string>* Find(std::string_view name) const;
};

// Attributes to write: each replaces the attribute's values; no values
// remove it.
using AttributeChanges = std::vector<std::pair<AttributeInfo, std::vector<std::string>>>;

class DirectoryStore {
 public:
  virtual ~DirectoryStore() = default;
  // True when the account exists and the password is its own.
  virtual bool Authenticate(const std::string& account, const std::string& password) = 0;
  // The entry of that id (any letter case); none when there is no such entry.
  virtual std::optional<Entry> Read(const std::string& id) = 0;
  // The ids of the entries that pass every filter, in directory order
  // (IdLess). A membership role filter ("VYRole") looks at the related
  // entry's roles for an entry without roles of its own.
  virtual std::vector<std::string> Search(const std::vector<Filter>& filters) = 0;
  // Raises eUserExists, ePasswordRefused, eInvalidValue (a bad id).
  virtual void Create(const std::string& id, const std::string& password,
                      const AttributeChanges& attributes) = 0;
  // False when there is no such entry; nothing is written then.
  virtual bool Change(const std::string& id, const AttributeChanges& changes) = 0;
  virtual bool Remove(const std::string& id) = 0;
};

// The store that the configuration names: [DIRECTORY] Path, an SQLite file
// made by `suitehost init`. Raises eStoreFailure when none is configured or
// the file cannot be opened.
std::shared_ptr<DirectoryStore> OpenConfiguredDirectory();
std::shared_ptr<DirectoryStore> OpenSqliteDirectory(const std::string& path);

// The directory's checks on an id: not empty, at most 256 bytes of UTF-8,
// no blanks or control characters, no "," (it ends the id in an account)
// and no "*" (a wildcard in filters). Raises eInvalidValue.
void CheckUserId(const std::string& id);

}  // namespace pellorin
