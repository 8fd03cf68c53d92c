// The directory's attribute catalogue: the known attributes with their
// types, and the conversion of values to and from their stored text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/variant.h"

namespace pellorin {

enum class AttributeType { Text, Int16, Int32, Boolean, Currency, Date };

struct AttributeInfo {
  std::string name;  // the catalogue's spelling; an unknown name as given
  AttributeType type = AttributeType::Text;
  bool multiValued = false;
  bool known = false;
};

// The attribute of that name (any letter case). "Roles" and "ProjectRoles"
// name the attributes "VYRole" and "ProjectRole" that those properties read.
// Unknown names are single-valued text. Raises eInvalidValue for a name that
// is empty or holds anything but letters, digits, ".", "_" and "-", and for
// "cn" and "password", which are not attributes.
AttributeInfo DescribeAttribute(std::string_view name);

// The known attributes in catalogue order.
const std::vector<AttributeInfo>& KnownAttributes();

// A value as its stored text; raises eInvalidValue when it does not convert.
std::string ToStoredText(const AttributeInfo& info, const rt::Variant& value);
// A stored text as a value of the attribute's type.
rt::Variant FromStoredText(const AttributeInfo& info, const std::string& text);
// The value an attribute that was never set answers through its property.
rt::Variant UnsetValue(const AttributeInfo& info);

// The values of a caller's argument: each element of an array, or the one
// value; Empty elements are left out.
std::vector<rt::Variant> ValuesOf(const rt::Variant& value);

// The error numbers' raise with the component's source.
[[noreturn]] void RaiseDirectoryError(int32_t number, const std::string& source,
                                      const std::string& description);

}  // namespace pellorin
