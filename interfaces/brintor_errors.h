// BrintorError: the error numbers that the common library publishes so that
// callers can tell its failures apart. Each value is 0x80040000 (the range
// reserved for object-defined errors) plus an offset from 101 to 140, in
// this order and without gaps; members that no method raises keep their
// values all the same.
//
// 0x80040065 to 0x8004006B are also used by other enumerations of the
// library and by plain raises: tell them apart by source and description.
#pragma once

#include <cstdint>

enum class BrintorError : int32_t {
  MissingCurrencyCode = static_cast<int32_t>(0x80040065),
  MissingCurrencyName = static_cast<int32_t>(0x80040066),
  MissingHomeCurrency = static_cast<int32_t>(0x80040067),
  MissingEuroCurrency = static_cast<int32_t>(0x80040068),
  MissingEPC = static_cast<int32_t>(0x80040069),
  MissingDecimals = static_cast<int32_t>(0x8004006A),
  MissingLocaleID = static_cast<int32_t>(0x8004006B),
  InvalidDecimals = static_cast<int32_t>(0x8004006C),
  InvalidLocaleID = static_cast<int32_t>(0x8004006D),
  DuplicateHomeCurrency = static_cast<int32_t>(0x8004006E),
  DuplicateEuroCurrency = static_cast<int32_t>(0x8004006F),
  MissingEffectiveDate = static_cast<int32_t>(0x80040070),
  MissingRateFactor = static_cast<int32_t>(0x80040071),
  InvalidEPCRate = static_cast<int32_t>(0x80040072),
  InvalidNonEPCRate = static_cast<int32_t>(0x80040073),
  CurrencyNotFound = static_cast<int32_t>(0x80040074),
  UnexpectedGetHomeCurrency = static_cast<int32_t>(0x80040075),
  UnexpectedGetEuroCurrency = static_cast<int32_t>(0x80040076),
  UnexpectedGetCurrency = static_cast<int32_t>(0x80040077),
  UnexpectedAddCurrency = static_cast<int32_t>(0x80040078),
  UnexpectedUpdateCurrency = static_cast<int32_t>(0x80040079),
  UnexpectedDeleteCurrency = static_cast<int32_t>(0x8004007A),
  UnexpectedGetCurrencyRate = static_cast<int32_t>(0x8004007B),
  UnexpectedAddCurrencyRate = static_cast<int32_t>(0x8004007C),
  UnexpectedUpdateCurrencyRate = static_cast<int32_t>(0x8004007D),
  UnexpectedDeleteCurrencyRate = static_cast<int32_t>(0x8004007E),
  CurrencyRateNotFound = static_cast<int32_t>(0x8004007F),
  ReferentialDelete = static_cast<int32_t>(0x80040080),
  ReferentialInsert = static_cast<int32_t>(0x80040081),
  InvalidEffectiveDate = static_cast<int32_t>(0x80040082),
  InvalidExpiryDate = static_cast<int32_t>(0x80040083),
  EffectiveDateRange = static_cast<int32_t>(0x80040084),
  ExpiryDateRange = static_cast<int32_t>(0x80040085),
  EuroRateNotDefined = static_cast<int32_t>(0x80040086),
  EuroRateNotDefinedForHomeCurrency = static_cast<int32_t>(0x80040087),
  BusinessPartnerNotFound = static_cast<int32_t>(0x80040088),
  AddressNotFound = static_cast<int32_t>(0x80040089),
  UnknownUserType = static_cast<int32_t>(0x8004008A),
  HomeRateNotDefined = static_cast<int32_t>(0x8004008B),
  UnexpectedGetCurrencyAsDict = static_cast<int32_t>(0x8004008C),
};

// The member's value as the number an error is raised with.
constexpr int32_t ErrorNumber(BrintorError e) { return static_cast<int32_t>(e); }
