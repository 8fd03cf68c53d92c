// Builders of the Variant arrays and data-object dictionaries that tests pass to the classes.
#pragma once

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// A Variant() array of the items, from index 0.
inline rt::Variant Array(std::vector<rt::Variant> items) {
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

// A dictionary of the entries, in their order.
inline std::shared_ptr<rt::Dictionary> DataObject(
    std::initializer_list<std::pair<const char*, rt::Variant>> entries) {
  auto d = rt::NewDictionary();
  for (const auto& [key, value] : entries) d->Add(rt::Variant(key), value);
  return d;
}
