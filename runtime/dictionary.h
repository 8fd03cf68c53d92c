// Scripting.Dictionary and VB's Collection.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "runtime/object.h"

namespace rt {

// Insertion-ordered map from Variant keys to Variant items, with
// Scripting.Dictionary's rules: numeric keys compare by value whatever their
// subtype (Integer 5 and Long 5 are one key; the text "5" is another), text
// keys binary or without regard to case (CompareMode), objects by identity.
class Dictionary : public Object {
 public:
  std::string TypeName() const override { return "Dictionary"; }
  const DispatchTable* Dispatch() const override;

  void Add(const Variant& key, const Variant& item);  // 457 when the key exists
  bool Exists(const Variant& key) const;
  // Reading a missing key adds it with Empty, as Scripting.Dictionary does.
  Variant& Item(const Variant& key);
  const Variant* Find(const Variant& key) const;  // no side effect
  void SetItem(const Variant& key, const Variant& item);  // adds when missing
  void SetKey(const Variant& oldKey, const Variant& newKey);
  void Remove(const Variant& key);  // 32811 "Element not found" when missing
  void RemoveAll();
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  Variant Keys() const;   // 0-based Variant array
  Variant Items() const;
  int32_t GetCompareMode() const { return static_cast<int32_t>(mode_); }
  void SetCompareMode(int32_t mode);  // only while empty, else 5

  struct Entry {
    Variant key;
    Variant item;
  };
  const std::list<Entry>& Entries() const { return entries_; }

 private:
  std::string HashKey(const Variant& key) const;

  int32_t mode_ = 0;  // 0 binary, 1 text
  std::list<Entry> entries_;
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

// VB's Collection: 1-based, optional text keys compared without regard to case.
class Collection : public Object {
 public:
  std::string TypeName() const override { return "Collection"; }
  const DispatchTable* Dispatch() const override;

  void Add(const Variant& item, const Variant& key = Variant::Missing(),
           const Variant& before = Variant::Missing(), const Variant& after = Variant::Missing());
  Variant Item(const Variant& indexOrKey) const;  // 5 for a bad index or key
  void Remove(const Variant& indexOrKey);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

 private:
  size_t Position(const Variant& indexOrKey) const;
  struct Entry {
    Variant item;
    std::string key;  // folded; empty when none
  };
  std::vector<Entry> items_;
};

std::shared_ptr<Dictionary> NewDictionary();

}  // namespace rt
