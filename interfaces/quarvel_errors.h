// QuarvelErrors: the error numbers that the catalog library publishes so
// that callers can tell its failures apart. Each value is 0x80040000 (the
// range reserved for object-defined errors) plus an offset from 200 to 214,
// in this order and without gaps; members that no method raises keep their
// values all the same.
#pragma once

#include <cstdint>

enum class QuarvelErrors : int32_t {
  eProductNotFound = static_cast<int32_t>(0x800400C8),
  ePropertyNotFound = static_cast<int32_t>(0x800400C9),
  ePropertyGroupNotFound = static_cast<int32_t>(0x800400CA),
  eUnitNotFound = static_cast<int32_t>(0x800400CB),
  eCatalogNotFound = static_cast<int32_t>(0x800400CC),
  eContractNotFound = static_cast<int32_t>(0x800400CD),
  eCommodityNotFound = static_cast<int32_t>(0x800400CE),
  eUNSPSCCodeNotFound = static_cast<int32_t>(0x800400CF),
  eProductIdNotFound = static_cast<int32_t>(0x800400D0),
  eGTINNumberNotFound = static_cast<int32_t>(0x800400D1),
  eBuyerIdNotFound = static_cast<int32_t>(0x800400D2),
  ePartNumberNotFound = static_cast<int32_t>(0x800400D3),
  eProductCategoryNotFound = static_cast<int32_t>(0x800400D4),
  eUnableToLoadXML = static_cast<int32_t>(0x800400D5),
  eHazardousClassNotFound = static_cast<int32_t>(0x800400D6),
};

// The member's value as the number an error is raised with.
constexpr int32_t ErrorNumber(QuarvelErrors e) { return static_cast<int32_t>(e); }

// The number a write refused by the suite's referential checker is raised with.
constexpr int32_t kReferentialCheckRefused = static_cast<int32_t>(0x80040007);
