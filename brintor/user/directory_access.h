// Small helpers for reading what the membership directory answers: the
// first element of an attribute's values and the rows of a search.
#pragma once

#include <functional>
#include <string>

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

}  // namespace brintor
