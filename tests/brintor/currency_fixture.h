// CurrencyTest: a fresh installation without sample data, the currency
// tables filled by each test, "Brintor.Currency" objects created by ProgID,
// and renderings of what they answer for golden comparisons.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/brintor_errors.h"
#include "interfaces/currency.h"
#include "runtime/com_error.h"
#include "runtime/dictionary.h"
#include "runtime/registry.h"
#include "runtime/variant.h"
#include "tests/brintor/brintor_sandbox.h"

// The currencies of the conversion examples: home HOM (1 per home unit, 2
// per euro), the euro EUR, ABC (4 per home unit), DEF tied to the euro (3
// per euro) and XYZ quoted per 100 units (1.5 per 100).
inline const char* const kExampleCurrencies =
    "INSERT INTO CURRENCY VALUES ('HOM', 'Home currency', 1, 0, 0, 2, 1033);"
    "INSERT INTO CURRENCY VALUES ('EUR', 'Euro', 0, 1, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('ABC', 'Abc', 0, 0, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('DEF', 'Def', 0, 0, 1, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('XYZ', 'Xyz', 0, 0, 0, 0, NULL);"
    "INSERT INTO CURRENCYRATE VALUES ('HOM', '2026-01-01 00:00:00', NULL, 1, 2, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('ABC', '2026-01-01 00:00:00', NULL, 4, NULL, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('DEF', '2026-01-01 00:00:00', NULL, NULL, 3, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('XYZ', '2026-01-01 00:00:00', NULL, 1.5, NULL, 100);";

class CurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }

  void Exec(const std::string& sql) { sandbox_.Exec(sql); }

  static std::shared_ptr<ICurrency> NewCurrency() {
    auto currency = std::dynamic_pointer_cast<ICurrency>(rt::CreateObject("Brintor.Currency"));
    if (!currency) throw std::runtime_error("Brintor.Currency does not implement ICurrency");
    return currency;
  }

  static rt::Date Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return rt::Date::FromParts(year, month, day, hour, minute, second);
  }

  static rt::Currency Money(double amount) { return rt::Currency::FromDouble(amount); }

  // The amount as the regional settings write it ("2.5", "300", "3.3333").
  static std::string Text(rt::Currency amount) { return rt::CStr(rt::Variant(amount)); }

  // ConvertAmount(from, to, amount, date) as text, or "error <number>".
  static std::string Convert(ICurrency& c, std::string from, std::string to, double amount, rt::Date date) {
    rt::Currency money = Money(amount);
    try {
      return Text(c.ConvertAmount(from, to, money, date));
    } catch (const rt::ComError& e) {
      return "error " + std::to_string(e.number());
    }
  }

  // Runs f and answers the error it raised.
  template <class F>
  static rt::ComError RaisedBy(F&& f) {
    try {
      f();
    } catch (const rt::ComError& e) {
      return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return rt::ComError(0, "", "");
  }

  // "KEY=Subtype:value" for each entry, in order, separated by "; ".
  static std::string Render(const rt::ObjectPtr& object) {
    auto dictionary = std::dynamic_pointer_cast<rt::Dictionary>(object);
    if (!dictionary) return object ? "(not a dictionary)" : "(nothing)";
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries()) {
      if (!text.empty()) text += "; ";
      text += rt::Concat(e.key) + "=" + rt::TypeName(e.item) + ":" + rt::Concat(e.item);
    }
    return text;
  }

  // The log's entries whose line holds `text`.
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) {
      if (line.find(text) != std::string::npos) ++count;
    }
    return count;
  }
  int LogEntries() const { return LogEntriesWith(""); }

  static void Run(const std::function<void()>& body) { BrintorSandbox::Run(body); }

  BrintorSandbox sandbox_;
};
