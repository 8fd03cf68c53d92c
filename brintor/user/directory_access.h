// Small helpers for reading what the membership directory answers: the
// first element of an attribute's values, the rows of a search, the bound
// user kept between calls and the user's project roles.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/recordset.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace brintor {

// Element 0 of a directory value array. A value that is no array (an unset
// attribute may come back Empty) stands for itself.
rt::Variant Element0(const rt::Variant& values);

// Calls `row` with the "cn" value (field name in any letter case) of each row
// of a directory search's recordset, in order; nothing for Nothing or Empty.
// `row` answers false to stop early. The recordset is closed afterwards when
// still open.
void ForEachUserId(const rt::Variant& recordset, const std::function<bool(const rt::Variant&)>& row);

// A filter array (0-based) for a directory search.
rt::Variant FilterList(std::initializer_list<std::string> filters);

// The directory user bound to an id, kept until another id is asked for.
// A failure to bind drops the kept user and is logged and raised with
// "Utility.GetAUObject".
class DirectoryUserCache {
 public:
  rt::ObjectPtr Get(const std::string& userId);

 private:
  rt::ObjectPtr user_;
};

// The project role codes the directory holds (`codes`, its "ProjectRoles"
// value) that have a ROLE row: code -> description, in code order. `rs` is
// the caller's, so that its failure path can close it.
std::shared_ptr<rt::Dictionary> ReadProjectRoles(const rt::Variant& codes, const std::string& connectionString,
                                                 bool readCommitted, std::shared_ptr<data::Recordset>& rs);

// The role codes of `roles` with `role` (one of them) first: it swaps places
// with the first code, the others keep their order.
rt::Variant RolesWithDefaultFirst(const rt::Dictionary& roles, const std::string& role);

}  // namespace brintor
