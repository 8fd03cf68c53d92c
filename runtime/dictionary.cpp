// Scripting.Dictionary and VB's Collection.
#include "runtime/dictionary.h"

#include <cmath>
#include <cstdio>

#include "runtime/com_error.h"
#include "runtime/dispatch.h"

namespace rt {

namespace {

constexpr int32_t kElementNotFound = 32811;

[[noreturn]] void RaiseElementNotFound() {
  Raise(kElementNotFound, "", "Element not found");
}

// A number's form in a key: by value, whatever its subtype.
std::string NumberKey(double d) {
  if (d == 0) return "#0";  // also -0
  char buffer[40];
  if (std::trunc(d) == d && std::fabs(d) < 9.2e18) {
    std::snprintf(buffer, sizeof buffer, "#%lld", static_cast<long long>(d));
  } else {
    std::snprintf(buffer, sizeof buffer, "#%.17g", d);
  }
  return buffer;
}

}  // namespace

// --- Dictionary ------------------------------------------------------------------

const DispatchTable* Dictionary::Dispatch() const {
  static const DispatchTable kTable = DispatchBuilder<Dictionary>("Dictionary")
                                          .Method("Add", &Dictionary::Add)
                                          .Method("Exists", &Dictionary::Exists)
                                          .Get("Item", &Dictionary::Item)
                                          .Let("Item", &Dictionary::SetItem)
                                          .Set("Item", &Dictionary::SetItem)
                                          .Method("Remove", &Dictionary::Remove)
                                          .Method("RemoveAll", &Dictionary::RemoveAll)
                                          .Method("Keys", &Dictionary::Keys)
                                          .Method("Items", &Dictionary::Items)
                                          .Get("Count", &Dictionary::Count)
                                          .Let("Key", &Dictionary::SetKey)
                                          .Get("CompareMode", &Dictionary::GetCompareMode)
                                          .Let("CompareMode", &Dictionary::SetCompareMode)
                                          .Default("Item")
                                          .Build();
  return &kTable;
}

// Keys are told apart by kind and value: numbers by value (Integer 5, Long 5
// and Double 5 are one key), texts binary or folded to lower case, objects by
// identity. Booleans and dates are kinds of their own, so True is not -1 and
// a date is not its serial number.
std::string Dictionary::HashKey(const Variant& key) const {
  if (key.IsArray()) RaiseVb(vberr::kTypeMismatch);
  switch (key.Type()) {
    case VarType::Empty: return "E";
    case VarType::Null: return "N";
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Byte: return NumberKey(CDbl(key));
    case VarType::Currency: return NumberKey(key.Get<Currency>()->ToDouble());
    case VarType::Decimal: return NumberKey(key.Get<Decimal>()->ToDouble());
    case VarType::Boolean: return *key.Get<bool>() ? "B1" : "B0";
    case VarType::Date: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "D%.17g", key.Get<Date>()->serial);
      return buffer;
    }
    case VarType::String: {
      const std::string& text = *key.Get<std::string>();
      return "S" + (mode_ == 0 ? text : LCase(text));
    }
    case VarType::Object: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "O%p", static_cast<void*>(key.Get<ObjectPtr>()->get()));
      return buffer;
    }
    case VarType::Error:
      if (key.IsMissing()) RaiseVb(vberr::kArgumentNotOptional);
      return "X" + std::to_string(key.Get<ErrorValue>()->scode);
    default: RaiseVb(vberr::kTypeMismatch);
  }
}

void Dictionary::Add(const Variant& key, const Variant& item) {
  // One lookup finds a duplicate and makes the index entry.
  auto [slot, added] = index_.try_emplace(HashKey(key));
  if (!added) RaiseVb(vberr::kKeyAlreadyAssociated);
  try {
    entries_.push_back(Entry{key, item});
  } catch (...) {
    index_.erase(slot);
    throw;
  }
  slot->second = std::prev(entries_.end());
}

bool Dictionary::Exists(const Variant& key) const {
  return index_.count(HashKey(key)) != 0;
}

Variant& Dictionary::Item(const Variant& key) {
  auto [slot, added] = index_.try_emplace(HashKey(key));
  if (!added) return slot->second->item;
  try {
    entries_.push_back(Entry{key, Variant()});
  } catch (...) {
    index_.erase(slot);
    throw;
  }
  slot->second = std::prev(entries_.end());
  return entries_.back().item;
}

const Variant* Dictionary::Find(const Variant& key) const {
  auto it = index_.find(HashKey(key));
  return it == index_.end() ? nullptr : &it->second->item;
}

void Dictionary::SetItem(const Variant& key, const Variant& item) {
  Item(key) = item;
}

void Dictionary::SetKey(const Variant& oldKey, const Variant& newKey) {
  std::string oldHash = HashKey(oldKey);
  std::string newHash = HashKey(newKey);
  auto it = index_.find(oldHash);
  if (it == index_.end()) RaiseElementNotFound();
  if (newHash == oldHash) {
    it->second->key = newKey;
    return;
  }
  if (index_.count(newHash)) RaiseVb(vberr::kKeyAlreadyAssociated);
  auto entry = it->second;
  entry->key = newKey;
  index_.erase(it);
  index_.emplace(std::move(newHash), entry);
}

void Dictionary::Remove(const Variant& key) {
  auto it = index_.find(HashKey(key));
  if (it == index_.end()) RaiseElementNotFound();
  entries_.erase(it->second);
  index_.erase(it);
}

void Dictionary::RemoveAll() {
  index_.clear();
  entries_.clear();
}

Variant Dictionary::Keys() const {
  std::vector<Variant> keys;
  keys.reserve(entries_.size());
  for (const Entry& entry : entries_) keys.push_back(entry.key);
  return Variant(SafeArray::From(std::move(keys)));
}

Variant Dictionary::Items() const {
  std::vector<Variant> items;
  items.reserve(entries_.size());
  for (const Entry& entry : entries_) items.push_back(entry.item);
  return Variant(SafeArray::From(std::move(items)));
}

void Dictionary::SetCompareMode(int32_t mode) {
  if (!entries_.empty() || mode < 0 || mode > 1) RaiseVb(vberr::kInvalidProcedureCall);
  mode_ = mode;
}

std::shared_ptr<Dictionary> NewDictionary() {
  return std::make_shared<Dictionary>();
}

// --- Collection --------------------------------------------------------------------

const DispatchTable* Collection::Dispatch() const {
  static const DispatchTable kTable = DispatchBuilder<Collection>("Collection")
                                          .Method("Add", &Collection::Add)
                                          .Method("Item", &Collection::Item)
                                          .Method("Remove", &Collection::Remove)
                                          .Get("Count", &Collection::Count)
                                          .Default("Item")
                                          .Build();
  return &kTable;
}

void Collection::Add(const Variant& item, const Variant& key, const Variant& before,
                     const Variant& after) {
  std::string folded;
  if (!key.IsMissing()) {
    const std::string* text = key.Get<std::string>();
    if (!text) RaiseVb(vberr::kTypeMismatch);
    folded = LCase(*text);
    if (!folded.empty()) {
      for (const Entry& entry : items_) {
        if (entry.key == folded) RaiseVb(vberr::kKeyAlreadyAssociated);
      }
    }
  }
  size_t position = items_.size();
  if (!before.IsMissing() && !after.IsMissing()) RaiseVb(vberr::kInvalidProcedureCall);
  if (!before.IsMissing()) position = Position(before);
  if (!after.IsMissing()) position = Position(after) + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(position),
                Entry{item, std::move(folded)});
}

Variant Collection::Item(const Variant& indexOrKey) const {
  return items_[Position(indexOrKey)].item;
}

void Collection::Remove(const Variant& indexOrKey) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Position(indexOrKey)));
}

// The 0-based position of a 1-based index or of a key; 5 when there is none.
size_t Collection::Position(const Variant& indexOrKey) const {
  if (indexOrKey.IsMissing()) RaiseVb(vberr::kArgumentNotOptional);
  if (const std::string* key = indexOrKey.Get<std::string>()) {
    std::string folded = LCase(*key);
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!folded.empty() && items_[i].key == folded) return i;
    }
    RaiseVb(vberr::kInvalidProcedureCall);
  }
  int32_t index = CLng(indexOrKey);
  if (index < 1 || static_cast<size_t>(index) > items_.size()) {
    RaiseVb(vberr::kInvalidProcedureCall);
  }
  return static_cast<size_t>(index - 1);
}

}  // namespace rt
