// Reading an entry's attributes as the directory's objects answer them.
#pragma once

#include <string>

#include "suite/pellorin/directory_store.h"

namespace pellorin {

// GetAttribute: the values as a 0-based array, one Empty element when unset.
rt::Variant AttributeArray(const Entry& entry, const std::string& name);
// A typed property: the first value, or the attribute's unset value.
rt::Variant FirstValue(const Entry& entry, const std::string& name);

}  // namespace pellorin
